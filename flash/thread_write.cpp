// CThreadWrite: the flash write job's body.
#include "flash/thread_write.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "boot/boot_h8_3069.h"
#include "boot/boot_h8_36077.h"
#include "base/program_folder.h"
#include "base/fill_text.h"
#include "jobs/mot_file2bin.h"
#include "serial/net_port.h"
#include "serial/port_names.h"
#include "serial/port_texts.h"

namespace k470 {

namespace {
constexpr uint32_t kBlockMask = ~static_cast<uint32_t>(kBlockBytes - 1);
constexpr const char* kLateJobName = "write";
}  // namespace

CThreadWrite::~CThreadWrite() { StopAndWait(); }

int CThreadWrite::Start(const std::string& port, const std::string& fileName,
                        const DeviceType& device, JobTarget* target,
                        const std::string& programPath) {
  m_port = port;
  m_fileName = fileName;
  m_target = target;
  m_deviceId = device.Id;
  m_deviceName = device.Name;
  m_clkSelect = device.ClkSelect;
  m_bpsSelect = device.BpsSelect;
  m_clk = device.Clk;
  m_bps = device.Bps;
  m_romSize = device.RomSize;
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
    m_target->ShowMessage(kTextWriteDone, MessageIcon::Information);
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
  const std::string folder = ProgramFolder();
  std::unique_ptr<BootBase> driver;
  std::string programPath;
  if (m_deviceId == kDeviceIdH8_3069) {
    driver.reset(new BootH8_3069(CancelFlag()));
  } else if (m_deviceId == kDeviceIdH8_36077) {
    driver.reset(new BootH8_36077(CancelFlag()));
    programPath = m_programPath.empty() ? BinFilePath(folder, kWriteProgramFileName)
                                        : m_programPath;
  } else {
    return {kTextBadDevice, std::string()};
  }
  // A step that fails while cancel is requested ends the job as cancelled, not failed.
  auto failed = [this](int ok) { return !ok && !Cancelled(); };
  auto cancelled = [this]() { return Cancelled(); };
  const Failure none;
  // A failed step's message, with the driver's account of it below. A step that failed
  // because the port's device went away says so, naming the port.
  auto failure = [&driver](const char* text) {
    const std::string shown =
        driver->PortLost() ? PortLostMessage(driver->PortName()) : std::string(text);
    return Failure{shown, driver->FailureDetail()};
  };

  if (cancelled()) return none;
  // The bit-rate match and the new bit rate change the line's rate: a port that only
  // carries bytes is refused before anything is sent.
  if (IsRawNetPortName(m_port)) {
    return {FillText(kTextRawPortFormat, {m_port}), std::string()};
  }
  // The write-control program is read before the port is opened: a file that cannot be
  // read fails the write before anything reaches the chip.
  if (failed(driver->ReadWriteProgram(programPath.c_str()))) {
    return {kTextTransferFailed, driver->FailureDetail()};
  }
  if (failed(driver->OpenPort(m_port, m_clk, m_bps))) {
    // Named as the user chose the port, with the system's reason below.
    return {FillText(kTextPortFormat, {PortNameOf(m_port)}), driver->PortOpenError()};
  }
  if (cancelled()) return none;

  // The image covers the whole chip up to 512 KiB; it is erased beyond the flash size
  // too, so a flash size that is not a multiple of 128 ends in a padded block.
  PostStatus(kTextReading);
  std::vector<uint8_t> image(kWriteImageBytes, kErasedByte);
  uint32_t window = m_romSize > 0 ? static_cast<uint32_t>(m_romSize) : 0;
  if (window > kWriteImageBytes) window = kWriteImageBytes;
  uint32_t high = 0;
  {
    MotFile2Bin reader;
    if (!reader.Start(m_fileName, image.data(), window, 0)) return {kTextBadFormat, ""};
    reader.WaitDone(CancelFlag());
    switch (reader.WaitResult(nullptr, &high)) {
      case MOT_OPEN_FAILED:
      case MOT_FORMAT_ERROR: return {kTextBadFormat, reader.FailureDetail()};
      case MOT_NO_DATA: return {kTextOutOfRange, reader.FailureDetail()};
      case MOT_OK:
        // Bytes beyond the chip's flash are said once, not failed.
        if (reader.DroppedBytes() != 0 && m_target) {
          m_target->PostNote(reader.DroppedNote().c_str());
        }
        break;
      default: break;
    }
  }

  if (cancelled()) return none;
  PostStatus(kTextMatching);
  if (failed(driver->MatchBitRate(nullptr))) return failure(kTextMatchFailed);

  if (cancelled()) return none;
  PostStatus(kTextTransfer);
  if (failed(driver->TransferWriteProgram(programPath.c_str()))) {
    return failure(kTextTransferFailed);
  }

  if (cancelled()) return none;
  PostStatus(kTextPreparing);
  if (failed(driver->SelectDevice())) return failure(kTextWriteError);
  if (cancelled()) return none;
  if (failed(driver->PrepareWrite())) return failure(kTextWriteError);

  // Every block from 0 up to the one holding the highest data byte; high < 512 KiB, so
  // every block offered lies inside the image. Progress counts the blocks with data, each
  // once the chip has answered it.
  const uint32_t end = (high + kBlockBytes) & kBlockMask;
  JobProgress progress;
  progress.unit = ProgressUnit::Blocks;
  for (uint32_t a = 0; a < end; a += kBlockBytes) {
    if (!BootBase::IsErased(image.data() + a)) ++progress.total;
  }
  if (m_target) m_target->PostProgress(progress);
  // Each block waits for the chip's answer: a slow adapter's delay, seen on the
  // exchanges so far, is paid once a block.
  const std::string note = LateAnswerNote(driver->Late(), static_cast<uint32_t>(progress.total),
                                          kLateJobName);
  if (!note.empty() && m_target) m_target->PostNote(note.c_str());
  uint32_t address = 0;
  while (!cancelled() && address < end) {
    char text[32];
    std::snprintf(text, sizeof text, kTextWritingFormat, static_cast<unsigned long>(address));
    PostStatus(text);
    const bool written = !BootBase::IsErased(image.data() + address);
    int step = kBlockBytes;
    if (failed(driver->WriteBlock(image.data() + address, address, &step))) {
      return failure(kTextWriteError);
    }
    address += step > 0 ? static_cast<uint32_t>(step) : kBlockBytes;
    if (written && !cancelled()) {
      ++progress.done;
      progress.address = address;
      if (m_target) m_target->PostProgress(progress);
    }
  }
  if (cancelled()) return none;
  if (failed(driver->EndWrite())) return failure(kTextWriteError);
  return Verify(*driver, image.data(), end);
}

}  // namespace k470
