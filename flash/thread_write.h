// CThreadWrite: the job that writes one S-record file into an H8 chip's flash in boot
// mode: it reads the file into an image as large as the chip's flash, runs the driver's
// steps, writes every 128-byte block up to the last one with data, and reports its
// statuses, its progress in blocks, its message and its result through a JobTarget.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "flash/device_type.h"
#include "jobs/job_target.h"
#include "jobs/thread_vl.h"

namespace k470 {

class BootBase;
enum class StepResult;

// The write image: the largest flash the job can write, and so the largest the device
// table accepts.
constexpr uint32_t kWriteImageBytes = static_cast<uint32_t>(kRomSizeMaxBytes);  // 512 KiB

// Status texts that read the same in both languages; the others are in the catalogue
// (base/texts.def).
constexpr const char* kTextWritingFormat = "writing %08lX";
constexpr const char* kTextVerifying = "verifying...";


// The H8/36077's write-control program, below the program folder.
constexpr const char* kWriteProgramFileName = "36077.mot";

class CThreadWrite : public CThreadVl {
 public:
  CThreadWrite() = default;
  ~CThreadWrite() override;

  // Copies the parameters and starts the job. `port` is the port as the user chose it
  // ("COM3", "3" or a device path); `programPath` is the H8/36077's write-control program;
  // empty means bin/36077.mot below the program folder.
  int Start(const std::string& port, const std::string& fileName, const DeviceType& device,
            JobTarget* target, const std::string& programPath = std::string());

  // Whether the end frame is followed by the chip's check of what it holds (the
  // default); set before Start.
  void SetVerify(bool verify) { m_verify = verify; }

  // Whether every block and the end frame were written (the chip holds the new image,
  // whatever came of its check); read once the job has ended.
  bool ImageWritten() const { return m_imageWritten; }

 protected:
  int Run() override;

 private:
  // A failure's message and the line of detail below it.
  struct Failure {
    std::string text;    // empty: no failure
    std::string detail;
  };
  // Runs the steps in turn; returns the failure, or none on success or cancel.
  Failure Write();
  // The device type's chip driver (null: unknown type) and the H8/36077's program path.
  std::unique_ptr<BootBase> MakeDriver(std::string* programPath) const;
  // Before anything reaches the chip: the refusal of a port that cannot change its rate,
  // the write-control program read, the port opened.
  Failure OpenDriver(BootBase& driver, const std::string& programPath);
  // The file into `image`; its highest address with data through `high`.
  Failure ReadImage(uint8_t* image, uint32_t* high);
  // The bit-rate match, the write-control program, the device selection and preparation.
  Failure PrepareChip(BootBase& driver, const std::string& programPath);
  // Every block below `end` with the progress in blocks with data, then the end frame.
  Failure WriteBlocks(BootBase& driver, const uint8_t* image, uint32_t end);
  // The check after the end frame: reports its result.
  Failure Verify(BootBase& driver, const uint8_t* image, uint32_t end);
  // A step's failure under `text` with the driver's account below (a port whose device
  // went away is named instead); none when it went well or was cancelled.
  static Failure StepFailure(const BootBase& driver, StepResult result, const char* text);
  // Whether the job ends here: a failure, or a cancel request.
  bool Stops(const Failure& failure) const { return !failure.text.empty() || Cancelled(); }
  void PostStatus(const char* text);

  JobTarget* m_target = nullptr;
  std::string m_port;
  std::string m_fileName;
  int m_deviceId = 0;
  int m_clk = 0;
  int m_bps = 0;
  uint32_t m_flashBytes = 0;  // the device type's flash size
  std::string m_deviceFault;  // why the type cannot be written; empty when it can
  std::string m_programPath;
  bool m_verify = true;
  std::atomic<bool> m_imageWritten{false};
};

}  // namespace k470
