// CThreadVl: worker thread start, cancel and wait.
#include "jobs/thread_vl.h"

#include <system_error>
#include <thread>

#include "jobs/ticks.h"

namespace k470 {

CThreadVl::CThreadVl() = default;

CThreadVl::~CThreadVl() {
  // A running body still uses the object (and what it borrowed): wait for its end.
  if (m_done.load() == 0) StopAndWait();
}

void CThreadVl::ThreadEntry(CThreadVl* job) {
  // No exception may leave a job's thread; the body reports by return values.
  try {
    job->Run();
  } catch (...) {
    job->SetDone();
  }
}

int CThreadVl::Start(int /*priority*/) {
  m_cancel = 0;
  m_done = 0;
  try {
    // The thread object is not kept: the body ends on its own and marks m_done.
    std::thread(&CThreadVl::ThreadEntry, this).detach();
  } catch (const std::system_error&) {
    m_done = 1;
    return 0;
  }
  return 1;
}

void CThreadVl::StopAndWait() {
  m_cancel = 1;
  while (m_done.load() == 0) SleepMs(1);
}

}  // namespace k470
