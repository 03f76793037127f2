// CThreadVl: the base of every long operation. The body (Run) runs on a worker thread of
// its own; the owner starts it, may request cancellation, waits for the body's end and
// joins the thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace k470 {

class JobEndSignal;

// Every way the owner learns of the end (StopAndWait, WaitDone, the destructor, the next
// Start) joins the body's thread or leaves it to a later join: the object and its end
// signal stay until the thread has gone. A derived job whose body uses its own members
// must call StopAndWait() in its own destructor: by the time this base destructor runs,
// the derived part is gone.
class CThreadVl {
 public:
  CThreadVl();
  virtual ~CThreadVl();
  CThreadVl(const CThreadVl&) = delete;
  CThreadVl& operator=(const CThreadVl&) = delete;

  // Joins the thread of the last run, clears the cancel request, marks the job running
  // and starts Run on a new thread. Returns 1, or 0 when no thread could be created (the
  // job then stays idle) or when called from the job's own body.
  int Start(int priority = 0);

  void RequestCancel() { m_cancel.store(1); }

  // Requests cancellation, waits until the body has ended and joins its thread.
  void StopAndWait();

  // Waits until the body has ended (true) or `*cancel` is seen set (false); the flag is
  // looked at every cancel slice. With a null `cancel` only the end ends the wait, and
  // the thread is joined.
  bool WaitDone(const std::atomic<int>* cancel);

  // Waits up to `ms` for the body's end; true when it has ended.
  bool WaitDoneFor(uint32_t ms);

  // `signal` (may be null) is raised at each end of the body as well, after the job's own
  // end signal; it must outlive the job's thread. It may be set while the body runs: an
  // end that came before is seen by IsDone.
  void AlsoSignalEndTo(JobEndSignal* signal) { m_alsoSignal.store(signal); }

  int IsDone() const { return m_done.load(); }
  bool Cancelled() const { return m_cancel.load() != 0; }

 protected:
  // The job body. Must look at Cancelled() where its work can stop and must call
  // SetDone() as its last step.
  virtual int Run() = 0;

  // Marks the body as ended and wakes whoever waits for it; the body's last step.
  void SetDone();

  // The cancel flag, for what the body lends it to (a driver, a port's waits).
  const std::atomic<int>* CancelFlag() const { return &m_cancel; }

 private:
  static void ThreadEntry(CThreadVl* job);
  // Waits until the thread of the last run has gone, not only its body.
  void JoinThread();

  std::atomic<int> m_cancel{0};
  std::atomic<int> m_done{1};
  std::mutex m_doneMutex;
  std::condition_variable m_doneChanged;
  std::atomic<JobEndSignal*> m_alsoSignal{nullptr};
  std::thread m_thread;
};

}  // namespace k470
