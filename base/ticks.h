// Millisecond tick count and sleep: the clock every protocol loop polls against.
// Kept behind two functions so that tests can run the protocols on a virtual clock.
#pragma once
#include <cstdint>

namespace k470 {

// Milliseconds since an arbitrary start; wraps like a 32-bit tick counter, so callers
// compare differences (TickCountMs() - start), never absolute values.
uint32_t TickCountMs();

// Suspends the calling thread for about `ms` milliseconds.
void SleepMs(uint32_t ms);

}  // namespace k470
