// Virtual clock for unit tests (replaces base/ticks_std.cpp).
#include "tests/support/fake_clock.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "base/ticks.h"

namespace k470 {
namespace {
std::atomic<uint32_t> g_now{1000};
}

uint32_t TickCountMs() { return g_now.load(); }

void SleepMs(uint32_t ms) {
  g_now.fetch_add(ms);
  // Let the other threads of the test (job, reader, owner) make progress; a short real
  // pause keeps one thread's polling from racing the virtual time far ahead of another's.
  std::this_thread::sleep_for(std::chrono::microseconds(20));
}

namespace test {
void AdvanceClock(uint32_t ms) { g_now.fetch_add(ms); }
uint32_t ClockNow() { return g_now.load(); }
}  // namespace test

}  // namespace k470
