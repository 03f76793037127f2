// BootH8_3069: command framing, reply lengths and the write sequence of the H8/3069.
#include "boot/boot_h8_3069.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "boot/boot_errors.h"
#include "boot/clock_field.h"
#include "serial/line_time.h"

namespace k470 {

using namespace h8_3069;

namespace {
// The inquiries are answered with a response of their own; every other command with an
// ACK alone.
bool IsInquiry(uint8_t command) {
  return command >= kCmdDeviceInquiry && command <= kCmdFrequencyInquiry;
}
}  // namespace

std::string BootH8_3069::CommandName(uint8_t command) {
  struct Named {
    uint8_t command;
    const char* name;
  };
  static const Named kNames[] = {
      {kCmdDeviceInquiry, "supported device inquiry"},
      {kCmdDeviceSelect, "device selection"},
      {kCmdClockModeInquiry, "clock mode inquiry"},
      {kCmdClockModeSelect, "clock mode selection"},
      {kCmdMultiplierInquiry, "multiplication ratio inquiry"},
      {kCmdFrequencyInquiry, "operating frequency inquiry"},
      {kCmdNewBitRate, "new bit rate"},
      {kCmdBitRateConfirm, "bit rate confirmation"},
      {kCmdProgramEraseState, "programming/erasure state"},
      {kCmdUserFlashSelect, "user flash programming selection"},
      {kCmdProgram128, "128-byte programming"},
      {kCmdUserSumCheck, "user flash sum check"},
      {kCmdMemoryRead, "memory read"},
  };
  char text[64];
  for (const Named& n : kNames) {
    if (n.command == command) {
      std::snprintf(text, sizeof text, "0x%02X (%s)", command, n.name);
      return text;
    }
  }
  std::snprintf(text, sizeof text, "0x%02X", command);
  return text;
}

std::string BootH8_3069::ReplyBrokeOff(const uint8_t* seen, int shown) const {
  const unsigned seconds = static_cast<unsigned>(kReplyByteWaitMs / 1000);
  char timeout[40];
  // Without any byte there is nothing to name after the reason.
  if (shown == 0) {
    std::snprintf(timeout, sizeof timeout, "no reply within %u s", seconds);
    const char* why = PortLost() ? "port lost before any reply"
                      : Cancelled() ? "cancelled before any reply" : timeout;
    return std::string(": ") + why;
  }
  std::snprintf(timeout, sizeof timeout, "no reply byte within %u s", seconds);
  const char* why = PortLost() ? "port lost" : Cancelled() ? "cancelled" : timeout;
  return std::string(": ") + why + " after " + HexBytesText(seen, shown);
}

StepResult BootH8_3069::Command(uint8_t command, const uint8_t* data, int length,
                                uint8_t* reply, int replySize, bool noSize, const char* where) {
  const std::string what = CommandName(command) + where;
  // The inquiries are answered from the chip's tables at once: their time is the line's.
  const bool timed = data == nullptr && IsInquiry(command);
  // The frame: the command, with data its size byte (unless `noSize`) and the data.
  uint8_t frame[kMaxFrameBytes];
  int frameLength = 1;
  frame[0] = command;
  if (data != nullptr) {
    if (length < 0 || length > kMaxFrameBytes - 2) return Fail(what + ": frame too long");
    if (!noSize) frame[frameLength++] = static_cast<uint8_t>(length);
    std::memcpy(frame + frameLength, data, static_cast<size_t>(length));
    frameLength += length;
  }
  const uint8_t refusal = static_cast<uint8_t>(command | kReplyErrorBit);
  for (int resends = 0;; ++resends) {
    if (timed) m_late.Begin();
    // A command with data ends with its checksum even when it carries no size byte.
    if (!SendFrame(frame, frameLength, data != nullptr)) return Fail(what + WriteRefusal());
    uint8_t seen[kDetailReplyBytes];
    int got = 0;
    switch (ReadReply(reply, replySize, seen, &got)) {
      case ReplyKind::Ack:
        if (timed) m_late.End(LineTimeMs(2, m_port->Line()));
        return StepResult::Ok;
      case ReplyKind::Response:
        if (IsInquiry(command)) {
          if (timed) m_late.End(LineTimeMs(1 + got, m_port->Line()));
          return StepResult::Ok;
        }
        // Only an ACK says that the chip took the frame: a block answered otherwise may
        // not be in the flash.
        return Fail(what + " answered " + HexBytesText(seen, std::min(got, kDetailReplyBytes)));
      case ReplyKind::Broken:
        return Fail(what + ReplyBrokeOff(seen, std::min(got, kDetailReplyBytes)));
      case ReplyKind::ErrorPair:
        break;
    }
    // The checksum error means the chip threw the frame away before acting on it, so it
    // is safe to send again; every other error may come after the chip acted.
    if (seen[0] != refusal || seen[1] != kErrorChecksum || resends == kMaxResends || Cancelled()) {
      return Fail(what + " answered " + HexBytesText(seen, 2) + ": " + BootErrorMeaning(seen[1]));
    }
    DropRestOfAnswer();
    ++m_resent;
  }
}

BootH8_3069::ReplyKind BootH8_3069::ReadReply(uint8_t* reply, int replySize, uint8_t* seen,
                                              int* length) {
  // ACK alone, an error pair, or code + size + data + checksum.
  int expected = 2;
  bool error = false;
  for (int count = 0; count < expected; ++count) {
    // A cancel ends the wait at once; the job then ends cancelled.
    const int b = WaitAnyByte(kReplyByteWaitMs, true);
    if (!b) {
      *length = count;
      return ReplyKind::Broken;
    }
    const uint8_t byte = static_cast<uint8_t>(b);
    if (count < replySize) reply[count] = byte;  // the rest is read and dropped
    if (count < kDetailReplyBytes) seen[count] = byte;
    if (count == 0) {
      if (byte == kReplyAck) {
        expected = 1;
      } else if (byte & kReplyErrorBit) {
        error = true;
      }
    } else if (count == 1 && !error) {
      expected = byte + 3;
    }
  }
  *length = expected;
  if (error) return ReplyKind::ErrorPair;
  return expected == 1 ? ReplyKind::Ack : ReplyKind::Response;
}

void BootH8_3069::DropRestOfAnswer() {
  // A frame cut short by a flipped size byte has the chip answer its tail as commands:
  // those answers are let in until the line is quiet, at most a frame's worth.
  for (int dropped = 0; dropped < kMaxFrameBytes * 2; ++dropped) {
    if (!WaitAnyByte(kResendQuietMs, true)) break;
  }
  m_port->Purge();
}

bool BootH8_3069::SendFrame(const uint8_t* frame, int length, bool withSum) {
  if (m_port->Write(frame, length) == 0) return false;
  if (!withSum) return true;
  uint8_t sum = 0;
  for (int i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
  return m_port->WriteByte(static_cast<uint8_t>(0x100 - sum)) != 0;
}

StepResult BootH8_3069::SelectDevice() {
  // A clock the 0x3F frame cannot carry fails the step before anything is sent.
  if (!ClockFitsField(m_clockKhz)) {
    char text[96];
    std::snprintf(text, sizeof text,
                  "a clock of %d kHz does not fit 0x3F (new bit rate): 10 kHz to 655.35 MHz",
                  m_clockKhz);
    return Fail(text);
  }
  uint8_t reply[kSelectReplyBytes] = {};
  StepResult r = StepResult::Ok;
  // Each exchange runs only while those before it went well.
  auto exchange = [&](uint8_t command, const uint8_t* data, int length) {
    if (r == StepResult::Ok) r = Command(command, data, length, reply, sizeof reply, false);
  };
  exchange(kCmdDeviceInquiry, nullptr, 0);
  uint8_t deviceCode[kDeviceCodeBytes];
  std::memcpy(deviceCode, reply + kDeviceCodeOffset, kDeviceCodeBytes);
  const uint8_t mode = kClockMode0;
  exchange(kCmdDeviceSelect, deviceCode, kDeviceCodeBytes);
  exchange(kCmdClockModeInquiry, nullptr, 0);
  exchange(kCmdClockModeSelect, &mode, 1);
  exchange(kCmdMultiplierInquiry, nullptr, 0);
  exchange(kCmdFrequencyInquiry, nullptr, 0);
  if (r != StepResult::Ok) return r;

  // New bit rate: rate / 100 and clock in units of 0.01 MHz, high bytes first.
  const unsigned rate = static_cast<unsigned>(m_bps) / 100u;
  const unsigned clock = static_cast<unsigned>(ClockFieldCount(m_clockKhz));
  const uint8_t newRate[6] = {
      static_cast<uint8_t>(rate >> 8), static_cast<uint8_t>(rate),
      static_cast<uint8_t>(clock >> 8), static_cast<uint8_t>(clock),
      kMultiplierCount, kMultiplierRatio};
  r = Command(kCmdNewBitRate, newRate, 6, reply, sizeof reply, false);
  // The chip may have switched even if its answer was lost: follow it in any case.
  const int switched = SetRate(static_cast<uint32_t>(m_bps));
  if (r != StepResult::Ok) return r;
  if (!switched) {
    char text[64];
    std::snprintf(text, sizeof text, "the port could not be set to %d bit/s", m_bps);
    return Fail(PortLost() ? std::string("port lost at the new bit rate") : text);
  }

  exchange(kCmdBitRateConfirm, nullptr, 0);
  exchange(kCmdProgramEraseState, nullptr, 0);
  return r;
}

StepResult BootH8_3069::PrepareWrite() {
  uint8_t reply[kPrepareReplyBytes];
  return Command(kCmdUserFlashSelect, nullptr, 0, reply, sizeof reply, false);
}

StepResult BootH8_3069::WriteBlock(const uint8_t* data, uint32_t address) {
  if (IsErased(data)) return StepResult::Ok;
  uint8_t frame[4 + kBlockBytes];
  PutBigEndian(address, frame);
  std::memcpy(frame + 4, data, kBlockBytes);
  uint8_t reply[kBlockReplyBytes];
  char where[16];
  std::snprintf(where, sizeof where, " at %08X", static_cast<unsigned>(address));
  return Command(kCmdProgram128, frame, sizeof frame, reply, sizeof reply, true, where);
}

StepResult BootH8_3069::EndWrite() {
  uint8_t end[4];
  PutBigEndian(kEndAddress, end);
  uint8_t reply[kEndReplyBytes];
  return Command(kCmdProgram128, end, sizeof end, reply, sizeof reply, true, " (end)");
}

}  // namespace k470
