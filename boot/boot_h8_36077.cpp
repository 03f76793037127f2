// BootH8_36077: echoed program transfer and the write-control program's frames.
#include "boot/boot_h8_36077.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "jobs/mot_file2bin.h"
#include "serial/line_time.h"

namespace k470 {

using namespace h8_36077;

int BootH8_36077::WaitByte(uint8_t expected) {
  m_waiting = 1;
  m_lastGot = WaitAnyByte(kWaitByteMs, true);
  if (m_lastGot == 0) return 0;
  m_waiting = 0;
  return (m_lastGot & 0xFF) == expected ? 1 : 0;
}

StepResult BootH8_36077::Expect(const std::string& what, uint8_t expected) {
  if (WaitByte(expected)) return StepResult::Ok;
  return FailWait(what, m_lastGot, expected, kWaitByteMs);
}

StepResult BootH8_36077::ReadWriteProgram(const char* path, std::string* note) {
  if (note != nullptr) note->clear();
  std::vector<uint8_t> image(kProgramBytes);
  uint32_t high = kProgramBase;
  MotFile2Bin reader;
  const std::string file = path ? path : "";
  if (!reader.Start(file, image.data(), kProgramBytes, kProgramBase)) {
    return Fail("the write-control program " + file + " could not be read");
  }
  reader.WaitDone(nullptr);  // the file is small: no cancel while it is read
  switch (reader.WaitResult(nullptr, &high)) {
    case MOT_OK:
      // Records outside F780..FEEF are not sent, and said so as for any image.
      if (note != nullptr && reader.DroppedBytes() != 0) {
        *note = "write-control program " + file + ": " + reader.DroppedNote();
      }
      break;
    case MOT_NO_DATA:
      return Fail("the write-control program holds no data in F780..FEEF: " +
                  reader.FailureDetail());
    default:  // the file named with the system's reason, or the line that is no record
      return Fail("write-control program " + reader.FailureDetail());
  }
  m_program.swap(image);
  m_programHigh = high;
  return StepResult::Ok;
}

StepResult BootH8_36077::TransferWriteProgram(const char* path) {
  const StepResult read = m_program.empty() ? ReadWriteProgram(path, nullptr) : StepResult::Ok;
  if (read != StepResult::Ok) return read;
  if (Cancelled()) return StepResult::Cancelled;

  // The count covers 0xF780 through the highest byte the file filled. Its echo is
  // awaited (and timed) before the program goes.
  const uint32_t count = (m_programHigh - kProgramBase + 1) & 0xFFFF;
  const uint8_t countBytes[2] = {static_cast<uint8_t>(count >> 8),
                                 static_cast<uint8_t>(count)};
  m_late.Begin();
  if (!m_port->Write(countBytes, 2)) return Fail("count byte 1" + WriteRefusal());
  for (int i = 0; i < 2; ++i) {
    const std::string what = "echo of count byte " + std::to_string(i + 1);
    if (StepResult r = Expect(what, countBytes[i]); r != StepResult::Ok) return r;
  }
  m_late.End(LineTimeMs(kCountExchangeBytes, m_port->Line()));
  const int programBytes = static_cast<int>(std::min(count, kProgramBytes));
  if (StepResult r = SendProgram(m_program.data(), programBytes); r != StepResult::Ok) return r;
  if (Cancelled()) return StepResult::Cancelled;
  return Expect("the program's last byte", kProgramLoaded);
}

StepResult BootH8_36077::SendProgram(const uint8_t* program, int count) {
  char text[80];
  int sent = 0;
  for (int checked = 0; checked < count; ++checked) {
    // The next run goes while the echoes of the one before come back, so that the line
    // never waits for a round trip; at most two runs are unechoed.
    if (sent < count && sent - checked <= kProgramRunBytes) {
      if (Cancelled()) return StepResult::Cancelled;
      const int run = std::min(kProgramRunBytes, count - sent);
      if (!m_port->Write(program + sent, run)) {
        std::snprintf(text, sizeof text, "the program bytes from offset %d: %s", sent,
                      PortLost() ? "port lost" : "the port refused the write");
        return Fail(text);
      }
      sent += run;
    }
    std::snprintf(text, sizeof text, "echo of the program byte at offset %d (%04X)", checked,
                  static_cast<unsigned>(kProgramBase) + static_cast<unsigned>(checked));
    if (StepResult r = Expect(text, program[checked]); r != StepResult::Ok) return r;
  }
  return StepResult::Ok;
}

StepResult BootH8_36077::PrepareWrite() {
  if (!SetRate(kWriteProgramBps)) {
    return Fail(PortLost() ? "port lost"
                           : "the port could not be set to " +
                                 std::to_string(kWriteProgramBps) + " bit/s");
  }
  const uint8_t start = kCmdStart;
  m_late.Begin();
  if (!m_port->Write(&start, 1)) return Fail("\"S\" (start): port lost");
  if (StepResult r = Expect("\"S\" (start)", kReplyOk); r != StepResult::Ok) return r;
  m_late.End(LineTimeMs(kStartExchangeBytes, m_port->Line()));
  return StepResult::Ok;
}

StepResult BootH8_36077::WriteBlock(const uint8_t* data, uint32_t address) {
  if (IsErased(data)) return StepResult::Ok;
  if (Cancelled()) return StepResult::Cancelled;

  uint8_t frame[kBlockFrameBytes];
  frame[0] = kCmdBlock;
  PutBigEndian(address, frame + 1);
  std::memcpy(frame + 5, data, kBlockBytes);
  uint16_t sum = 0;
  for (int i = 0; i < kBlockBytes; ++i) sum = static_cast<uint16_t>(sum + data[i]);
  frame[5 + kBlockBytes] = static_cast<uint8_t>(sum >> 8);
  frame[6 + kBlockBytes] = static_cast<uint8_t>(sum);
  char what[48];
  std::snprintf(what, sizeof what, "\"A\" (block) at %08X", static_cast<unsigned>(address));
  if (!m_port->Write(frame, sizeof frame)) return Fail(std::string(what) + ": port lost");

  // 0x05 on receipt, a second 0x05 once the block is programmed.
  if (StepResult r = Expect(what, kReplyOk); r != StepResult::Ok) return r;
  int result = 0;
  for (int i = 0; i < kSecondAckAttempts; ++i) {
    result = WaitByte(kReplyOk);
    if (result || !m_waiting || Cancelled() || PortLost()) break;
  }
  if (result) return StepResult::Ok;
  if (!m_waiting || PortLost()) return FailWait(std::string(what) + ", programmed", m_lastGot,
                                                kReplyOk, kWaitByteMs);
  std::snprintf(what + std::strlen(what), sizeof what - std::strlen(what),
                ": no second 05 within %d s", kSecondAckAttempts * static_cast<int>(kWaitByteMs) / 1000);
  return Fail(what);
}

StepResult BootH8_36077::EndWrite() {
  const uint8_t end = kCmdEnd;
  if (!m_port->Write(&end, 1)) return Fail("\"E\" (end): port lost");
  return Expect("\"E\" (end)", kReplyOk);
}

}  // namespace k470
