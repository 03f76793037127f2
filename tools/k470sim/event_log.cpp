// The list of things a target received, kept for the report.
#include "event_log.h"

#include "json_writer.h"

namespace k470sim {

Event& EventLog::Add(const std::string& kind, double time, uint32_t rate) {
  Event e;
  e.kind = kind;
  e.time = time;
  e.rate = rate;
  if (m_events.size() >= kMaxEvents) {
    ++m_dropped;
    m_scratch = e;
    return m_scratch;
  }
  m_events.push_back(e);
  return m_events.back();
}

void EventLog::Write(JsonWriter& json) const {
  json.BeginArray("events");
  for (const Event& e : m_events) {
    json.BeginObject();
    json.Number("t_ms", e.time * 1000.0);
    json.Int("rate", e.rate);
    json.String("kind", e.kind);
    if (e.command >= 0) json.Int("command", e.command);
    if (e.address >= 0) json.Int("address", e.address);
    if (e.length >= 0) json.Int("length", e.length);
    if (e.hasOk) json.Bool("ok", e.ok);
    if (e.error >= 0) json.Int("error", e.error);
    if (!e.frame.empty()) json.Hex("frame", e.frame);
    if (!e.reply.empty()) json.Hex("reply", e.reply);
    if (!e.text.empty()) json.String("text", e.text);
    json.EndObject();
  }
  json.EndArray();
  json.Int("events_dropped", static_cast<int64_t>(m_dropped));
}

}  // namespace k470sim
