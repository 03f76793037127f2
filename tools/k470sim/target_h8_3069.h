// The H8/3069's boot program: bit-rate adjustment (0x55 answered 0xE6), then the boot
// command protocol (inquiries, selections, new bit rate, programming state, 128-byte
// programming) into a 512 KiB flash that starts erased.
#pragma once

#include <string>
#include <vector>

#include "boot_sync.h"
#include "event_log.h"
#include "target.h"

namespace k470sim {

// The four bytes at p, high byte first: the addresses and lengths of the frames.
uint32_t BigEndian32(const uint8_t* p);

class H8_3069Target : public Target {
 public:
  static constexpr uint32_t kFlashSize = 512 * 1024;
  static constexpr uint32_t kBlockSize = 128;

  explicit H8_3069Target(const BootFaults& faults);

  uint32_t ListenRate() const override;
  void OnByte(const RxByte& rx, Output& out) override;
  void WriteReport(JsonWriter& json) const override;
  const std::vector<uint8_t>& Memory() const override { return m_flash; }

 private:
  enum class Phase { kBitRate, kCommands, kRateConfirm };
  struct Failure {
    uint8_t command;
    uint8_t code;
  };

  size_t FrameLength() const;  // 0 while the frame's length is not yet known
  void OnFrame(const RxByte& rx, Output& out);
  // Each returns the reply to send (ACK, error pair or response).
  std::vector<uint8_t> Answer(double& replyAt);
  std::vector<uint8_t> Block(double& replyAt, Event& event);
  std::vector<uint8_t> Error(uint8_t command, uint8_t code);
  // The checks of the programming/erasure state (h8_3069_checks.cpp): the sum check, the
  // blank check and the memory read; IsCheck: whether `m_frame` is one of them.
  bool IsCheck() const;
  std::vector<uint8_t> Check(double& replyAt);

  BootFaults m_faults;
  BootSync m_sync;
  Phase m_phase = Phase::kBitRate;
  uint32_t m_rate = 0;  // the rate the boot program talks at
  std::vector<uint8_t> m_frame;

  bool m_deviceSelected = false;
  bool m_clockSelected = false;
  uint32_t m_newRate = 0;    // last rate set with the new-bit-rate command
  bool m_programState = false;  // after 0x40
  bool m_userFlash = false;     // after 0x43, until the end frame
  bool m_ended = false;
  int64_t m_blockFrames = 0;
  int64_t m_checks = 0;  // check commands answered with data or an ACK

  std::vector<uint8_t> m_flash;
  std::vector<uint32_t> m_blocks;
  std::vector<Failure> m_failures;
  EventLog m_events;
};

}  // namespace k470sim
