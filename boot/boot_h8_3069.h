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
// The checks of the programming/erasure state, the state after the end frame.
constexpr uint8_t kCmdUserSumCheck = 0x4B;          // user flash sum check
constexpr uint8_t kCmdMemoryRead = 0x52;            // memory read (area, address, length)
constexpr uint8_t kRspUserSum = 0x5B;               // 5B 04 s3 s2 s1 s0 SUM
constexpr uint8_t kReadAreaUserFlash = 0x01;        // memory read area: the user flash
constexpr int kReadRequestBytes = 9;                // area, address, length
constexpr int kSumBytes = 4;
constexpr int kReadLengthBytes = 4;                 // 52 n3 n2 n1 n0 data... SUM
// A read-back asks for up to this many consecutive written blocks at once.
constexpr int kReadBackBlocks = 8;

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

// A frame the chip refused with this error code was thrown away unread (its checksum did
// not add up: a bit flipped on the way) and is sent again, up to this many times in a row.
constexpr uint8_t kErrorChecksum = 0x11;
constexpr int kMaxResends = 3;
// Before a resend the rest of the refused answer is let in and dropped: the line counts
// as quiet once no byte has come for this long.
constexpr uint32_t kResendQuietMs = 50;

// The first bytes of a reply kept for a failure's detail.
constexpr int kDetailReplyBytes = 8;

// Reply areas of the steps, in bytes.
constexpr int kMaxFrameBytes = 2 + 4 + kBlockBytes;  // command, size, address, a block
constexpr int kSelectReplyBytes = 256;
constexpr int kPrepareReplyBytes = 128;
constexpr int kEndReplyBytes = 128;
constexpr int kBlockReplyBytes = 132;
constexpr int kDeviceCodeOffset = 4;  // device code: response bytes 4..7
constexpr int kDeviceCodeBytes = 4;

}  // namespace h8_3069

class BootH8_3069 : public BootBase {
 public:
  explicit BootH8_3069(const std::atomic<int>* cancel)
      : BootBase(cancel, h8_3069::kMatchAnswer3069) {}

  StepResult SelectDevice() override;
  StepResult PrepareWrite() override;
  StepResult WriteBlock(const uint8_t* data, uint32_t address) override;
  StepResult EndWrite() override;
  // 0x4B, and after a different sum 0x52 over the written blocks (verify_h8_3069.cpp).
  StepResult VerifyWrite(const WrittenImage& image, VerifyReport* report,
                         std::string* note) override;

  // Sends one command (with `data`: size byte unless `noSize`, data, checksum) and reads
  // its reply into `reply` (`replySize` bytes; bytes beyond are read and dropped). A frame
  // refused with the checksum error is sent again, at most kMaxResends times in a row.
  // Ok for an ACK, and for an inquiry's response; anything else, an error, or a reply
  // byte that did not come in time fails: FailureDetail() names the command (with `where`,
  // e.g. " at 00001000"), what came back and an error's meaning.
  StepResult Command(uint8_t command, const uint8_t* data, int length, uint8_t* reply,
              int replySize, bool noSize, const char* where = "");

  // Frames sent again after the checksum error, over the driver's life.
  uint32_t Resent() const override { return m_resent; }

  // "0x3F (new bit rate)".
  static std::string CommandName(uint8_t command);

 private:
  // What a reply turned out to be once its last byte was read.
  enum class ReplyKind { Ack, Response, ErrorPair, Broken };
  // Reads one reply: its bytes into `reply` (up to `replySize`), its first bytes into
  // `seen` (up to kDetailReplyBytes), its length through `length` (for Broken: the bytes
  // that came before the wait gave up).
  ReplyKind ReadReply(uint8_t* reply, int replySize, uint8_t* seen, int* length);
  // Lets in and drops what is left of a refused answer, until the line is quiet.
  void DropRestOfAnswer();
  // Writes `frame` and, with `withSum`, the checksum that makes its bytes add up to 0;
  // false when the port refused a byte (WriteRefusal() says why).
  bool SendFrame(const uint8_t* frame, int length, bool withSum);
  // A check command's reply: its data, or why there is none.
  enum class CheckReply { Data, ErrorPair, Broken };
  // Sends `frame` (command byte first, the checksum added when `length` > 1) and reads a
  // reply `code`, a size field of `sizeBytes` bytes, that many data bytes into `data`
  // (at most `capacity`; the count through `received`) and a checksum. ErrorPair and
  // Broken (the port lost, a byte missing for 10 s, a reply of another form) leave
  // FailureDetail().
  CheckReply CheckCommand(const uint8_t* frame, int length, uint8_t code, int sizeBytes,
                          uint8_t* data, uint32_t capacity, uint32_t* received);
  // Why a reply broke off after the `shown` bytes in `seen`: ": no reply byte within 10 s
  // after 06 12" (or the port lost, or cancelled).
  std::string ReplyBrokeOff(const uint8_t* seen, int shown) const;
  // Reads the blocks below image.end that hold data back and compares them; Ok when all
  // are equal. The first difference fills `report`.
  StepResult ReadBack(const WrittenImage& image, VerifyReport* report);

  uint32_t m_resent = 0;
};

}  // namespace k470
