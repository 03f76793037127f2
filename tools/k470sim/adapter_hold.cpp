// A USB serial adapter's latency timer and packets.
#include "adapter_hold.h"

#include <cmath>

namespace k470sim {

double AdapterHold::TickAfter(double t) const { return std::ceil(t / m_periodS) * m_periodS; }

double AdapterHold::ReleaseAt() const {
  // At the tick after the first byte held, or earlier once a full packet is in.
  const double tick = TickAfter(m_held.front().due);
  if (m_held.size() >= m_packetBytes) return std::fmin(tick, m_held[m_packetBytes - 1].due);
  return tick;
}

size_t AdapterHold::Release(double now, uint8_t* out, size_t room) {
  size_t n = 0;
  while (!m_held.empty() && n < room && ReleaseAt() <= now) {
    // One packet: a full one, or what had gathered by the tick.
    const double tick = TickAfter(m_held.front().due);
    const bool full = m_held.size() >= m_packetBytes && m_held[m_packetBytes - 1].due <= tick;
    size_t packet = 0;
    while (!m_held.empty() && n < room && packet < m_packetBytes &&
           (full || m_held.front().due <= tick)) {
      out[n++] = m_held.front().value;
      m_held.pop_front();
      ++packet;
    }
  }
  return n;
}

}  // namespace k470sim
