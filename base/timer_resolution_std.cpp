// The system's timer already sleeps as long as asked: nothing to raise.
#include "base/timer_resolution.h"

namespace k470 {

void RaiseTimerResolution() {}
void RestoreTimerResolution() {}

}  // namespace k470
