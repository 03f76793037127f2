// BootH8_36077: drives an H8/36077. After the bit-rate match it loads a write-control
// program into the chip's RAM (count, then every byte echoed, then 0xAA; the program's
// bytes go ahead of their echoes, each echo still checked) and then talks
// to that program with one-letter commands at 57600 bit/s.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "boot/boot_base.h"

namespace k470 {

// The protocol of the H8/36077's boot program and its write-control program, under names
// of its own: the other driver's protocol has commands and answers of the same kind.
namespace h8_36077 {

constexpr uint8_t kMatchAnswer36077 = 0xAA;   // answer to 0x55
constexpr uint8_t kProgramLoaded = 0xAA;      // after the last program byte
constexpr uint8_t kCmdStart = 0x53;           // "S": ready to write
constexpr uint8_t kCmdBlock = 0x41;           // "A": address, 128 bytes, 16-bit sum
constexpr uint8_t kCmdEnd = 0x45;             // "E": writing ended
constexpr uint8_t kReplyOk = 0x05;            // the write-control program's answer

// The write-control program occupies chip RAM 0xF780..0xFEEF.
constexpr uint32_t kProgramBase = 0xF780;
constexpr uint32_t kProgramBytes = 0x770;

// The write-control program speaks at this rate, whatever rate the match found: the
// fastest boot rate.
constexpr uint32_t kWriteProgramBps = kBootRatesBps[kBootRateCount - 1];

constexpr uint32_t kWaitByteMs = 200;       // longest wait for one expected byte
constexpr int kSecondAckAttempts = 200;     // waits for a block's second 0x05

constexpr int kBlockFrameBytes = 1 + 4 + kBlockBytes + 2;  // 135

// The program goes in runs of this many bytes, sent ahead of their echoes.
constexpr int kProgramRunBytes = 256;

// Line times of the timed exchanges, in bytes: the count (its second echo follows its
// second byte) and "S" with its 0x05.
constexpr int kCountExchangeBytes = 3;
constexpr int kStartExchangeBytes = 2;

}  // namespace h8_36077

class BootH8_36077 : public BootBase {
 public:
  explicit BootH8_36077(const std::atomic<int>* cancel)
      : BootBase(cancel, h8_36077::kMatchAnswer36077) {}

  StepResult TransferWriteProgram(const char* path) override;
  StepResult ReadWriteProgram(const char* path, std::string* note) override;
  StepResult PrepareWrite() override;
  StepResult WriteBlock(const uint8_t* data, uint32_t address) override;
  StepResult EndWrite() override;
  // The write-control program has no read-back: never verified (verify_h8_36077.cpp).
  StepResult VerifyWrite(const WrittenImage& image, VerifyReport* report,
                         std::string* note) override;

  // Waits up to 200 ms for one byte. Returns 1 if it is `expected`, else 0; afterwards
  // Waiting() tells a time-out, a cancel or a lost port (1) from a wrong byte (0).
  int WaitByte(uint8_t expected);
  int Waiting() const { return m_waiting; }

 private:
  // Sends the program's `count` bytes in runs ahead of their echoes and checks every
  // echo in order against the byte sent; a wrong or missing echo fails at that byte.
  StepResult SendProgram(const uint8_t* program, int count);
  // WaitByte for the answer to `what`, recording the failure's cause.
  StepResult Expect(const std::string& what, uint8_t expected);

  int m_waiting = 0;
  int m_lastGot = 0;  // what the last WaitByte read: 0x100 + the byte, or 0
  std::vector<uint8_t> m_program;  // the write-control program's window, once read
  uint32_t m_programHigh = 0;      // its highest address with data
};

}  // namespace k470
