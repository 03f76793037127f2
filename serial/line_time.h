// The time a serial line takes to carry bytes at its settings: a start bit, the data
// bits, a parity bit when there is one and the stop bits, counted in half bits and
// rounded up to whole milliseconds.
#pragma once

#include <cstdint>

#include "serial/line_settings.h"

namespace k470 {

constexpr uint32_t LineTimeMs(int n, const LineSettings& line) {
  if (line.baud == 0 || n <= 0) return 0;
  const uint64_t halfBits =
      2u * (1u + static_cast<uint64_t>(line.dataBits) + (line.parity != Parity::kNone ? 1u : 0u)) +
      (line.stopBits == StopBits::kTwo ? 4u : line.stopBits == StopBits::kOneAndHalf ? 3u : 2u);
  const uint64_t perMs = 2u * static_cast<uint64_t>(line.baud);
  return static_cast<uint32_t>((halfBits * static_cast<uint64_t>(n) * 1000u + perMs - 1) / perMs);
}

}  // namespace k470
