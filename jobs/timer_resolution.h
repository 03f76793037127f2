// While a job runs, the system's timer runs at 1 ms, so that a sleep or a wait lasts as
// long as asked (Windows otherwise rounds each one up to a whole timer tick, 15.6 ms).
// A no-op where the system's timer is fine already.
#pragma once

namespace k470 {

class FineTimerResolution {
 public:
  FineTimerResolution();
  ~FineTimerResolution();
  FineTimerResolution(const FineTimerResolution&) = delete;
  FineTimerResolution& operator=(const FineTimerResolution&) = delete;

 private:
  [[maybe_unused]] bool m_raised = false;  // Windows: the resolution was raised
};

}  // namespace k470
