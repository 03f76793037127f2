// The boot programs' automatic bit-rate adjustment, shared by both H8 targets: the chip
// measures the rate of the 0x00 bytes the host sends, answers a single 0x00 at that rate,
// ignores the further 0x00 bytes already on their way, and then waits for 0x55.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "event_log.h"
#include "target.h"

namespace k470sim {

// Behaviour and faults of a chip target.
struct BootFaults {
  uint32_t onlyRate = 0;    // lock only to 0x00 bytes at this rate (0: any rate)
  bool noise = false;       // send noise while adjusting
  int64_t errorBlock = -1;  // programming error for this block frame (0 = first)
  int64_t wrongEcho = -1;   // H8/36077: echo this transfer byte wrongly
  double programS = 0;      // time to program one block
  double eraseS = 0;        // H8/3069: time to erase on entering the programming state
  int64_t corruptBlock = -1;  // H8/3069: acknowledge this block frame, one bit left at 1
  bool noChecks = false;      // H8/3069: sum check, blank check and memory read unknown
  double checkS = 0;          // H8/3069: time to sum or blank-check the flash
  // Block frames (0 = first) refused once each as garbled on the line: the H8/3069's
  // checksum error, the H8/36077's refusal. A number listed twice is refused twice.
  std::vector<int64_t> refuseBlocks;
};

// Whether block frame `index` is to be refused as garbled now; each listed number is used
// up by one refusal.
inline bool TakeRefusal(std::vector<int64_t>& refuseBlocks, int64_t index) {
  for (size_t i = 0; i < refuseBlocks.size(); ++i) {
    if (refuseBlocks[i] != index) continue;
    refuseBlocks.erase(refuseBlocks.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
  }
  return false;
}

class BootSync {
 public:
  static constexpr uint8_t kSyncByte = 0x00;
  static constexpr uint8_t kSyncEnd = 0x55;

  explicit BootSync(const BootFaults& faults) : m_faults(faults) {}

  // Takes one byte while the adjustment runs. Returns true when 0x55 has arrived at the
  // locked rate: the caller then sends its answer and the adjustment is over.
  bool OnByte(const RxByte& rx, Output& out, EventLog& events);

  bool Locked() const { return m_lockedRate != 0; }
  uint32_t LockedRate() const { return m_lockedRate; }
  // 0 while any rate is taken; the locked rate afterwards.
  uint32_t ListenRate() const { return m_lockedRate ? m_lockedRate : m_faults.onlyRate; }
  uint64_t StaleZeros() const { return m_staleZeros; }

 private:
  void Noise(const RxByte& rx, Output& out);
  BootFaults m_faults;
  uint32_t m_lockedRate = 0;
  uint64_t m_staleZeros = 0;
  unsigned m_noiseIndex = 0;
};

}  // namespace k470sim
