// CThreadLoad: reading the image and the chunked load with its acknowledgement wait.
#include "monitor/thread_load.h"

#include <cstdio>
#include <cstring>

#include "jobs/job_target.h"
#include "jobs/mot_file2bin.h"
#include "jobs/ticks.h"
#include "monitor/monitor_texts.h"
#include "serial/com_port.h"

namespace k470 {
namespace {
constexpr int kByteReadFlag = 0x100;  // ReadByte: a byte was read
constexpr int kImageReady = -1;
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

void CThreadLoad::PostStatus(const char* text) {
  std::snprintf(m_statusText, sizeof m_statusText, "%s", text);
  m_target->PostStatus(WM_LOAD_PROGRESS, m_statusText);
}

int CThreadLoad::Run() {
  const int result = Load();
  // Exactly one end message, always the last report of the run.
  m_target->PostEnded(WM_LOAD_PROGRESS, result);
  SetDone();
  return 0;
}

int CThreadLoad::ReadImage() {
  m_low = 0;
  m_high = 0;
  MotFile2Bin reader;
  int mot = MOT_OPEN_FAILED;
  uint32_t low = 0;
  uint32_t high = 0;
  if (reader.Start(m_fileName, m_image.data(), kRamSizeBytes, kRamBase)) {
    while (!reader.IsDone() && !m_cancel.load()) SleepMs(kReaderPollMs);
    mot = reader.WaitResult(&low, &high);  // also stops a reading still in progress
  }
  switch (mot) {
    case MOT_OPEN_FAILED:
    case MOT_FORMAT_ERROR:
      m_target->ShowMessage(kMsgFileFormatInvalid, MessageIcon::Error);
      return JOB_FAILED;
    case MOT_NO_DATA:
      m_target->ShowMessage(kMsgDataOutOfRange, MessageIcon::Error);
      return JOB_FAILED;
    default:
      break;  // MOT_OK and MOT_CANCELLED go on
  }
  // The reader keeps its bounds inside the window; never send from outside the image.
  if (low < kRamBase || high < low || high - kRamBase >= kRamSizeBytes) {
    m_target->ShowMessage(kMsgDataOutOfRange, MessageIcon::Error);
    return JOB_FAILED;
  }
  m_low = low;
  m_high = high;
  return kImageReady;
}

int CThreadLoad::Load() {
  if (m_startAddress < kRamBase) {
    m_target->ShowMessage(kMsgStartAddressOutOfRange, MessageIcon::Error);
    return JOB_FAILED;
  }
  PostStatus(kStatusReadingFile);
  const int read = ReadImage();
  if (read != kImageReady) return read;
  if (m_cancel.load()) return JOB_CANCELLED;

  m_port->Purge();  // drops the prompts left in the receive queue
  const uint32_t high = m_high.load();
  for (uint32_t address = m_low.load(); address <= high;) {
    if (m_cancel.load()) return JOB_CANCELLED;
    // Up to 1024 bytes a chunk; when exactly 1025 remain, they go as one chunk.
    const uint32_t n = (address + kChunkBytes < high) ? kChunkBytes : high - address + 1;

    char text[kStatusTextBytes];
    std::snprintf(text, sizeof text, "%08X - %08X", static_cast<unsigned>(address),
                  static_cast<unsigned>(address + n));
    PostStatus(text);

    char command[kLoadCommandBytes];
    std::snprintf(command, sizeof command, "L %X %d s\r", static_cast<unsigned>(address),
                  static_cast<int>(n));
    // Write failures are not reported: the acknowledgement then never comes and the wait
    // runs until it is cancelled.
    m_port->WriteString(command);
    m_port->Write(m_image.data() + (address - kRamBase), static_cast<int>(n));
    if (!WaitForAck()) return JOB_CANCELLED;
    address += n;
  }
  return m_cancel.load() ? JOB_CANCELLED : JOB_SUCCEEDED;
}

bool CThreadLoad::WaitForAck() {
  // Matches e, n, d, ! in this order; other bytes in between are skipped. Spins on the
  // port without sleeping so that the next chunk follows the acknowledgement at once.
  const size_t ackLength = std::strlen(kAckText);
  size_t matched = 0;
  while (matched < ackLength) {
    if (m_cancel.load()) return false;
    const int got = m_port->ReadByte();
    if ((got & kByteReadFlag) && static_cast<char>(got & 0xFF) == kAckText[matched]) ++matched;
  }
  return true;
}

}  // namespace k470
