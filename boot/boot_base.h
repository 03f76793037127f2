// BootBase: the driver through which the flash write job talks to an H8 chip started in
// boot mode. It owns the serial port for one write, holds the connection parameters and
// implements what both chip drivers share: opening the port and the bit-rate adjustment.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "boot/boot_rates.h"
#include "boot/verify_image.h"
#include "jobs/job_target.h"
#include "jobs/late_answers.h"
#include "serial/com_port.h"

namespace k470 {

// The port is opened once a write, at this rate; the bit-rate match and the chips' rate
// changes set the open port to their rates.
constexpr uint32_t kBootOpenBps = 9600;

// Every boot-mode line is 8 data bits, no parity, 1 stop bit, at the rate of the moment.
constexpr LineSettings kBootLine{kBootOpenBps, DataBits::kEight, Parity::kNone, StopBits::kOne};

// Bit-rate adjustment: the host sends 0x00 bytes at each of the boot rates, fastest first,
// until the chip's boot program answers a 0x00 at the same rate.
constexpr uint8_t kAdjustByte = 0x00;         // sent, and the chip's answer on a match
constexpr int kAdjustSendsPerRate = 30;       // 0x00 sends per rate, each with one read
constexpr uint32_t kAdjustAnswerWaitMs = 500; // wait for a late answer after the sends

// After the match the host sends 0x55; the chip answers with its own code at once, waited
// for up to 10 s (a cancel request ends the wait).
constexpr uint8_t kBootMatchConfirm = 0x55;
constexpr uint32_t kMatchAnswerWaitMs = 10000;
// 0x55 and its answer: the line time of that exchange, in bytes.
constexpr int kMatchExchangeBytes = 2;

// Blocks are written 128 bytes at a time; an all-0xFF block is left erased.
constexpr int kBlockBytes = 128;
constexpr uint8_t kErasedByte = 0xFF;

// What a driver step came to. A step that a cancel request stopped, or that failed while
// one was pending (the wait it cut short), is Cancelled; Failed leaves FailureDetail().
enum class StepResult { Ok, Failed, Cancelled };

class BootBase {
 public:
  // `cancel` is the owning job's cancel flag; the driver only reads it. `matchAnswer` is
  // the chip's answer to 0x55.
  BootBase(const std::atomic<int>* cancel, uint8_t matchAnswer);
  virtual ~BootBase();
  BootBase(const BootBase&) = delete;
  BootBase& operator=(const BootBase&) = delete;

  // Stores the parameters (the port as the user chose it, clock in kHz, bit rate in
  // bit/s) and opens the port at 9600 bit/s. PortOpenError() tells why it failed.
  StepResult OpenPort(const std::string& port, int clockKhz, int bps);

  // The steps, in the order the job calls them: MatchBitRate, TransferWriteProgram,
  // SelectDevice, PrepareWrite, WriteBlock..., EndWrite, VerifyWrite.
  // The boot mode's automatic bit-rate adjustment, then 0x55 and the chip's answer. On
  // success the port stays open at the matched rate, stored through `matchedBps` if given.
  StepResult MatchBitRate(int* matchedBps);
  // A chip whose boot program takes no write-control program or no device selection
  // has nothing to do in these steps.
  virtual StepResult SelectDevice() { return StepResult::Ok; }
  virtual StepResult TransferWriteProgram(const char* /*path*/) { return StepResult::Ok; }
  // Reads the write-control program that TransferWriteProgram will send, so that a file
  // that cannot be read fails the write before the port is opened. `note` (may be null)
  // gets the note on the program's bytes that its window left out, empty when none were.
  virtual StepResult ReadWriteProgram(const char* /*path*/, std::string* /*note*/) {
    return StepResult::Ok;
  }
  virtual StepResult PrepareWrite() = 0;
  // `data` holds the kBlockBytes image bytes at `address`.
  virtual StepResult WriteBlock(const uint8_t* data, uint32_t address) = 0;
  virtual StepResult EndWrite() = 0;

  // After EndWrite: whether the chip holds `image`. Fills `report`. Ok when the write
  // stands: verified, or no check could run (`note` says why, as it says why a verified
  // write's sum differed); Failed when the chip holds something else or the check broke
  // off (FailureDetail() names the place or the cause).
  virtual StepResult VerifyWrite(const WrittenImage& image, VerifyReport* report,
                                 std::string* note) = 0;

  // True once the port's device has gone (an unplugged adapter): a step that failed then
  // failed for that reason, and nothing more is sent.
  bool PortLost() const { return m_port->Lost(); }
  // The port's name for messages ("COM3", "/dev/ttyUSB0").
  std::string PortName() const { return m_port->Name(); }
  std::string PortDevice() const { return m_port->Device(); }
  // Why the port could not be opened, in the system's words.
  std::string PortOpenError() const { return m_port->OpenError(); }

  // What went wrong in the step that failed last, for the line below the job's message:
  // the command, what came back and why it failed ("0x3F (new bit rate) answered BF 25:
  // input frequency out of range"). Empty while no step has failed.
  const std::string& FailureDetail() const { return m_failure; }

  // How many frames the driver sent again because the chip refused them as garbled on
  // the way; a chip whose answers cannot tell that resends nothing.
  virtual uint32_t Resent() const { return 0; }

  // How late the chip's answers came on the exchanges that need no work of the chip's
  // (the answer to 0x55 and the driver's own), for the job's note on a slow adapter.
  const LateAnswers& Late() const { return m_late; }

 protected:
  bool Cancelled() const { return m_cancel != nullptr && m_cancel->load() != 0; }
  // Moves the open port to `bps`, 8N1, without closing it; the queues are emptied.
  // Returns 1/0.
  int SetRate(uint32_t bps);
  // Waits up to `waitMs` for one byte; gives up early when `watchCancel` and the cancel
  // flag is set, and at once when the port is lost. Returns 0x100 + the byte, or 0 when
  // none came.
  int WaitAnyByte(uint32_t waitMs, bool watchCancel);

  // The cause of a write the port did not finish, after the command's name: the port
  // lost, or what was sent and why the rest was not.
  std::string WriteRefusal() const;

  // A step that did not succeed: Cancelled while a cancel request is pending, else Failed.
  StepResult Unfinished() const { return Cancelled() ? StepResult::Cancelled : StepResult::Failed; }
  // Records the cause of a failing step; returns Unfinished().
  StepResult Fail(const std::string& detail);
  // The cause of a wait for `expected` after `what` that failed: the port lost, nothing
  // within `waitMs`, or the byte that came instead (`got`, 0x100 + the byte, 0: none).
  StepResult FailWait(const std::string& what, int got, uint8_t expected, uint32_t waitMs);

 public:
  static bool IsErased(const uint8_t* data);
  // `value` into p[0..3], high byte first, as every address and length of a frame goes.
  static void PutBigEndian(uint32_t value, uint8_t* p) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  }
  // The `n` bytes (at most 4) at p, high byte first: a reply's size field, sum or address.
  static uint32_t GetBigEndian(const uint8_t* p, int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) value = (value << 8) | p[i];
    return value;
  }

 protected:
  // The sends of 0x00 at each rate until one is answered; the port stays open at it.
  StepResult AdjustBitRate(int* matchedBps);

  CComPort* m_port;
  std::string m_portChoice;
  int m_clockKhz = 0;
  int m_bps = 0;
  const std::atomic<int>* m_cancel;
  const uint8_t m_matchAnswer;
  std::string m_failure;
  LateAnswers m_late;
};

}  // namespace k470
