// CThreadVl: worker thread start, cancel and wait.
#include "jobs/thread_vl.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "jobs/timer_resolution.h"

namespace k470 {
namespace {

// The end of every job is announced here. The mutex and the condition belong to no job,
// so a body that has set its done flag touches its own object no more, even while it
// wakes the waiters (who may destroy the object at once). They are never destroyed
// either: a body may still be waking the waiters while the program ends (its owner saw
// the flag and returned from main), and a condition destroyed under it would crash.
std::mutex& DoneMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}
std::condition_variable& DoneChanged() {
  static std::condition_variable* changed = new std::condition_variable;
  return *changed;
}

// How often a wait for a job's end looks at its cancel flag.
constexpr uint32_t kCancelLookMs = 20;

}  // namespace

CThreadVl::CThreadVl() = default;

CThreadVl::~CThreadVl() {
  // A running body still uses the object (and what it borrowed): wait for its end.
  if (m_done.load() == 0) StopAndWait();
  JoinThread();
}

void CThreadVl::JoinThread() {
  if (!m_thread.joinable()) return;
  // A body that starts its own job again cannot wait for its own thread: that one ends
  // on its own.
  if (m_thread.get_id() == std::this_thread::get_id()) {
    m_thread.detach();
  } else {
    m_thread.join();
  }
}

void CThreadVl::ThreadEntry(CThreadVl* job) {
  // No exception may leave a job's thread; the body reports by return values.
  try {
    RaiseTimerResolution();
    job->Run();
  } catch (...) {
    job->SetDone();
  }
}

int CThreadVl::Start(int /*priority*/) {
  JoinThread();  // the last run's body has ended; its thread is on its way out
  m_cancel = 0;
  m_done = 0;
  try {
    m_thread = std::thread(&CThreadVl::ThreadEntry, this);
  } catch (const std::system_error&) {
    m_done = 1;
    return 0;
  }
  return 1;
}

void CThreadVl::SetDone() {
  // Everything the body still has to do comes first: once the owner sees the end, the
  // program may end (k470 returns from main), and a thread caught half-way through a
  // system call then can hold up the program's exit.
  RestoreTimerResolution();
  std::lock_guard<std::mutex> lock(DoneMutex());
  m_done.store(1);
  DoneChanged().notify_all();
}

void CThreadVl::StopAndWait() {
  m_cancel = 1;
  std::unique_lock<std::mutex> lock(DoneMutex());
  DoneChanged().wait(lock, [this] { return m_done.load() != 0; });
}

bool CThreadVl::WaitDone(const std::atomic<int>* cancel) {
  while (!WaitDoneFor(kCancelLookMs)) {
    if (cancel != nullptr && cancel->load() != 0) return false;
  }
  return true;
}

bool CThreadVl::WaitDoneFor(uint32_t ms) {
  std::unique_lock<std::mutex> lock(DoneMutex());
  return DoneChanged().wait_for(lock, std::chrono::milliseconds(ms),
                                [this] { return m_done.load() != 0; });
}

}  // namespace k470
