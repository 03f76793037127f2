// Helpers of the monitor tests: S-record files written from byte ranges, a fake board
// monitor that answers the load command, and the fixture of a job over the scripted line.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "serial/com_port.h"
#include "tests/support/fake_line.h"

namespace k470::test {

// A block of image data at an address.
struct DataBlock {
  uint32_t address;
  Bytes bytes;
};

// S2 records (24-bit addresses, 32 data bytes a record) for the blocks, each line ended
// by CR LF, and an S9 end record.
std::string SRecordText(const std::vector<DataBlock>& blocks);

// Writes text into a file below the test's temporary folder; returns its path.
std::string WriteTempFile(const std::string& name, const std::string& text);

// Bytes with a pattern that differs from chunk to chunk: byte i of address a.
Bytes PatternBytes(uint32_t address, size_t count);

// The far end of a board monitor for the load command: takes "L <hex> <dec> s\r" and then
// that many bytes into its RAM, and answers each chunk with `ack` (nothing when empty).
// The job's thread writes to it while the test's thread looks.
class FakeMonitor {
 public:
  explicit FakeMonitor(std::string ack = "end!") : m_ack(std::move(ack)) {}
  FakeMonitor& operator=(const FakeMonitor& other);
  Bytes OnWrite(const Bytes& written);

  std::vector<std::string> Commands() const;
  std::map<uint32_t, uint8_t> Ram() const;
  std::string Faults() const;

 private:
  mutable std::mutex m_mutex;
  std::string m_ack;
  std::string m_command;
  uint32_t m_address = 0;
  uint32_t m_remaining = 0;
  std::vector<std::string> m_commands;
  std::map<uint32_t, uint8_t> m_ram;
  std::string m_faults;
};

// Waits in real time, up to `ms`, until `done()` holds; says whether it did.
template <typename Done>
bool WaitFor(Done done, int ms = 10000) {
  for (int waited = 0; waited < ms; waited += 2) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

// A job over the scripted line with COM1 open; the job is stopped before the line is
// reset for the next case.
template <typename Job>
class ScriptedPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeLine::Instance().Reset();
    ASSERT_EQ(m_port.Open("COM1"), 1);
  }
  void TearDown() override {
    m_job.StopAndWait();
    FakeLine::Instance().Reset();
  }

  CComPort m_port;
  Job m_job;
};

}  // namespace k470::test
