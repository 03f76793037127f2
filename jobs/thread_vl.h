// CThreadVl: the base of every long operation. The body (Run) runs on a worker thread of
// its own; the owner starts it, may request cancellation and waits for the done flag.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace k470 {

// A derived job whose body uses its own members must call StopAndWait() in its own
// destructor: by the time this base destructor runs, the derived part is gone.
class CThreadVl {
 public:
  CThreadVl();
  virtual ~CThreadVl();
  CThreadVl(const CThreadVl&) = delete;
  CThreadVl& operator=(const CThreadVl&) = delete;

  // Clears the cancel request, marks the job running and starts Run on a new thread.
  // Returns 1, or 0 when no thread could be created (the job then stays idle).
  int Start(int priority = 0);

  void RequestCancel() { m_cancel = 1; }

  // Requests cancellation and waits until the body has ended.
  void StopAndWait();

  // Waits until the body has ended (true) or `*cancel` (may be null) is seen set (false);
  // the flag is looked at every 20 ms. Returns at once when the body's end comes.
  bool WaitDone(const std::atomic<int>* cancel);

  // Waits up to `ms` for the body's end; true when it has ended.
  bool WaitDoneFor(uint32_t ms);

  int IsDone() const { return m_done.load(); }
  int IsCancelRequested() const { return m_cancel.load(); }

  std::atomic<int> m_cancel{0};
  std::atomic<int> m_done{1};

 protected:
  // The job body. Must look at m_cancel where its work can stop and must set m_done = 1
  // as its very last write to the object.
  virtual int Run() = 0;

  // Marks the body as ended and wakes whoever waits for it; the body's last step.
  void SetDone();

 private:
  static void ThreadEntry(CThreadVl* job);
  // Waits until the thread of the last run has gone, not only its body: after the done
  // flag it still returns through the thread library, which must not meet a program
  // that is already ending.
  void JoinThread();

  std::thread m_thread;
};

}  // namespace k470
