// The clock field of the H8/3069's new-bit-rate frame (0x3F): the chip's input clock as a
// count of 10 kHz in two bytes, high byte first. A clock whose count is 0 or needs more
// than 16 bits (above 655.35 MHz) cannot be sent: the device table, the settings dialog,
// the command line and the driver refuse it with this one rule.
#pragma once

#include <cstdint>

namespace k470 {

constexpr int32_t kClockFieldUnitKhz = 10;        // one count of the field
constexpr int32_t kClockFieldMaxCount = 0xFFFF;   // two bytes

// The field's value for a clock in kHz (truncated toward zero).
constexpr int32_t ClockFieldCount(int32_t clockKhz) { return clockKhz / kClockFieldUnitKhz; }

// True when the clock can be sent: its count is 1 to 0xFFFF (10 kHz to 655.35 MHz).
constexpr bool ClockFitsField(int32_t clockKhz) {
  return ClockFieldCount(clockKhz) >= 1 && ClockFieldCount(clockKhz) <= kClockFieldMaxCount;
}

}  // namespace k470
