// S-record text for tests and the fake monitor's load command.
#include "tests/monitor/monitor_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace k470::test {

namespace {
constexpr size_t kRecordDataBytes = 32;
}

std::string SRecordText(const std::vector<DataBlock>& blocks) {
  std::string out;
  char cell[8];
  for (const DataBlock& block : blocks) {
    for (size_t at = 0; at < block.bytes.size(); at += kRecordDataBytes) {
      const size_t n = std::min(kRecordDataBytes, block.bytes.size() - at);
      const uint32_t address = block.address + static_cast<uint32_t>(at);
      const unsigned count = static_cast<unsigned>(n + 4);  // address, data, checksum
      unsigned sum = count + ((address >> 16) & 0xFF) + ((address >> 8) & 0xFF) + (address & 0xFF);
      std::snprintf(cell, sizeof cell, "%02X", count);
      out += "S2";
      out += cell;
      std::snprintf(cell, sizeof cell, "%06X", static_cast<unsigned>(address & 0xFFFFFF));
      out += cell;
      for (size_t i = 0; i < n; ++i) {
        const uint8_t b = block.bytes[at + i];
        sum += b;
        std::snprintf(cell, sizeof cell, "%02X", b);
        out += cell;
      }
      std::snprintf(cell, sizeof cell, "%02X", 0xFF - (sum & 0xFF));
      out += cell;
      out += "\r\n";
    }
  }
  out += "S9030000FC\r\n";
  return out;
}

std::string WriteTempFile(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  return path;
}

Bytes PatternBytes(uint32_t address, size_t count) {
  Bytes out(count);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t a = address + static_cast<uint32_t>(i);
    out[i] = static_cast<uint8_t>((a * 7) ^ (a >> 8) ^ (a >> 13));
  }
  return out;
}

FakeMonitor& FakeMonitor::operator=(const FakeMonitor& other) {
  if (this == &other) return *this;
  std::scoped_lock lock(m_mutex, other.m_mutex);
  m_ack = other.m_ack;
  m_command = other.m_command;
  m_address = other.m_address;
  m_remaining = other.m_remaining;
  m_commands = other.m_commands;
  m_ram = other.m_ram;
  m_faults = other.m_faults;
  return *this;
}

std::vector<std::string> FakeMonitor::Commands() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_commands;
}

std::map<uint32_t, uint8_t> FakeMonitor::Ram() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_ram;
}

std::string FakeMonitor::Faults() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_faults;
}

Bytes FakeMonitor::OnWrite(const Bytes& written) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Bytes answer;
  for (uint8_t b : written) {
    if (m_remaining > 0) {
      m_ram[m_address++] = b;
      if (--m_remaining == 0) answer.insert(answer.end(), m_ack.begin(), m_ack.end());
      continue;
    }
    if (b != '\r') {
      m_command += static_cast<char>(b);
      continue;
    }
    m_commands.push_back(m_command);
    unsigned address = 0;
    int count = 0;
    char s = 0;
    if (std::sscanf(m_command.c_str(), "L %X %d %c", &address, &count, &s) == 3 && s == 's' &&
        count > 0) {
      m_address = address;
      m_remaining = static_cast<uint32_t>(count);
    } else {
      m_faults += "not a load command: " + m_command + "\n";
    }
    m_command.clear();
  }
  return answer;
}

}  // namespace k470::test
