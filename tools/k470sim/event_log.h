// The list of things a target received (commands, frames, loads), kept for the report.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k470sim {

class JsonWriter;

struct Event {
  double time = 0;   // seconds since start
  uint32_t rate = 0; // host rate of the event's last byte
  std::string kind;
  int64_t command = -1;  // command byte or letter
  int64_t address = -1;
  int64_t length = -1;
  int64_t error = -1;    // error code sent back, if any
  bool hasOk = false;
  bool ok = false;
  std::vector<uint8_t> frame;  // the bytes received
  std::vector<uint8_t> reply;  // the bytes answered
  std::string text;
};

class EventLog {
 public:
  static constexpr size_t kMaxEvents = 100000;
  // Adds an event and returns it for filling in; past kMaxEvents a scratch event is
  // returned and only counted.
  Event& Add(const std::string& kind, double time, uint32_t rate);
  void Write(JsonWriter& json) const;  // "events": [...], "events_dropped": n

 private:
  std::vector<Event> m_events;
  Event m_scratch;
  uint64_t m_dropped = 0;
};

}  // namespace k470sim
