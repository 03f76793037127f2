// fuzz_boot: the two chip drivers through a whole write over the scripted line and the
// virtual clock, with the fuzzer's bytes as every reply. The first byte picks the driver
// and the bit rate; then each write of the host is answered by the next reply, a length
// byte and that many bytes. When the replies are used up, the owner's cancel flag is set,
// as a user would stop a write that hangs. Checks: no crash, no hang (every wait ends on
// the virtual clock), and a step succeeds only when the replies held the protocol's
// acknowledgements for it, in order.
#include <sys/prctl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "boot/boot_h8_3069.h"
#include "boot/boot_h8_36077.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/fake_line.h"

namespace {

using namespace k470;
using namespace k470::h8_3069;
using namespace k470::h8_36077;
using test::Bytes;
using test::FakeLine;

// Each sleep on the virtual clock still pauses 20 us of real time, which the kernel's
// default timer slack stretches to 70 us or more: a 10-s wait polled every millisecond
// would take most of a second. The least slack keeps such inputs short.
const int kTimerSlackSet = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

constexpr const char* kPort = "COM3";
constexpr int kClockKhz = 20000;
constexpr uint32_t kRatesBps[] = {9600, 19200, 38400, 57600};

// The write-control program the H8/36077 driver sends: four bytes at 0xF780.
constexpr const char* kProgramText = "S107F7800102030477\r\nS9030000FC\r\n";
const Bytes kProgramBytes = {0x01, 0x02, 0x03, 0x04};

// Two blocks: one with data, one erased (never sent).
constexpr uint32_t kDataBlockAddress = 0x100;
constexpr uint32_t kErasedBlockAddress = 0x180;
constexpr uint32_t kCheckFlashBytes = 0x400;  // the flash the H8/3069's check sums

// One acknowledgement the replies must hold: a byte that passes the test.
using Ack = std::function<bool(uint8_t)>;
Ack Byte(uint8_t value) {
  return [value](uint8_t b) { return b == value; };
}
// A reply of the H8/3069 boot program that is no error: ACK or a response code.
bool NoError(uint8_t b) { return (b & kReplyErrorBit) == 0; }

class Replies {
 public:
  Replies(const uint8_t* data, size_t size, std::atomic<int>* cancel)
      : m_data(data), m_size(size), m_cancel(cancel) {}

  Bytes Next() {
    if (m_at >= m_size) {
      m_cancel->store(1);
      return {};
    }
    const size_t n = m_data[m_at++];
    Bytes reply(m_data + m_at, m_data + std::min(m_size, m_at + n));
    m_at += reply.size();
    m_given.insert(m_given.end(), reply.begin(), reply.end());
    return reply;
  }

