// The H8/36077 in boot mode: bit-rate adjustment (0x55 answered 0xAA), the transfer of a
// write-control program (two count bytes and the program, every byte echoed, then 0xAA),
// and then the write-control program itself at 57600 bit/s: "S" (start), "A" frames
// (program 128 bytes) and "E" (end), into a 56 KiB flash that starts erased.
#pragma once

#include <vector>

#include "boot_sync.h"
#include "event_log.h"
#include "target.h"

namespace k470sim {

class H8_36077Target : public Target {
 public:
  static constexpr uint32_t kFlashSize = 56 * 1024;
  static constexpr uint32_t kBlockSize = 128;
  static constexpr uint32_t kWriterRate = 57600;
  static constexpr size_t kProgramRamSize = 2048;  // room for the write-control program

  explicit H8_36077Target(const BootFaults& faults);

  uint32_t ListenRate() const override;
  void OnByte(const RxByte& rx, Output& out) override;
  void WriteReport(JsonWriter& json) const override;
  const std::vector<uint8_t>& Memory() const override { return m_flash; }

 private:
  enum class Phase { kBitRate, kCount, kProgram, kWriter };
  struct Failure {
    uint32_t address;
    const char* reason;
  };

  void Transfer(const RxByte& rx, Output& out);
  void Writer(const RxByte& rx, Output& out);
  void BlockFrame(const RxByte& rx, Output& out);

  BootFaults m_faults;
  BootSync m_sync;
  Phase m_phase = Phase::kBitRate;
  uint64_t m_transferIndex = 0;  // bytes of the transfer so far (count bytes included)
  uint32_t m_count = 0;
  std::vector<uint8_t> m_countBytes;
  std::vector<uint8_t> m_program;
  bool m_started = false;
  bool m_ended = false;
  std::vector<uint8_t> m_frame;  // an "A" frame being received
  int64_t m_blockFrames = 0;
  std::vector<uint8_t> m_flash;
  std::vector<uint32_t> m_blocks;
  std::vector<Failure> m_failures;
  EventLog m_events;
};

}  // namespace k470sim
