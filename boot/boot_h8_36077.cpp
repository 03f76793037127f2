// BootH8_36077: echoed program transfer and the write-control program's frames.
#include "boot/boot_h8_36077.h"

#include <cstring>
#include <vector>

#include "jobs/mot_file2bin.h"

namespace k470 {

int BootH8_36077::MatchBitRate(int* matchedBps) {
  if (!AdjustBitRate(matchedBps)) return 0;
  if (!m_port->WriteByte(kBootMatchConfirm)) return 0;
  const int b = WaitAnyByte(kMatchAnswerWait36077Ms, true);
  return b == 0x100 + kMatchAnswer36077 ? 1 : 0;
}

int BootH8_36077::WaitByte(uint8_t expected) {
  m_waiting = 1;
  const int b = WaitAnyByte(kWaitByteMs, true);
  if (b == 0) return 0;
  m_waiting = 0;
  return (b & 0xFF) == expected ? 1 : 0;
}

int BootH8_36077::SendEchoed(const uint8_t* bytes, int count) {
  if (count <= 0) return 1;
  if (!m_port->Write(bytes, count)) return 0;
  for (int i = 0; i < count; ++i) {
    if (!WaitByte(bytes[i])) return 0;
  }
  return 1;
}

int BootH8_36077::TransferWriteProgram(const char* path) {
  std::vector<uint8_t> image(kProgramBytes);
  uint32_t high = kProgramBase;
  {
    MotFile2Bin reader;
    if (!reader.Start(path ? path : "", image.data(), kProgramBytes, kProgramBase)) return 0;
    reader.WaitDone(nullptr);  // the file is small: no cancel while it is read
    if (reader.WaitResult(nullptr, &high) != MOT_OK) return 0;
  }
  if (Cancelled()) return 1;

  // The count covers 0xF780 through the highest byte the file filled.
  const uint32_t count = (high - kProgramBase + 1) & 0xFFFF;
  const uint8_t countBytes[2] = {static_cast<uint8_t>(count >> 8),
                                 static_cast<uint8_t>(count)};
  if (!SendEchoed(countBytes, 2)) return 0;
  for (uint32_t i = 0; i < count && i < kProgramBytes; ++i) {
    if (Cancelled()) return 1;
    if (!SendEchoed(&image[i], 1)) return 0;
  }
  if (Cancelled()) return 1;
  return WaitByte(kProgramLoaded);
}

int BootH8_36077::PrepareWrite() {
  if (!Reopen(kWriteProgramBps)) return 0;
  const uint8_t start = kCmdStart;
  if (!m_port->Write(&start, 1)) return 0;
  return WaitByte(kReplyOk);
}

int BootH8_36077::WriteBlock(const uint8_t* data, uint32_t address, int* step) {
  *step = kBlockBytes;
  if (IsErased(data)) return 1;
  if (Cancelled()) return 1;

  uint8_t frame[kBlockFrameBytes];
  frame[0] = kCmdBlock;
  frame[1] = static_cast<uint8_t>(address >> 24);
  frame[2] = static_cast<uint8_t>(address >> 16);
  frame[3] = static_cast<uint8_t>(address >> 8);
  frame[4] = static_cast<uint8_t>(address);
  std::memcpy(frame + 5, data, kBlockBytes);
  uint16_t sum = 0;
  for (int i = 0; i < kBlockBytes; ++i) sum = static_cast<uint16_t>(sum + data[i]);
  frame[5 + kBlockBytes] = static_cast<uint8_t>(sum >> 8);
  frame[6 + kBlockBytes] = static_cast<uint8_t>(sum);
  if (!m_port->Write(frame, sizeof frame)) return 0;

  // 0x05 on receipt, a second 0x05 once the block is programmed.
  if (!WaitByte(kReplyOk)) return 0;
  int result = 0;
  for (int i = 0; i < kSecondAckAttempts; ++i) {
    result = WaitByte(kReplyOk);
    if (result || !m_waiting || Cancelled()) break;
  }
  return result;
}

int BootH8_36077::EndWrite() {
  const uint8_t end = kCmdEnd;
  if (!m_port->Write(&end, 1)) return 0;
  return WaitByte(kReplyOk);
}

}  // namespace k470
