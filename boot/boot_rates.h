// The bit rates of the boot mode, slowest first: the rates of the bit-rate match (tried
// fastest first) and those a device type's writing may be changed to (the settings
// dialog's rate list, in its order, and k470 flash --bps).
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

constexpr uint32_t kBootRatesBps[] = {9600, 19200, 38400, 57600};
constexpr int kBootRateCount = static_cast<int>(sizeof kBootRatesBps / sizeof kBootRatesBps[0]);

// The place of `bps` in kBootRatesBps, or -1 when it is none of them.
inline int BootRateIndex(int64_t bps) {
  for (int i = 0; i < kBootRateCount; ++i) {
    if (kBootRatesBps[i] == bps) return i;
  }
  return -1;
}

// The boot rates as a text: "9600, 19200, 38400 or 57600", or fastest first.
inline std::string BootRatesText(bool fastestFirst) {
  std::string text;
  for (int i = 0; i < kBootRateCount; ++i) {
    if (i > 0) text += i + 1 < kBootRateCount ? ", " : " or ";
    text += std::to_string(kBootRatesBps[fastestFirst ? kBootRateCount - 1 - i : i]);
  }
  return text;
}

}  // namespace k470
