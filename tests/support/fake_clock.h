// The virtual clock of unit tests: TickCountMs() reads it and SleepMs() advances it, so
// that protocol time-outs of seconds run in an instant. A read of an empty fake line also
// advances it by one millisecond, so loops that spin on reads still reach their time-outs.
#pragma once

#include <cstdint>

namespace k470::test {

void AdvanceClock(uint32_t ms);
uint32_t ClockNow();

}  // namespace k470::test
