// CThreadVl: worker thread start, cancel, the end signal and the join.
#include "jobs/thread_vl.h"

#include <chrono>
#include <system_error>

#include "base/cancel_slice.h"
#include "jobs/job_end_signal.h"
#include "base/timer_resolution.h"

namespace k470 {

CThreadVl::CThreadVl() = default;

CThreadVl::~CThreadVl() {
  // A running body still uses the object (and what it borrowed): stop it; and the
  // thread of an ended body may still be waking its waiters: let it go first.
  if (m_done.load() == 0) m_cancel.store(1);
  JoinThread();
}

void CThreadVl::JoinThread() {
  if (m_thread.joinable()) m_thread.join();
}

void CThreadVl::ThreadEntry(CThreadVl* job) {
  // No exception may leave a job's thread; the body reports by return values.
  try {
    RaiseTimerResolution();
    job->Run();
  } catch (...) {
  }
  if (job->m_done.load() == 0) job->SetDone();
}

int CThreadVl::Start(int /*priority*/) {
  // A body cannot wait for its own thread.
  if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id()) return 0;
  JoinThread();  // the last run's body has ended; its thread is on its way out
  m_cancel.store(0);
  m_done.store(0);
  try {
    m_thread = std::thread(&CThreadVl::ThreadEntry, this);
  } catch (const std::system_error&) {
    m_done.store(1);
    return 0;
  }
  return 1;
}

void CThreadVl::SetDone() {
  // Everything the body still has to do comes first: once the owner sees the end, the
  // program may end (k470 returns from main), and a thread caught half-way through a
  // system call then can hold up the program's exit.
  RestoreTimerResolution();
  {
    std::lock_guard<std::mutex> lock(m_doneMutex);
    m_done.store(1);
  }
  m_doneChanged.notify_all();
  // The owner joins this thread before the object or the signal goes away.
  JobEndSignal* also = m_alsoSignal.load();
  if (also != nullptr) also->Raise();
}

void CThreadVl::StopAndWait() {
  m_cancel.store(1);
  JoinThread();
}

bool CThreadVl::WaitDone(const std::atomic<int>* cancel) {
  if (cancel == nullptr) {
    JoinThread();
    return true;
  }
  while (!WaitDoneFor(kCancelSliceMs)) {
    if (cancel->load() != 0) return false;
  }
  return true;
}

bool CThreadVl::WaitDoneFor(uint32_t ms) {
  std::unique_lock<std::mutex> lock(m_doneMutex);
  return m_doneChanged.wait_for(lock, std::chrono::milliseconds(ms),
                                [this] { return m_done.load() != 0; });
}

}  // namespace k470
