// Numbers as the program's texts and tables write them: hexadecimal digits, and clocks
// typed in MHz but kept in kHz.
#pragma once

#include <cstdint>

namespace k470 {

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigit(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                : -1;
}

constexpr double kKhzPerMhz = 1000.0;

// A clock in MHz as kHz, truncated toward zero (19.6608 gives 19660); false, with `*khz`
// untouched, for "nan" and for a clock outside the 32-bit range.
constexpr bool MhzToKhz(double mhz, int32_t* khz) {
  const double value = mhz * kKhzPerMhz;
  if (!(value > static_cast<double>(INT32_MIN) && value < static_cast<double>(INT32_MAX))) {
    return false;
  }
  *khz = static_cast<int32_t>(value);
  return true;
}

}  // namespace k470
