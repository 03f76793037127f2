// The settings of a serial line: its rate and the frame of each byte. Each port kind
// translates them for itself (a Win32 DCB, termios flags, the network option's values);
// a value outside the names below is a setting no line takes, and the open fails.
#pragma once

#include <cstdint>

namespace k470 {

enum class DataBits : uint8_t { kFive = 5, kSix = 6, kSeven = 7, kEight = 8 };
enum class Parity : uint8_t { kNone, kOdd, kEven, kMark, kSpace };
enum class StopBits : uint8_t { kOne, kOneAndHalf, kTwo };

struct LineSettings {
  uint32_t baud = 38400;
  DataBits dataBits = DataBits::kEight;
  Parity parity = Parity::kNone;
  StopBits stopBits = StopBits::kOne;

  // The same frame at another rate.
  constexpr LineSettings AtRate(uint32_t rate) const {
    return LineSettings{rate, dataBits, parity, stopBits};
  }
};

}  // namespace k470
