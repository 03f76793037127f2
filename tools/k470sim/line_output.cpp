// The target's transmitter with line-rate pacing.
#include "line_output.h"

#include <algorithm>

namespace k470sim {

void LineOutput::Send(uint8_t b, uint32_t rate, double notBefore) {
  if (m_muted || (m_limit >= 0 && m_queued >= m_limit)) return;
  ++m_queued;
  double start = std::max(notBefore, m_lineFree);
  double due = start + (m_pacing ? ByteTime(rate) : 0.0);
  m_lineFree = due;
  m_queue.push_back(QueuedByte{b, rate, due});
}

}  // namespace k470sim
