// CThreadWrite: the flash write job's body, its steps in turn.
#include "flash/thread_write.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "boot/boot_h8_3069.h"
#include "boot/boot_h8_36077.h"
#include "base/program_folder.h"
#include "base/fill_text.h"
#include "base/texts.h"
#include "jobs/mot_file2bin.h"
#include "serial/net_port.h"
#include "serial/port_names.h"
#include "serial/late_answer_fix.h"
#include "serial/port_texts.h"

namespace k470 {

namespace {
constexpr uint32_t kBlockMask = ~static_cast<uint32_t>(kBlockBytes - 1);
constexpr const char* kLateJobName = "write";

// The note on a write whose frames the chip refused as garbled and took when sent again.
std::string ResentNote(uint32_t resent) {
  char text[160];
  std::snprintf(text, sizeof text,
                resent == 1 ? "%u block was sent again after a checksum error: %s"
                            : "%u blocks were sent again after a checksum error: %s",
                static_cast<unsigned>(resent), "the line is noisy (cable, level shifter, adapter)");
  return text;
}
}  // namespace

CThreadWrite::~CThreadWrite() { StopAndWait(); }

int CThreadWrite::Start(const std::string& port, const std::string& fileName,
                        const DeviceType& device, JobTarget* target,
                        const std::string& programPath) {
  m_port = port;
  m_imageWritten = false;
  m_fileName = fileName;
  m_target = target;
  m_deviceId = device.Id;
  m_clk = device.Clk;
  m_bps = device.Bps;
  m_flashBytes = device.RomSize > 0 ? static_cast<uint32_t>(device.RomSize) : 0;
  m_deviceFault = DeviceTypeFault(device);
  m_programPath = programPath;
  return CThreadVl::Start();
}

int CThreadWrite::Run() {
  const Failure failure = Write();  // the driver (and its port) is gone by now
  int result = JOB_SUCCEEDED;
  if (!failure.text.empty()) {
    if (m_target) {
      m_target->ShowMessage(failure.text.c_str(), MessageIcon::Error,
                            failure.detail.empty() ? nullptr : failure.detail.c_str());
    }
    result = JOB_FAILED;
  } else if (Cancelled()) {
    result = JOB_CANCELLED;
  } else if (m_target) {
    m_target->ShowMessage(Text(TextId::kWriteDone), MessageIcon::Information);
  }
  if (m_target) m_target->PostEnded(result);
  SetDone();
  return 0;
}

void CThreadWrite::PostStatus(const char* text) {
  if (m_target) m_target->PostStatus(text);
}

CThreadWrite::Failure CThreadWrite::Write() {
  // A type whose values cannot be written is refused before its port is opened.
  if (!m_deviceFault.empty()) return {m_deviceFault, std::string()};
  std::string programPath;
  const std::unique_ptr<BootBase> driver = MakeDriver(&programPath);
  if (!driver) return {Text(TextId::kBadDevice), std::string()};
  std::vector<uint8_t> image(kWriteImageBytes, kErasedByte);
  uint32_t high = 0;
  // Each part runs while no failure and no cancel request has ended the job.
  Failure failure;
  if (!Stops(failure)) failure = OpenDriver(*driver, programPath);
  if (!Stops(failure)) failure = ReadImage(image.data(), &high);
  if (!Stops(failure)) failure = PrepareChip(*driver, programPath);
  // Every block from 0 up to the one holding the highest data byte; high < 512 KiB, so
  // every block offered lies inside the image.
  const uint32_t end = (high + kBlockBytes) & kBlockMask;
  if (!Stops(failure)) failure = WriteBlocks(*driver, image.data(), end);
  if (!Stops(failure)) m_imageWritten = true;
  if (!Stops(failure)) failure = Verify(*driver, image.data(), end);
  // Said whatever the outcome: a line that garbles frames is worth mending either way.
  const uint32_t resent = driver->Resent();
  if (m_target) {
    if (resent != 0) m_target->PostNote(ResentNote(resent).c_str());
    m_target->PostResent(resent);
  }
  return failure;
}

std::unique_ptr<BootBase> CThreadWrite::MakeDriver(std::string* programPath) const {
  if (m_deviceId == kDeviceIdH8_3069) return std::make_unique<BootH8_3069>(CancelFlag());
  if (m_deviceId != kDeviceIdH8_36077) return nullptr;
  *programPath = m_programPath.empty() ? BinFilePath(ProgramFolder(), kWriteProgramFileName)
                                       : m_programPath;
  return std::make_unique<BootH8_36077>(CancelFlag());
}

CThreadWrite::Failure CThreadWrite::OpenDriver(BootBase& driver,
                                               const std::string& programPath) {
  // The bit-rate match and the new bit rate change the line's rate: a port that only
  // carries bytes is refused before anything is sent.
  if (IsRawNetPortName(m_port)) {
    return {FillText(Text(TextId::kNoBitRateChange), {m_port}), std::string()};
  }
  // The write-control program is read before the port is opened: a file that cannot be
  // read fails the write before anything reaches the chip.
  std::string note;
  const Failure failure = StepFailure(
      driver, driver.ReadWriteProgram(programPath.c_str(), &note), Text(TextId::kTransferFailed));
  if (Stops(failure)) return failure;
  if (!note.empty() && m_target) m_target->PostNote(note.c_str());
  if (driver.OpenPort(m_port, m_clk, m_bps) == StepResult::Failed) {
    // Named as the user chose the port, with the system's reason below.
    return {FillText(Text(TextId::kPortNotOpened), {PortNameOf(m_port)}), driver.PortOpenError()};
  }
  return Failure();
}

CThreadWrite::Failure CThreadWrite::ReadImage(uint8_t* image, uint32_t* high) {
  // The image covers the whole chip (the device table holds every type's flash size
  // within it); it is erased beyond the flash size too, so a flash size that is not a
  // multiple of 128 ends in a padded block.
  PostStatus(Text(TextId::kStatusReading));
  const uint32_t window = std::min(m_flashBytes, kWriteImageBytes);
  MotFile2Bin reader;
  if (!reader.Start(m_fileName, image, window, 0)) return {Text(TextId::kFileFormatInvalid), ""};
  reader.WaitDone(CancelFlag());
  switch (reader.WaitResult(nullptr, high)) {
    case MOT_OPEN_FAILED:
    case MOT_FORMAT_ERROR: return {Text(TextId::kFileFormatInvalid), reader.FailureDetail()};
    case MOT_NO_DATA: return {Text(TextId::kDataOutOfRange), reader.FailureDetail()};
    case MOT_OK:
      // Bytes beyond the chip's flash are said once, not failed.
      if (reader.DroppedBytes() != 0 && m_target) {
        m_target->PostNote(reader.DroppedNote().c_str());
      }
      break;
    default: break;
  }
  return Failure();
}

CThreadWrite::Failure CThreadWrite::PrepareChip(BootBase& driver,
                                                const std::string& programPath) {
  PostStatus(Text(TextId::kStatusMatching));
  Failure failure = StepFailure(driver, driver.MatchBitRate(nullptr), Text(TextId::kMatchFailed));
  if (Stops(failure)) return failure;
  PostStatus(Text(TextId::kStatusTransfer));
  failure = StepFailure(driver, driver.TransferWriteProgram(programPath.c_str()),
                        Text(TextId::kTransferFailed));
  if (Stops(failure)) return failure;
  PostStatus(Text(TextId::kStatusPreparing));
  failure = StepFailure(driver, driver.SelectDevice(), Text(TextId::kWriteError));
  if (Stops(failure)) return failure;
  return StepFailure(driver, driver.PrepareWrite(), Text(TextId::kWriteError));
}

CThreadWrite::Failure CThreadWrite::WriteBlocks(BootBase& driver, const uint8_t* image,
                                                uint32_t end) {
  // Progress counts the blocks with data, each once the chip has answered it.
  JobProgress progress;
  progress.unit = ProgressUnit::Blocks;
  for (uint32_t a = 0; a < end; a += kBlockBytes) {
    if (!BootBase::IsErased(image + a)) ++progress.total;
  }
  if (m_target) m_target->PostProgress(progress);
  // Each block waits for the chip's answer: a slow adapter's delay, seen on the
  // exchanges so far, is paid once a block.
  const std::string note = LateAnswerNote(driver.Late(), static_cast<uint32_t>(progress.total),
                                          kLateJobName,
                                          LateAnswerFix(m_port, driver.PortDevice()));
  if (!note.empty() && m_target) m_target->PostNote(note.c_str());
  for (uint32_t address = 0; address < end && !Cancelled(); address += kBlockBytes) {
    char text[32];
    std::snprintf(text, sizeof text, kTextWritingFormat, static_cast<unsigned long>(address));
    PostStatus(text);
    const Failure failure =
        StepFailure(driver, driver.WriteBlock(image + address, address), Text(TextId::kWriteError));
    if (Stops(failure)) return failure;
    if (!BootBase::IsErased(image + address)) {
      ++progress.done;
      progress.address = address + kBlockBytes;
      if (m_target) m_target->PostProgress(progress);
    }
  }
  if (Cancelled()) return Failure();
  return StepFailure(driver, driver.EndWrite(), Text(TextId::kWriteError));
}

// The chip's own account of what it holds, compared with the image, so that a write the
// chip did not take as sent does not end as written.
CThreadWrite::Failure CThreadWrite::Verify(BootBase& driver, const uint8_t* image,
                                           uint32_t end) {
  VerifyReport report;
  if (!m_verify) {
    if (m_target) m_target->PostVerify(report);  // Skipped
    return Failure();
  }
  PostStatus(kTextVerifying);
  const WrittenImage written{image, kWriteImageBytes, m_flashBytes, end};
  std::string note;
  const StepResult result = driver.VerifyWrite(written, &report, &note);
  // Broken off by a cancel: the job ends cancelled, with no finding to report.
  if (result == StepResult::Cancelled) return Failure();
  if (m_target) {
    if (!note.empty()) m_target->PostNote(note.c_str());
    m_target->PostVerify(report);
  }
  return StepFailure(driver, result, Text(TextId::kWriteError));
}

CThreadWrite::Failure CThreadWrite::StepFailure(const BootBase& driver, StepResult result,
                                                const char* text) {
  if (result != StepResult::Failed) return Failure();
  const std::string shown =
      driver.PortLost() ? PortLostMessage(driver.PortName()) : std::string(text);
  return Failure{shown, driver.FailureDetail()};
}

}  // namespace k470
