// The started program of the simulated board.
#include "monitor_program.h"

#include <cstdio>

namespace k470sim {

namespace {

void SendText(const std::string& text, uint32_t rate, double notBefore, Output& out) {
  for (char c : text) out.Send(static_cast<uint8_t>(c), rate, notBefore);
}

}  // namespace

void MonitorProgram::Start(double time, uint32_t rate, Output& out) {
  m_running = true;
  SendText(m_behaviour.startText, rate, time, out);
  m_nextLine = m_behaviour.chatterMs > 0 ? time + m_behaviour.chatterMs / 1000.0 : -1;
  m_resetAt = m_behaviour.resetAfterMs > 0 ? time + m_behaviour.resetAfterMs / 1000.0 : -1;
}

void MonitorProgram::OnByte(uint8_t value, double time, uint32_t rate, Output& out) {
  out.Send(value, rate, time);
  ++m_echoed;
  if (m_input.size() < kMaxKeptInput) m_input += static_cast<char>(value);
}

double MonitorProgram::NextTimer() const {
  if (!m_running) return -1;
  if (m_nextLine < 0) return m_resetAt;
  if (m_resetAt < 0) return m_nextLine;
  return m_nextLine < m_resetAt ? m_nextLine : m_resetAt;
}

bool MonitorProgram::OnTimer(double now, uint32_t rate, Output& out) {
  if (!m_running) return false;
  // Every line whose time has come, each at its own time: a late look loses none.
  while (m_nextLine >= 0 && m_nextLine <= now && (m_resetAt < 0 || m_nextLine < m_resetAt)) {
    char line[32];
    std::snprintf(line, sizeof line, "line %llu\r\n", static_cast<unsigned long long>(++m_lines));
    SendText(line, rate, m_nextLine, out);
    m_nextLine += m_behaviour.chatterMs / 1000.0;
  }
  if (m_resetAt >= 0 && m_resetAt <= now) {
    m_running = false;
    return true;
  }
  return false;
}

}  // namespace k470sim
