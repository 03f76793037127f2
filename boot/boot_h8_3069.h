// BootH8_3069: drives an H8/3069 through the command protocol of its on-chip boot
// program: single-byte commands, optionally with a size byte, data and a checksum, each
// answered by an ACK, an error pair, or a response with its own size.
#pragma once

#include <cstdint>

#include "boot/boot_base.h"

namespace k470 {

// The protocol of the H8/3069's boot program, under names of its own: the other driver's
// protocol has commands and answers of the same kind.
namespace h8_3069 {

// Commands of the boot program.
constexpr uint8_t kCmdDeviceInquiry = 0x20;         // supported device inquiry
constexpr uint8_t kCmdDeviceSelect = 0x10;          // device selection (4-byte code)
constexpr uint8_t kCmdClockModeInquiry = 0x21;
constexpr uint8_t kCmdClockModeSelect = 0x11;       // clock mode selection (1 byte)
constexpr uint8_t kCmdMultiplierInquiry = 0x22;     // multiplication ratio inquiry
constexpr uint8_t kCmdFrequencyInquiry = 0x23;      // operating clock frequency inquiry
constexpr uint8_t kCmdNewBitRate = 0x3F;            // new bit rate selection (6 bytes)
constexpr uint8_t kCmdBitRateConfirm = 0x06;        // confirmation, at the new rate
constexpr uint8_t kCmdProgramEraseState = 0x40;     // to the programming/erasure state
constexpr uint8_t kCmdUserFlashSelect = 0x43;       // user flash programming selection
constexpr uint8_t kCmdProgram128 = 0x50;            // 128-byte programming

// Replies.
constexpr uint8_t kReplyAck = 0x06;
constexpr uint8_t kReplyErrorBit = 0x80;  // first byte with bit 7 set: error code follows
constexpr uint8_t kMatchAnswer3069 = 0xE6;  // answer to 0x55

constexpr uint8_t kClockMode0 = 0x00;
constexpr uint8_t kMultiplierCount = 0x01;  // number of multiplication ratios in 0x3F
constexpr uint8_t kMultiplierRatio = 0x01;  // the ratio
constexpr uint32_t kEndAddress = 0xFFFFFFFF;  // 0x50 with this address ends programming

// Each byte of a reply is waited for up to this long.
constexpr uint32_t kReplyByteWaitMs = 10000;
// The answer to 0x55 is waited for as long as a reply byte; a cancel request ends the
// wait.
constexpr uint32_t kMatchAnswerWait3069Ms = 10000;

// Reply areas of the steps, in bytes.
constexpr int kSelectReplyBytes = 256;
constexpr int kPrepareReplyBytes = 128;
constexpr int kEndReplyBytes = 128;
constexpr int kBlockReplyBytes = 132;
constexpr int kDeviceCodeOffset = 4;  // device code: response bytes 4..7
constexpr int kDeviceCodeBytes = 4;

}  // namespace h8_3069

class BootH8_3069 : public BootBase {
 public:
  explicit BootH8_3069(const std::atomic<int>* cancel) : BootBase(cancel) {}

  int MatchBitRate(int* matchedBps) override;
  int SelectDevice() override;
  int TransferWriteProgram(const char* path) override;
  int PrepareWrite() override;
  int WriteBlock(const uint8_t* data, uint32_t address, int* step) override;
  int EndWrite() override;

  // Sends one command (with `data`: size byte unless `noSize`, data, checksum) and reads
  // its reply into `reply` (`replySize` bytes; bytes beyond are read and dropped).
  // Returns 1 unless the reply was an error or a reply byte did not come in time; then
  // FailureDetail() names the command (with `where`, e.g. " at 00001000"), what came
  // back and the error's meaning.
  int Command(uint8_t command, const uint8_t* data, int length, uint8_t* reply,
              int replySize, bool noSize, const char* where = "");

  // "0x3F (new bit rate)".
  static std::string CommandName(uint8_t command);
};

}  // namespace k470
