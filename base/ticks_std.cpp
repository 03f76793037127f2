// The real clock: the standard library's steady clock and thread sleep.
#include "base/ticks.h"

#include <chrono>
#include <thread>

namespace k470 {

uint32_t TickCountMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace k470
