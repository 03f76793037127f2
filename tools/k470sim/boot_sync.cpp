// The boot programs' automatic bit-rate adjustment.
#include "boot_sync.h"

namespace k470sim {

namespace {
// Bytes a receiver makes of a 0x00 sent at a rate it does not expect: never 0x00.
constexpr uint8_t kNoise[] = {0xF0, 0x80, 0xFE, 0xE0, 0xC0};
constexpr unsigned kNoiseBeforeAnswer = 2;
}  // namespace

void BootSync::Noise(const RxByte& rx, Output& out) {
  if (!m_faults.noise) return;
  // Sent at the host's own rate, so the host reads them as they are.
  out.Send(kNoise[m_noiseIndex++ % sizeof kNoise], rx.rate, rx.time);
}

bool BootSync::OnByte(const RxByte& rx, Output& out, EventLog& events) {
  if (!Locked()) {
    if (rx.garbled || rx.value != kSyncByte) {
      Noise(rx, out);
      return false;
    }
    m_lockedRate = rx.rate;
    for (unsigned i = 0; i < kNoiseBeforeAnswer; ++i) Noise(rx, out);
    out.Send(kSyncByte, m_lockedRate, rx.time);
    Event& e = events.Add("bitrate-locked", rx.time, rx.rate);
    e.reply = {kSyncByte};
    return false;
  }
  if (rx.garbled) return false;
  if (rx.value == kSyncByte) {
    ++m_staleZeros;
    return false;
  }
  return rx.value == kSyncEnd;
}

}  // namespace k470sim
