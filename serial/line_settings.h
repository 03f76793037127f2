// The settings of a serial line: its rate and the frame of each byte. Each port kind
// translates them for itself (a Win32 DCB, termios flags, the network option's values);
// a value outside the names below is a setting no line takes, and the open fails.
#pragma once

#include <cstddef>
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
  constexpr LineSettings AtRate(uint32_t rate) const { return {rate, dataBits, parity, stopBits}; }
};

// A setting's place in its list (the data bits from 5), and a port kind's code for it
// from a table in that order; false for a place past the table's end (a setting that kind
// of line does not take).
constexpr size_t PlaceOf(DataBits dataBits) { return static_cast<size_t>(dataBits) - 5u; }
constexpr size_t PlaceOf(Parity parity) { return static_cast<size_t>(parity); }
constexpr size_t PlaceOf(StopBits stopBits) { return static_cast<size_t>(stopBits); }

template <typename Setting, typename Code, size_t N>
constexpr bool CodeOf(Setting setting, const Code (&codes)[N], Code* code) {
  if (PlaceOf(setting) >= N) return false;
  *code = codes[PlaceOf(setting)];
  return true;
}

}  // namespace k470