  // Whether the bytes given so far hold `acks` in order (other bytes may come between).
  bool Hold(const std::vector<Ack>& acks) const {
    size_t next = 0;
    for (uint8_t b : m_given)
      if (next < acks.size() && acks[next](b)) ++next;
    return next == acks.size();
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
  std::atomic<int>* m_cancel;
  Bytes m_given;
};

const std::string& ProgramPath() {
  static const std::string path = [] {
    const std::string p = k470::fuzz::ScratchPath("fuzz_boot_36077.mot");
    k470::fuzz::WriteFile(p, reinterpret_cast<const uint8_t*>(kProgramText),
                          std::strlen(kProgramText));
    return p;
  }();
  return path;
}

// One step: runs it, and while no cancel was requested, a success must be backed by the
// acknowledgements expected so far. Returns whether the write goes on.
bool Step(const char* name, const std::function<StepResult()>& step,
          std::vector<Ack>& expected, const std::vector<Ack>& acks, const Replies& replies,
          const std::atomic<int>& cancel) {
  const StepResult result = step();
  FUZZ_CHECK(result != StepResult::Cancelled || cancel.load() != 0,
             std::string(name) + " ended cancelled without a cancel request");
  if (cancel.load() != 0) return false;  // the owner ends the write as cancelled
  if (result != StepResult::Ok) return false;
  expected.insert(expected.end(), acks.begin(), acks.end());
  FUZZ_CHECK(replies.Hold(expected),
             std::string(name) + " succeeded without the acknowledgements");
  return true;
}

void Run3069(BootH8_3069& d, const uint8_t* block, const Replies& r, const std::atomic<int>& c) {
  std::vector<Ack> expected;
  const std::vector<Ack> ack = {NoError};
  if (!Step("MatchBitRate", [&] { return d.MatchBitRate(nullptr); }, expected,
            {Byte(kAdjustByte), Byte(kMatchAnswer3069)}, r, c))
    return;
  // Nine commands: inquiries, selections, the new bit rate and its confirmation.
  if (!Step("SelectDevice", [&] { return d.SelectDevice(); }, expected,
            std::vector<Ack>(9, NoError), r, c))
    return;
  if (!Step("PrepareWrite", [&] { return d.PrepareWrite(); }, expected, ack, r, c)) return;
  if (!Step("WriteBlock", [&] { return d.WriteBlock(block, kDataBlockAddress); },
            expected, ack, r, c))
    return;
  if (!Step("WriteBlock erased", [&] { return d.WriteBlock(block + kBlockBytes,
                                                           kErasedBlockAddress); },
            expected, {}, r, c))
    return;
  if (!Step("EndWrite", [&] { return d.EndWrite(); }, expected, ack, r, c)) return;
  // The check: the block at 0x100 in an erased 1 KiB flash. A verified write needs the
  // sum's response, and after a different sum the memory read's.
  uint8_t image[kCheckFlashBytes];
  std::memset(image, kErasedByte, sizeof image);
  std::memcpy(image + kDataBlockAddress, block, kBlockBytes);
  WrittenImage written;
  written.data = image;
  written.bytes = written.flashBytes = sizeof image;
  written.end = kErasedBlockAddress + kBlockBytes;
  VerifyReport report;
  std::string note;
  const StepResult stands = d.VerifyWrite(written, &report, &note);
  if (c.load() != 0 || stands != StepResult::Ok || report.result != VerifyResult::Verified) return;
  expected.push_back(Byte(kRspUserSum));
  if (report.readBack) expected.push_back(Byte(kCmdMemoryRead));
  FUZZ_CHECK(r.Hold(expected), "VerifyWrite verified without the sum's response");
}

void Run36077(BootH8_36077& d, const uint8_t* block, const Replies& r,
              const std::atomic<int>& c) {
  std::vector<Ack> expected;
  if (!Step("MatchBitRate", [&] { return d.MatchBitRate(nullptr); }, expected,
            {Byte(kAdjustByte), Byte(kMatchAnswer36077)}, r, c))
    return;
  std::vector<Ack> transfer = {Byte(0x00), Byte(static_cast<uint8_t>(kProgramBytes.size()))};
  for (uint8_t b : kProgramBytes) transfer.push_back(Byte(b));
  transfer.push_back(Byte(kProgramLoaded));
  if (!Step("TransferWriteProgram", [&] { return d.TransferWriteProgram(ProgramPath().c_str()); },
            expected, transfer, r, c))
    return;
  if (!Step("PrepareWrite", [&] { return d.PrepareWrite(); }, expected, {Byte(kReplyOk)}, r, c))
    return;
  if (!Step("WriteBlock", [&] { return d.WriteBlock(block, kDataBlockAddress); },
            expected, {Byte(kReplyOk), Byte(kReplyOk)}, r, c))
    return;
  if (!Step("WriteBlock erased", [&] { return d.WriteBlock(block + kBlockBytes,
                                                           kErasedBlockAddress); },
            expected, {}, r, c))
    return;
  Step("EndWrite", [&] { return d.EndWrite(); }, expected, {Byte(kReplyOk)}, r, c);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool h8_36077 = (data[0] & 1) != 0;
  const uint32_t bps = kRatesBps[(data[0] >> 1) & 3];

  FakeLine& line = FakeLine::Instance();
  line.Reset();
  std::atomic<int> cancel{0};
  Replies replies(data + 1, size - 1, &cancel);
  line.SetResponder([&replies](const Bytes&, uint32_t) { return replies.Next(); });

  uint8_t blocks[2 * kBlockBytes];
  for (int i = 0; i < kBlockBytes; ++i) blocks[i] = static_cast<uint8_t>(i);
  std::memset(blocks + kBlockBytes, kErasedByte, kBlockBytes);

  std::unique_ptr<BootBase> driver;
  if (h8_36077) {
    driver = std::make_unique<BootH8_36077>(&cancel);
  } else {
    driver = std::make_unique<BootH8_3069>(&cancel);
  }
  FUZZ_CHECK(driver->OpenPort(kPort, kClockKhz, static_cast<int>(bps)) == StepResult::Ok,
             "port did not open");
  if (h8_36077) {
    Run36077(static_cast<BootH8_36077&>(*driver), blocks, replies, cancel);
  } else {
    Run3069(static_cast<BootH8_3069&>(*driver), blocks, replies, cancel);
  }
  driver.reset();
  line.Reset();
  return 0;
}
