// The far end that k470sim plays: a board monitor or a chip in boot mode. The event loop
// hands every received byte to the target; the target answers through an Output, which
// paces the bytes onto the line.
#pragma once

#include <cstdint>
#include <vector>

namespace k470sim {

class JsonWriter;

// One byte as the target's receiver saw it. Times are seconds since the simulator started.
struct RxByte {
  uint8_t value = 0;     // already scrambled when garbled
  bool garbled = false;  // sent at a rate (or frame format) the target does not listen at
  uint32_t rate = 0;     // the host's bit rate when the byte arrived
  double time = 0;       // the moment its stop bit was on the line
  uint64_t index = 0;    // 0 for the first byte received
};

// Where a target's answers go.
class Output {
 public:
  virtual ~Output() = default;
  // Sends one byte at `rate`, not before `notBefore` (seconds since start).
  virtual void Send(uint8_t b, uint32_t rate, double notBefore) = 0;
  void SendBytes(const std::vector<uint8_t>& bytes, uint32_t rate, double notBefore) {
    for (uint8_t b : bytes) Send(b, rate, notBefore);
  }
};

class Target {
 public:
  virtual ~Target() = default;
  // The rate the target's receiver runs at; 0 while it measures the rate of what comes
  // (the boot mode's bit-rate adjustment, which takes any rate).
  virtual uint32_t ListenRate() const = 0;
  virtual void OnByte(const RxByte& rx, Output& out) = 0;
  // The target's own part of the report (the members of the report's top-level object).
  virtual void WriteReport(JsonWriter& json) const = 0;
  // RAM or flash contents for --memory.
  virtual const std::vector<uint8_t>& Memory() const = 0;
  // The next moment at which the target sends of its own accord (a started program's
  // output, its reset); negative while it only answers.
  virtual double NextTimer() const { return -1; }
  // That moment has come (or passed): the target sends what is due.
  virtual void OnTimer(double now, Output& out) {
    (void)now;
    (void)out;
  }
  // The reset button (SIGUSR1): the target starts again as after power-on.
  virtual void OnReset(double now, Output& out) {
    (void)now;
    (void)out;
  }
};

// A byte received at the wrong rate arrives as a different byte. The mapping is fixed so
// that runs repeat, and it never yields the byte that was sent (37 is odd and 0xA5 is not
// a multiple of 36 modulo 256).
inline uint8_t Scramble(uint8_t b) { return static_cast<uint8_t>(b * 37 + 0x5B); }

}  // namespace k470sim
