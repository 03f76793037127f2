// BootH8_3069: command framing, reply lengths and the write sequence of the H8/3069.
#include "boot/boot_h8_3069.h"

#include <cstring>

#include "boot/clock_field.h"

namespace k470 {

int BootH8_3069::MatchBitRate(int* matchedBps) {
  if (!AdjustBitRate(matchedBps)) return 0;
  if (!m_port->WriteByte(kBootMatchConfirm)) return 0;
  const int b = WaitAnyByte(kMatchAnswerWait3069Ms, kMatchAnswerPoll3069Ms, true);
  return b == 0x100 + kMatchAnswer3069 ? 1 : 0;
}

int BootH8_3069::Command(uint8_t command, const uint8_t* data, int length, uint8_t* reply,
                         int replySize, bool noSize) {
  if (data == nullptr) {
    if (!m_port->WriteByte(command)) return 0;
  } else {
    uint8_t sum = command;
    if (!m_port->WriteByte(command)) return 0;
    if (!noSize) {
      sum = static_cast<uint8_t>(sum + length);
      if (!m_port->WriteByte(static_cast<uint8_t>(length))) return 0;
    }
    for (int i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + data[i]);
    if (length > 0 && !m_port->Write(data, length)) return 0;
    if (!m_port->WriteByte(static_cast<uint8_t>(0x100 - sum))) return 0;
  }

  // The reply: ACK alone, an error pair, or code + size + data + checksum.
  int expected = 2;
  bool error = false;
  for (int count = 0; count < expected; ++count) {
    const int b = WaitAnyByte(kReplyByteWaitMs, 0, false);
    if (!b) return 0;
    const uint8_t byte = static_cast<uint8_t>(b);
    if (count < replySize) reply[count] = byte;  // the rest is read and dropped
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
  return error ? 0 : 1;
}

int BootH8_3069::SelectDevice() {
  // A clock the 0x3F frame cannot carry fails the step before anything is sent.
  if (!ClockFitsField(m_clockKhz)) return 0;
  uint8_t reply[kSelectReplyBytes] = {};
  if (!Command(kCmdDeviceInquiry, nullptr, 0, reply, sizeof reply, false)) return 0;
  uint8_t deviceCode[kDeviceCodeBytes];
  std::memcpy(deviceCode, reply + kDeviceCodeOffset, kDeviceCodeBytes);
  if (!Command(kCmdDeviceSelect, deviceCode, kDeviceCodeBytes, reply, sizeof reply, false)) {
    return 0;
  }
  if (!Command(kCmdClockModeInquiry, nullptr, 0, reply, sizeof reply, false)) return 0;
  const uint8_t mode = kClockMode0;
  if (!Command(kCmdClockModeSelect, &mode, 1, reply, sizeof reply, false)) return 0;
  if (!Command(kCmdMultiplierInquiry, nullptr, 0, reply, sizeof reply, false)) return 0;
  if (!Command(kCmdFrequencyInquiry, nullptr, 0, reply, sizeof reply, false)) return 0;

  // New bit rate: rate / 100 and clock in units of 0.01 MHz, high bytes first.
  const unsigned rate = static_cast<unsigned>(m_bps) / 100u;
  const unsigned clock = static_cast<unsigned>(ClockFieldCount(m_clockKhz));
  const uint8_t newRate[6] = {
      static_cast<uint8_t>(rate >> 8), static_cast<uint8_t>(rate),
      static_cast<uint8_t>(clock >> 8), static_cast<uint8_t>(clock),
      kMultiplierCount, kMultiplierRatio};
  const int rateAccepted = Command(kCmdNewBitRate, newRate, 6, reply, sizeof reply, false);
  // The chip may have switched even if its answer was lost: follow it in any case.
  const int reopened = Reopen(static_cast<uint32_t>(m_bps));
  if (!rateAccepted || !reopened) return 0;

  if (!Command(kCmdBitRateConfirm, nullptr, 0, reply, sizeof reply, false)) return 0;
  return Command(kCmdProgramEraseState, nullptr, 0, reply, sizeof reply, false);
}

int BootH8_3069::TransferWriteProgram(const char* /*path*/) { return 1; }

int BootH8_3069::PrepareWrite() {
  uint8_t reply[kPrepareReplyBytes];
  return Command(kCmdUserFlashSelect, nullptr, 0, reply, sizeof reply, false);
}

int BootH8_3069::WriteBlock(const uint8_t* data, uint32_t address, int* step) {
  *step = kBlockBytes;
  if (IsErased(data)) return 1;
  uint8_t frame[4 + kBlockBytes];
  frame[0] = static_cast<uint8_t>(address >> 24);
  frame[1] = static_cast<uint8_t>(address >> 16);
  frame[2] = static_cast<uint8_t>(address >> 8);
  frame[3] = static_cast<uint8_t>(address);
  std::memcpy(frame + 4, data, kBlockBytes);
  uint8_t reply[kBlockReplyBytes];
  return Command(kCmdProgram128, frame, sizeof frame, reply, sizeof reply, true);
}

int BootH8_3069::EndWrite() {
  const uint8_t end[4] = {static_cast<uint8_t>(kEndAddress >> 24),
                          static_cast<uint8_t>(kEndAddress >> 16),
                          static_cast<uint8_t>(kEndAddress >> 8),
                          static_cast<uint8_t>(kEndAddress)};
  uint8_t reply[kEndReplyBytes];
  return Command(kCmdProgram128, end, sizeof end, reply, sizeof reply, true);
}

}  // namespace k470
