// CThreadLoad: reading the image and the chunked load with its acknowledgement wait.
#include "monitor/thread_load.h"

#include <cstdio>
#include <cstring>

#include "jobs/job_target.h"
#include "jobs/late_answers.h"
#include "jobs/mot_file2bin.h"
#include "base/texts.h"
#include "base/ticks.h"
#include "monitor/monitor_texts.h"
#include "serial/com_port.h"
#include "serial/late_answer_fix.h"
#include "serial/line_time.h"
#include "serial/port_texts.h"

namespace k470 {
namespace {
constexpr int kImageReady = -1;
constexpr size_t kDetailBytes = 128;
constexpr const char* kLateJobName = "load";
}  // namespace

CThreadLoad::CThreadLoad() : m_image(kRamSizeBytes, 0xFF) {}

CThreadLoad::~CThreadLoad() { StopAndWait(); }

int CThreadLoad::Start(CComPort* port, const std::string& fileName, uint32_t startAddress,
                       JobTarget* target) {
  m_port = port;
  m_fileName = fileName;
  m_startAddress = startAddress;
  m_target = target;
  return CThreadVl::Start();
}

int CThreadLoad::Run() {
  const int result = Load();
  // Exactly one end message, always the last report of the run.
  m_target->PostEnded(result);
  SetDone();
  return 0;
}

int CThreadLoad::ReadImage(uint32_t* low, uint32_t* high) {
  MotFile2Bin reader;
  int mot = MOT_OPEN_FAILED;
  if (reader.Start(m_fileName, m_image.data(), kRamSizeBytes, kRamBase)) {
    reader.WaitDone(CancelFlag());
    mot = reader.WaitResult(low, high);  // also stops a reading still in progress
  }
  // The failure names the file and says why, below the message.
  switch (mot) {
    case MOT_OPEN_FAILED:
    case MOT_FORMAT_ERROR:
      m_target->ShowMessage(Text(TextId::kFileFormatInvalid), MessageIcon::Error,
                            reader.FailureDetail().c_str());
      return JOB_FAILED;
    case MOT_NO_DATA:
      m_target->ShowMessage(Text(TextId::kDataOutOfRange), MessageIcon::Error,
                            reader.FailureDetail().c_str());
      return JOB_FAILED;
    case MOT_OK:
      // Records outside the RAM are common enough not to fail the load, but never left
      // out without a word.
      if (reader.DroppedBytes() != 0) m_target->PostNote(reader.DroppedNote().c_str());
      break;
    default:
      break;  // MOT_CANCELLED goes on to its end
  }
  // The reader keeps its bounds inside the window; never send from outside the image.
  if (*low < kRamBase || *high < *low || *high - kRamBase >= kRamSizeBytes) {
    m_target->ShowMessage(Text(TextId::kDataOutOfRange), MessageIcon::Error);
    return JOB_FAILED;
  }
  return kImageReady;
}

int CThreadLoad::Load() {
  if (m_startAddress < kRamBase) {
    m_target->ShowMessage(Text(TextId::kStartAddressOutOfRange), MessageIcon::Error);
    return JOB_FAILED;
  }
  m_target->PostStatus(kStatusReadingFile);
  uint32_t low = 0;
  uint32_t high = 0;
  const int read = ReadImage(&low, &high);
  if (read != kImageReady) return read;
  if (Cancelled()) return JOB_CANCELLED;

  m_port->Purge();  // drops the prompts left in the receive queue
  // Progress counts the bytes the board has acknowledged.
  JobProgress progress;
  progress.unit = ProgressUnit::Bytes;
  progress.total = static_cast<uint64_t>(high - low) + 1;
  progress.address = low;
  m_target->PostProgress(progress);
  // The monitor answers a chunk as soon as its last byte is in: how much later than the
  // line's time its first answers come is a slow adapter's, paid on every chunk.
  LateAnswers late;
  const uint32_t chunks = static_cast<uint32_t>((progress.total + kChunkBytes - 1) / kChunkBytes);
  for (uint32_t address = low; address <= high;) {
    if (Cancelled()) return JOB_CANCELLED;
    // Up to 1024 bytes a chunk; when exactly 1025 remain, they go as one chunk.
    const uint32_t n = (address + kChunkBytes < high) ? kChunkBytes : high - address + 1;

    char text[kStatusTextBytes];
    std::snprintf(text, sizeof text, "%08X - %08X", static_cast<unsigned>(address),
                  static_cast<unsigned>(address + n));
    m_target->PostStatus(text);

    char command[kLoadCommandBytes];
    std::snprintf(command, sizeof command, "L %X %d s\r", static_cast<unsigned>(address),
                  static_cast<int>(n));
    const bool timed = late.Count() < kTimedChunks;
    if (timed) late.Begin();
    // A lost port shows in the wait at once; a write that the port did not finish (a
    // write time-out) fails the load with what was sent, as no acknowledgement can come.
    const bool written =
        m_port->WriteString(command) &&
        m_port->Write(m_image.data() + (address - kRamBase), static_cast<int>(n));
    if (!written && !m_port->Lost()) {
      char where[32];
      std::snprintf(where, sizeof where, "the chunk at %08X: ", static_cast<unsigned>(address));
      m_target->ShowMessage(Text(TextId::kNoAnswerFromBoard), MessageIcon::Error,
                            (where + m_port->WriteError()).c_str());
      return JOB_FAILED;
    }
    int answered = 0;
    switch (WaitForAck(&answered)) {
      case AckWait::Acknowledged:
        break;
      case AckWait::Cancelled:
        return JOB_CANCELLED;
      case AckWait::PortLost:
        m_target->ShowMessage(PortLostMessage(m_port->Name()).c_str(), MessageIcon::Error);
        return JOB_FAILED;
      case AckWait::TimedOut: {
        char detail[kDetailBytes];
        std::snprintf(detail, sizeof detail, "no \"%s\" for the chunk at %08X within %u s",
                      kAckText, static_cast<unsigned>(address),
                      static_cast<unsigned>(m_ackTimeoutMs / 1000));
        m_target->ShowMessage(Text(TextId::kNoAnswerFromBoard), MessageIcon::Error, detail);
        return JOB_FAILED;
      }
    }
    if (timed) {
      const int lineBytes = static_cast<int>(std::strlen(command) + n) + answered;
      late.End(LineTimeMs(lineBytes, m_port->Line()));
      // Named once, when the last answer to be timed has come.
      if (late.Count() == kTimedChunks || address + n > high) {
        const std::string note = LateAnswerNote(late, chunks, kLateJobName,
                                                  LateAnswerFix(m_port->Name(), m_port->Device()));
        if (!note.empty()) m_target->PostNote(note.c_str());
      }
    }
    address += n;
    progress.done += n;
    progress.address = address;
    m_target->PostProgress(progress);
  }
  return Cancelled() ? JOB_CANCELLED : JOB_SUCCEEDED;
}

CThreadLoad::AckWait CThreadLoad::WaitForAck(int* received) {
  // Matches e, n, d, ! in this order; other bytes in between are skipped. Sleeps on the
  // port until each byte arrives, so the next chunk follows the acknowledgement at once.
  // Once the time is up the port is still read without waiting, and only what has not
  // come by then times out: a program stopped (Ctrl-Z, a sleeping laptop) for longer than
  // the limit finds the answer that came meanwhile.
  const size_t ackLength = std::strlen(kAckText);
  const uint32_t start = TickCountMs();
  size_t matched = 0;
  while (matched < ackLength) {
    uint32_t waitMs = UINT32_MAX;
    if (m_ackTimeoutMs != kAckWaitForever) {
      const uint32_t elapsed = TickCountMs() - start;
      waitMs = elapsed >= m_ackTimeoutMs ? 0 : m_ackTimeoutMs - elapsed;
    }
    const int got = m_port->WaitReadByte(waitMs, CancelFlag());
    if (got == kReadCancelled) return AckWait::Cancelled;
    if (got == kReadPortLost) return AckWait::PortLost;
    if (got == kReadTimedOut && m_ackTimeoutMs != kAckWaitForever) return AckWait::TimedOut;
    if (!(got & kByteArrived)) continue;
    ++*received;
    if (static_cast<char>(got & 0xFF) == kAckText[matched]) ++matched;
  }
  return AckWait::Acknowledged;
}

}  // namespace k470
