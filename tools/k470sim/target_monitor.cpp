// The K470-family board monitor.
#include "target_monitor.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "json_writer.h"

namespace k470sim {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr char kLoadReply[] = "end!";
constexpr char kLineBreak[] = "\r\n";
constexpr char kRefused[] = "\r\n?";

bool ParseNumber(const std::string& text, int base, uint64_t& value) {
  if (text.empty() || text.size() > 16) return false;
  char* end = nullptr;
  unsigned long long v = std::strtoull(text.c_str(), &end, base);
  if (*end != '\0' || !std::isxdigit(static_cast<unsigned char>(text[0]))) return false;
  value = v;
  return true;
}

}  // namespace

MonitorTarget::MonitorTarget(const std::string& board, int endDelayMs, bool noEnd,
                             const ProgramBehaviour& program, uint32_t rate)
    : m_rate(rate),
      m_program(program),
      m_board(board), m_endDelayS(endDelayMs / 1000.0), m_noEnd(noEnd), m_ram(kRamSize, 0xFF) {
  for (char c : board) m_name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

void MonitorTarget::SendText(const std::string& text, double notBefore, Output& out) {
  for (char c : text) out.Send(static_cast<uint8_t>(c), m_rate, notBefore);
}

void MonitorTarget::Prompt(double notBefore, Output& out) {
  SendText(kLineBreak + m_name + ">", notBefore, out);
}

void MonitorTarget::OnTimer(double now, Output& out) {
  if (m_program.OnTimer(now, m_rate, out)) OnReset(now, out);
}

void MonitorTarget::OnReset(double now, Output& out) {
  // The monitor starts afresh: the program stops, a half-read command or load is
  // forgotten, and the prompt says the monitor is back.
  m_program.Stop();
  m_loading = false;
  m_line.clear();
  ++m_resets;
  m_events.Add("reset", now, m_rate);
  Prompt(now, out);
}

void MonitorTarget::OnByte(const RxByte& rx, Output& out) {
  if (m_program.Running()) {
    m_program.OnByte(rx.value, rx.time, m_rate, out);
    return;
  }
  if (m_loading) {
    uint64_t at = static_cast<uint64_t>(m_load.address) + m_loadPos;
    if (m_load.ok) m_ram[at - kRamBase] = rx.value;
    ++m_loadPos;
    if (--m_loadLeft == 0) {
      m_loading = false;
      m_loads.push_back(m_load);
      Event& e = m_events.Add("load", rx.time, rx.rate);
      e.address = m_load.address;
      e.length = m_load.length;
      e.hasOk = true;
      e.ok = m_load.ok;
      if (!m_load.ok) {
        SendText(kRefused, rx.time, out);
        Prompt(rx.time, out);
      } else if (!m_noEnd) {
        SendText(kLoadReply, rx.time + m_endDelayS, out);
        Prompt(rx.time + m_endDelayS, out);
      }
    }
    return;
  }
  if (rx.value == kCr) {
    OnLine(rx, out);
    m_line.clear();
  } else if (rx.value != kLf && m_line.size() < kMaxLine) {
    m_line += static_cast<char>(rx.value);
  }
}

void MonitorTarget::OnLine(const RxByte& rx, Output& out) {
  std::istringstream in(m_line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);

  if (words.empty()) {
    ++m_prompts;
    m_events.Add("prompt", rx.time, rx.rate);
    Prompt(rx.time, out);
    return;
  }
  uint64_t address = 0, length = 0;
  if (words[0] == "L" && words.size() == 4 && words[3] == "s" && ParseNumber(words[2], 10, length) &&
      length > 0 && length <= kRamSize) {
    // The raw bytes follow whatever the address says; they are taken off the line even
    // when the address is refused, so that the next command is read as one.
    bool addressOk = ParseNumber(words[1], 16, address) && address >= kRamBase &&
                     address + length <= static_cast<uint64_t>(kRamBase) + kRamSize;
    m_loading = true;
    m_load = Load{static_cast<uint32_t>(address), static_cast<uint32_t>(length), addressOk};
    m_loadLeft = static_cast<uint32_t>(length);
    m_loadPos = 0;
    return;
  }
  if (words[0] == "G" && words.size() == 2 && ParseNumber(words[1], 16, address) &&
      address <= 0xFFFFFFFFull) {
    m_gos.push_back(static_cast<uint32_t>(address));
    Event& e = m_events.Add("go", rx.time, rx.rate);
    e.address = static_cast<int64_t>(address);
    // The program runs; the monitor answers nothing. A program with behaviour holds the
    // line until a reset.
    if (m_program.Holds()) m_program.Start(rx.time, m_rate, out);
    return;
  }
  Event& e = m_events.Add("refused", rx.time, rx.rate);
  e.text = m_line;
  SendText(kRefused, rx.time, out);
  Prompt(rx.time, out);
}

void MonitorTarget::WriteReport(JsonWriter& json) const {
  json.String("board", m_board);
  json.String("prompt", m_name + ">");
  json.Int("prompts", m_prompts);
  json.BeginArray("loads");
  for (const Load& l : m_loads) {
    json.BeginObject();
    json.Int("address", l.address);
    json.Int("length", l.length);
    json.Bool("ok", l.ok);
    json.EndObject();
  }
  json.EndArray();
  json.BeginArray("go");
  for (uint32_t a : m_gos) json.Int(nullptr, a);
  json.EndArray();
  json.Bool("loading", m_loading);
  json.Bool("running", m_program.Running());
  json.Int("resets", m_resets);
  json.Int("program_lines", static_cast<int64_t>(m_program.Lines()));
  json.Int("echoed", static_cast<int64_t>(m_program.Echoed()));
  json.String("echoed_text", m_program.Input());
  json.Int("load_bytes_missing", m_loading ? m_loadLeft : 0);
  m_events.Write(json);
}

}  // namespace k470sim
