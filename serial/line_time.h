// The time a serial line takes to carry bytes at its settings: a start bit, the data
// bits, a parity bit when there is one and the stop bits (codes 0, 1, 2: one, one and a
// half, two), counted in half bits and rounded up to whole milliseconds.
#pragma once

#include <cstdint>

namespace k470 {

constexpr uint32_t LineTimeMs(int n, uint32_t baud, int byteSize, int parity, int stopBits) {
  if (baud == 0 || n <= 0) return 0;
  const uint64_t halfBits = 2u * (1u + static_cast<uint64_t>(byteSize) + (parity != 0 ? 1u : 0u)) +
                            (stopBits == 2 ? 4u : stopBits == 1 ? 3u : 2u);
  const uint64_t perMs = 2u * static_cast<uint64_t>(baud);
  return static_cast<uint32_t>((halfBits * static_cast<uint64_t>(n) * 1000u + perMs - 1) / perMs);
}

}  // namespace k470
