// CThreadWrite's last step: the chip's own account of what it holds, compared with the
// image, so that a write the chip did not take as sent does not end as written.
#include "boot/boot_base.h"
#include "flash/thread_write.h"

namespace k470 {

CThreadWrite::Failure CThreadWrite::Verify(BootBase& driver, const uint8_t* image,
                                           uint32_t end) {
  VerifyReport report;
  if (!m_verify) {
    if (m_target) m_target->PostVerify(report);  // Skipped
    return Failure();
  }
  PostStatus(kTextVerifying);
  WrittenImage written;
  written.data = image;
  written.bytes = kWriteImageBytes;
  written.flashBytes = m_romSize > 0 ? static_cast<uint32_t>(m_romSize) : 0;
  written.end = end;
  std::string note;
  const StepResult result = driver.VerifyWrite(written, &report, &note);
  // Broken off by a cancel: the job ends cancelled, with no finding to report.
  if (result == StepResult::Cancelled) return Failure();
  if (m_target) {
    if (!note.empty()) m_target->PostNote(note.c_str());
    m_target->PostVerify(report);
  }
  return StepFailure(driver, result, kTextWriteError);
}

}  // namespace k470
