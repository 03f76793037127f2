// Whole chips behind the FakeLine for the flash write job's tests: an H8/3069 boot
// program and an H8/36077 boot program with its write-control program. Both keep a flash
// array, the addresses of the blocks they were sent and whether the end command came.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "tests/support/fake_line.h"

namespace k470::test {

class FakeChip {
 public:
  virtual ~FakeChip() = default;
  virtual Bytes OnWrite(const Bytes& written, uint32_t baud) = 0;

  // Installs this chip as the FakeLine's responder.
  static void Attach(const std::shared_ptr<FakeChip>& chip);

  std::vector<uint8_t> flash;
  std::vector<uint32_t> blocks;  // addresses of the blocks programmed, in order
  bool ended = false;
  uint32_t answerOnlyAt = 0;        // 0: the first rate 0x00 arrives at
  int errorAtBlock = -1;            // block index answered with an error
  std::function<void(int)> onBlock; // called with the index of each block received

 protected:
  explicit FakeChip(uint32_t flashBytes) : flash(flashBytes, 0xFF) {}
  // The boot program's bit-rate match: one 0x00 answer, then 0x55 → `code`.
  bool Adjust(uint8_t b, uint32_t baud, uint8_t code, Bytes* answer);
  bool m_locked = false;
  bool m_confirmed = false;
  Bytes m_pending;
};

class FakeH8_3069 : public FakeChip {
 public:
  FakeH8_3069() : FakeChip(0x80000) {}
  Bytes OnWrite(const Bytes& written, uint32_t baud) override;
  uint32_t newRate = 0;  // bit/s asked for with 0x3F
  int sumChecks = 0;     // 0x4B frames received
};

class FakeH8_36077 : public FakeChip {
 public:
  FakeH8_36077() : FakeChip(0xE000) {}
  Bytes OnWrite(const Bytes& written, uint32_t baud) override;
  Bytes program;  // the write-control program bytes received
 private:
  int m_count = -1;
  bool m_loaded = false;
};

}  // namespace k470::test
