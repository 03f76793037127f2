// The H8/3069 boot program's checks of its programming/erasure state, the state after
// 0x40 and again after the end frame: the user flash sum check (4B), the user flash blank
// check (4D) and the memory read (52).
#include "target_h8_3069.h"

namespace k470sim {

namespace {

constexpr uint8_t kCmdSumCheck = 0x4B;    // answer 5B 04 s3 s2 s1 s0 SUM
constexpr uint8_t kCmdBlankCheck = 0x4D;  // answer 06, or CD 52 when not erased
constexpr uint8_t kCmdMemoryRead = 0x52;  // 52 09 01 a3..a0 n3..n0 SUM
constexpr uint8_t kRspSum = 0x5B;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kErrorFlag = 0x80;
constexpr uint8_t kErrNotErased = 0x52;
constexpr uint8_t kErrAddress = 0x2A;
constexpr uint8_t kErrLength = 0x2B;
constexpr uint8_t kErrCommand = 0x80;
constexpr uint8_t kAreaUserFlash = 0x01;
constexpr size_t kReadRequestBytes = 9;  // area, address, length

void PutBigEndian(uint32_t value, std::vector<uint8_t>& out) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void AddChecksum(std::vector<uint8_t>& frame) {
  unsigned sum = 0;
  for (uint8_t b : frame) sum += b;
  frame.push_back(static_cast<uint8_t>(0x100 - (sum & 0xFF)));
}

}  // namespace

bool H8_3069Target::IsCheck() const {
  const uint8_t cmd = m_frame[0];
  return cmd == kCmdSumCheck || cmd == kCmdBlankCheck || cmd == kCmdMemoryRead;
}

std::vector<uint8_t> H8_3069Target::Check(double& replyAt) {
  const uint8_t cmd = m_frame[0];
  // Unknown to a boot program without them; refused outside the programming/erasure
  // state (before 0x40, and between 0x43 and the end frame).
  if (m_faults.noChecks || !m_programState || m_userFlash) return Error(cmd, kErrCommand);
  std::vector<uint8_t> reply;
  if (cmd == kCmdSumCheck) {
    uint32_t sum = 0;
    for (uint8_t b : m_flash) sum += b;
    replyAt += m_faults.checkS;
    reply = {kRspSum, 4};
    PutBigEndian(sum, reply);
    AddChecksum(reply);
  } else if (cmd == kCmdBlankCheck) {
    replyAt += m_faults.checkS;
    for (uint8_t b : m_flash) {
      if (b != 0xFF) return {static_cast<uint8_t>(cmd | kErrorFlag), kErrNotErased};
    }
    reply = {kAck};
  } else {
    if (m_frame[1] != kReadRequestBytes) return Error(cmd, kErrLength);
    const uint32_t address = BigEndian32(&m_frame[3]);
    const uint32_t length = BigEndian32(&m_frame[7]);
    if (m_frame[2] != kAreaUserFlash || address >= kFlashSize) return Error(cmd, kErrAddress);
    if (length == 0 || length > kFlashSize - address) return Error(cmd, kErrLength);
    reply = {kCmdMemoryRead};
    PutBigEndian(length, reply);
    reply.insert(reply.end(), m_flash.begin() + address, m_flash.begin() + address + length);
    AddChecksum(reply);
  }
  ++m_checks;
  return reply;
}

}  // namespace k470sim
