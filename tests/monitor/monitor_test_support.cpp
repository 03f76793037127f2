// S-record text for tests and the fake monitor's load command.
#include "tests/monitor/monitor_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/srecords.h"

namespace k470::test {

std::string SRecordText(const std::vector<DataBlock>& blocks) {
  std::string out;
  for (const DataBlock& block : blocks) out += SRecords(2, block.address, block.bytes);
  return out + "S9030000FC\r\n";
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
