// CThreadLoad: the RAM load job. Reads an S-record file into a 256 KiB image of the
// board's RAM and sends it to the monitor chunk by chunk ("L %X %d s\r" and the raw
// bytes), waiting for the monitor's "end!" after each chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/thread_vl.h"

namespace k470 {

class CComPort;
class JobTarget;

// The RAM window of the K470 family.
constexpr uint32_t kRamBase = 0x200000;
constexpr uint32_t kRamSizeBytes = 0x40000;  // 256 KiB: 0x200000..0x23FFFF

constexpr uint32_t kChunkBytes = 1024;        // a chunk; the last one may carry one more
constexpr size_t kLoadCommandBytes = 128;     // "L %X %d s\r"
constexpr size_t kStatusTextBytes = 32;       // "%08X - %08X"
constexpr const char* kAckText = "end!";      // the monitor's acknowledgement of a chunk
// The window program waits for "end!" until the user cancels; the command-line tool
// gives each chunk a limit of its own.
constexpr uint32_t kAckWaitForever = 0;
// The answers to this many first chunks are timed against their line time.
constexpr int kTimedChunks = 4;

class CThreadLoad : public CThreadVl {
 public:
  CThreadLoad();
  ~CThreadLoad() override;

  // Stores the port (open, borrowed for the run), the file, the start address and the
  // receiver of the reports, and starts the job. Returns 1, or 0 when no thread could be
  // created (nothing is reported then).
  int Start(CComPort* port, const std::string& fileName, uint32_t startAddress,
            JobTarget* target);

  // The longest wait for one chunk's "end!" (kAckWaitForever: no limit). Set before Start.
  void SetAckTimeout(uint32_t ms) { m_ackTimeoutMs = ms; }

 protected:
  int Run() override;

 private:
  enum class AckWait { Acknowledged, Cancelled, TimedOut, PortLost };

  int Load();                 // the run's work; returns the end result
  // -1 when the image is ready (its bounds in low..high), else the end result.
  int ReadImage(uint32_t* low, uint32_t* high);
  // Counts the bytes that came up to the acknowledgement's last one in `*received`.
  AckWait WaitForAck(int* received);

  CComPort* m_port = nullptr;
  JobTarget* m_target = nullptr;
  std::string m_fileName;
  uint32_t m_startAddress = 0;
  uint32_t m_ackTimeoutMs = kAckWaitForever;
  std::vector<uint8_t> m_image;
};

}  // namespace k470
