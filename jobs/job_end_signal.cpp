// JobEndSignal: a raised mark under a mutex, and a condition to wait on it.
#include "jobs/job_end_signal.h"

#include <chrono>

namespace k470 {

void JobEndSignal::Raise() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending = true;
  }
  m_raised.notify_all();
}

bool JobEndSignal::WaitFor(uint32_t ms) {
  std::unique_lock<std::mutex> lock(m_mutex);
  const bool raised =
      m_raised.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_pending; });
  m_pending = false;
  return raised;
}

}  // namespace k470
