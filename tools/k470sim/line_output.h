// The target's transmitter: queues the bytes a target sends, each with the moment its stop
// bit leaves the line. With pacing a byte takes 10 bit times (start, 8 data, stop) at the
// rate it is sent at, and the line carries one byte at a time.
#pragma once

#include <cstdint>
#include <deque>

#include "target.h"

namespace k470sim {

struct QueuedByte {
  uint8_t value;
  uint32_t rate;
  double due;  // seconds since start
};

class LineOutput : public Output {
 public:
  explicit LineOutput(bool pacing) : m_pacing(pacing) {}

  void Send(uint8_t b, uint32_t rate, double notBefore) override;
  // While muted, whatever a target sends is dropped (the fault "stop answering").
  void SetMuted(bool muted) { m_muted = muted; }
  // Sends nothing more once `bytes` bytes have been sent (cuts a reply in the middle);
  // negative: no limit.
  void SetLimit(int64_t bytes) { m_limit = bytes; }

  bool Empty() const { return m_queue.empty(); }
  double NextDue() const { return m_queue.front().due; }
  const QueuedByte& Front() const { return m_queue.front(); }
  void Pop() { m_queue.pop_front(); }
  uint64_t Sent() const { return m_sent; }
  void CountSent() { ++m_sent; }

 private:
  bool m_pacing;
  bool m_muted = false;
  int64_t m_limit = -1;
  int64_t m_queued = 0;  // bytes taken for sending so far
  double m_lineFree = 0;  // when the last queued byte has left the line
  std::deque<QueuedByte> m_queue;
  uint64_t m_sent = 0;
};

// Seconds one byte takes at `rate` bit/s (10 bit times).
inline double ByteTime(uint32_t rate) { return rate ? 10.0 / rate : 0.0; }

}  // namespace k470sim
