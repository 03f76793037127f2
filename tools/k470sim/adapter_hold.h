// A USB serial adapter between the target and the host, as the common ones behave: what
// the target sends gathers in the adapter and reaches the host in one packet at the next
// tick of the adapter's free-running latency timer, or at once when a packet's worth has
// gathered. A request/answer protocol pays the wait for the tick on every round trip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace k470sim {

class AdapterHold {
 public:
  // `periodS` 0: no adapter, every byte goes to the host as it leaves the line.
  AdapterHold(double periodS, size_t packetBytes)
      : m_periodS(periodS), m_packetBytes(packetBytes ? packetBytes : 1) {}

  bool Active() const { return m_periodS > 0; }
  bool Empty() const { return m_held.empty(); }

  // A byte whose stop bit left the line at `due` (seconds since start); bytes come in
  // the order they left the line.
  void Take(uint8_t value, double due) { m_held.push_back(Held{value, due}); }

  // When the next packet goes to the host; only while something is held.
  double ReleaseAt() const;

  // Takes out the bytes that have reached the host by `now` (at most `room`), in order.
  size_t Release(double now, uint8_t* out, size_t room);

 private:
  struct Held {
    uint8_t value;
    double due;
  };
  // The first tick of the timer at or after `t`.
  double TickAfter(double t) const;

  double m_periodS;
  size_t m_packetBytes;
  std::deque<Held> m_held;
};

}  // namespace k470sim
