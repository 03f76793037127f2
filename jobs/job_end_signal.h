// JobEndSignal: one signal that the ends of several jobs raise, so that an owner of many
// jobs waits for whichever ends first instead of looking at each in turn.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace k470 {

class JobEndSignal {
 public:
  // Raised by a job's body after its done flag is set.
  void Raise();

  // Waits until the signal has been raised since the last wait returned, or `ms` have
  // passed; true when it was raised. A raise before the wait is not lost.
  bool WaitFor(uint32_t ms);

 private:
  std::mutex m_mutex;
  std::condition_variable m_raised;
  bool m_pending = false;
};

}  // namespace k470
