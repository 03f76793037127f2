// FakeLine: script matching, answers on the virtual clock, transcript.
#include "tests/support/fake_line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/ticks.h"
#include "tests/support/fake_clock.h"

namespace k470::test {

Bytes HexBytes(const std::string& text) {
  Bytes out;
  unsigned value = 0;
  int digits = 0;
  for (char c : text) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0) continue;
    value = value * 16 + static_cast<unsigned>(d);
    if (++digits == 2) {
      out.push_back(static_cast<uint8_t>(value));
      value = 0;
      digits = 0;
    }
  }
  return out;
}

std::string HexText(const Bytes& bytes) {
  std::string out;
  char cell[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(cell, sizeof cell, i ? " %02X" : "%02X", bytes[i]);
    out += cell;
  }
  return out;
}

FakeLine& FakeLine::Instance() {
  static FakeLine line;
  return line;
}

void FakeLine::Reset() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_script.clear();
  m_next = 0;
  m_partial.clear();
  m_incoming.clear();
  m_responder = nullptr;
  m_openFails = m_writeFails = m_losesLine = false;
  m_loseAfterBytes = 0;
  m_stallMs = 0;
  m_written.clear();
  m_transcript.clear();
  m_problems.clear();
  m_rates.clear();
  m_opens = 0;
}

void FakeLine::Expect(const Bytes& request, const Bytes& response, uint32_t delayMs) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_script.push_back({request, response, delayMs});
}

void FakeLine::Feed(const Bytes& bytes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Answer(bytes, 0);
}

void FakeLine::SetResponder(Responder responder) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_responder = std::move(responder);
}

void FakeLine::SetOpenFails(bool fails) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_openFails = fails;
}

void FakeLine::SetWriteFails(bool fails) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_writeFails = fails;
}

void FakeLine::LoseLineAfter(size_t bytes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_losesLine = true;
  m_loseAfterBytes = bytes;
}

void FakeLine::StallNextWait(uint32_t ms) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_stallMs = ms;
}

bool FakeLine::IsLost() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_losesLine && m_written.size() >= m_loseAfterBytes;
}

Bytes FakeLine::Written() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_written;
}

std::string FakeLine::Transcript() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_transcript;
}

std::vector<uint32_t> FakeLine::LineRates() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_rates;
}

int FakeLine::OpenCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_opens;
}

bool FakeLine::IsOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_open;
}

size_t FakeLine::PendingExpectations() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_script.size() - m_next;
}

std::string FakeLine::Problems() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string out = m_problems;
  for (size_t i = m_next; i < m_script.size(); ++i) {
    out += "Expectation left over: " + HexText(m_script[i].request) + "\n";
  }
  return out;
}

bool FakeLine::OnOpen(uint32_t baud) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_openFails) return false;
  m_open = true;
  m_baud = baud;
  m_rates.push_back(baud);
  ++m_opens;
  m_transcript += "-- open " + std::to_string(baud) + "\n";
  return true;
}

void FakeLine::OnClose() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_open = false;
}

void FakeLine::OnLineChange(uint32_t baud) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_baud = baud;
    m_rates.push_back(baud);
    m_transcript += "-- rate " + std::to_string(baud) + "\n";
  }
  OnPurge();
}

void FakeLine::OnPurge() {
  std::lock_guard<std::mutex> lock(m_mutex);
  // Only what has already arrived is discarded; answers still on their way stay.
  const uint32_t now = TickCountMs();
  std::vector<Pending> keep;
  for (const Pending& p : m_incoming) {
    if (static_cast<int32_t>(p.readyAt - now) > 0) keep.push_back(p);
  }
  m_incoming.swap(keep);
}

void FakeLine::Answer(const Bytes& response, uint32_t delayMs) {
  if (response.empty()) return;
  const uint32_t readyAt = TickCountMs() + delayMs;
  for (uint8_t b : response) m_incoming.push_back({b, readyAt});
  m_transcript += "<< " + HexText(response) + "\n";
}

bool FakeLine::OnWrite(const uint8_t* data, int n) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_writeFails || !m_open) return false;
  // A write across the loss reaches the line only up to it.
  bool cut = false;
  if (m_losesLine) {
    if (m_written.size() >= m_loseAfterBytes) return false;
    if (m_written.size() + static_cast<size_t>(n) > m_loseAfterBytes) {
      n = static_cast<int>(m_loseAfterBytes - m_written.size());
      cut = true;
    }
  }
  const Bytes chunk(data, data + n);
  m_written.insert(m_written.end(), chunk.begin(), chunk.end());
  m_transcript += ">> " + HexText(chunk) + "\n";

  if (m_next < m_script.size()) {
    m_partial.insert(m_partial.end(), chunk.begin(), chunk.end());
    while (m_next < m_script.size() && !m_partial.empty()) {
      const Expectation& e = m_script[m_next];
      const size_t common = std::min(m_partial.size(), e.request.size());
      if (std::memcmp(m_partial.data(), e.request.data(), common) != 0) {
        m_problems += "Request mismatch: got " + HexText(m_partial) + ", expected " +
                      HexText(e.request) + "\n";
        m_partial.clear();
        m_next = m_script.size();  // the rest of the script no longer applies
        return !cut;
      }
      if (m_partial.size() < e.request.size()) return !cut;  // wait for the rest
      m_partial.erase(m_partial.begin(), m_partial.begin() + static_cast<long>(e.request.size()));
      Answer(e.response, e.delayMs);
      ++m_next;
    }
    if (m_partial.empty()) return !cut;
    // bytes beyond the script go to the responder below
  }
  if (m_responder) {
    Bytes rest = m_partial.empty() ? chunk : m_partial;
    m_partial.clear();
    Answer(m_responder(rest, m_baud), 0);
  } else if (m_next >= m_script.size() && m_problems.empty()) {
    m_problems += "Unexpected write: " + HexText(chunk) + "\n";
  }
  return !cut;
}

void FakeLine::AwaitByte(uint32_t waitMs) {
  uint32_t step = waitMs;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_losesLine && m_written.size() >= m_loseAfterBytes) return;
    if (m_stallMs != 0) {
      step = m_stallMs;
      m_stallMs = 0;
    } else if (!m_incoming.empty()) {
      const int32_t due = static_cast<int32_t>(m_incoming.front().readyAt - TickCountMs());
      step = due <= 0 ? 0 : std::min<uint32_t>(waitMs, static_cast<uint32_t>(due));
    }
  }
  AdvanceClock(step);
}

int FakeLine::OnRead(uint8_t* buffer, int n) {
  int count = 0;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_losesLine && m_written.size() >= m_loseAfterBytes) return -1;
    const uint32_t now = TickCountMs();
    while (count < n && !m_incoming.empty() &&
           static_cast<int32_t>(m_incoming.front().readyAt - now) <= 0) {
      buffer[count++] = m_incoming.front().byte;
      m_incoming.erase(m_incoming.begin());
    }
  }
  if (count == 0) AdvanceClock(1);  // a spinning reader still sees time pass
  return count;
}

}  // namespace k470::test
