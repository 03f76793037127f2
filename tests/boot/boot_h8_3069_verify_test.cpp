// The H8/3069's check after the end frame: the sum, the read-back after a different sum
// (golden transcripts), a boot program without the check, a lost port and a silent chip.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "boot/boot_h8_3069.h"
#include "tests/boot/boot_test_util.h"
#include "tests/boot/transcript.h"

namespace k470 {
namespace {

using test::FakeLine;

constexpr uint32_t kFlashBytes = 0x400;
constexpr uint32_t kImageSum = 0x00036EC0;

TEST(H8_3069Verify, TheCheckEndsVerifiedFailedOrNotVerified) {
  struct Case {
    const char* script;  // a transcript, or the answer to a lone 0x4B
    size_t lostAfter;    // the line goes away after the host wrote this many bytes (0: never)
    bool stands;
    VerifyResult result;
    uint32_t chipSum;  // when the chip answered its sum
    const char* detail;
    const char* note;
    uint32_t address;  // a difference found by the read-back (0: none)
  };
  const Case cases[] = {
      {"5B 04 00 03 6E C0 70", 0, true, VerifyResult::Verified, kImageSum, "", "", 0},
      {"h8_3069_verify_block.txt", 0, false, VerifyResult::Failed, kImageSum + 1,
       "verify: 00000334 holds A5, the image has A4", "", 0x334},
      {"h8_3069_verify_outside.txt", 0, true, VerifyResult::Verified, kImageSum + 0x1000, "",
       "verify: the chip's sum 0x00037EC0 differs from the image's 0x00036EC0, but every "
       "written block reads back as sent: the difference lies outside them",
       0},
      {"CB 80", 0, true, VerifyResult::Unavailable, 0, "",
       "not verified: 0x4B (user flash sum check) answered CB 80: command error", 0},
      {"", 0, false, VerifyResult::Failed, 0,
       "0x4B (user flash sum check): no reply within 10 s", "", 0},
      {"5B 04 00 03 6E C0 70", 1, false, VerifyResult::Failed, 0,
       "0x4B (user flash sum check): port lost before any reply", "", 0},
  };
  // Two written blocks in a 1 KiB flash: 0x100.. holds 00..7F, 0x300.. holds A4.
  uint8_t image[kFlashBytes];
  std::memset(image, 0xFF, sizeof image);
  for (int i = 0; i < 0x80; ++i) image[0x100 + i] = static_cast<uint8_t>(i);
  std::memset(image + 0x300, 0xA4, 0x80);
  WrittenImage written;
  written.data = image;
  written.bytes = written.flashBytes = kFlashBytes;
  written.end = 0x380;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.script) + (c.lostAfter ? " lost" : ""));
    FakeLine::Instance().Reset();
    std::atomic<int> cancel{0};
    BootH8_3069 driver(&cancel);
    ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
    if (std::strstr(c.script, ".txt")) {
      ASSERT_TRUE(test::ScriptTranscript(c.script));
    } else {
      FakeLine::Instance().Expect({0x4B}, test::HexBytes(c.script));
    }
    if (c.lostAfter) FakeLine::Instance().LoseLineAfter(c.lostAfter);
    VerifyReport report;
    std::string note;
    EXPECT_EQ(driver.VerifyWrite(written, &report, &note) == StepResult::Ok, c.stands);
    if (!c.lostAfter) { EXPECT_EQ(FakeLine::Instance().Problems(), ""); }
    EXPECT_EQ(report.result, c.result);
    EXPECT_EQ(report.imageSum, kImageSum);
    EXPECT_EQ(report.chipSumKnown, c.chipSum != 0);
    if (c.chipSum) { EXPECT_EQ(report.chipSum, c.chipSum); }
    EXPECT_EQ(driver.FailureDetail(), c.detail);
    EXPECT_EQ(note, c.note);
    EXPECT_EQ(report.differs, c.address != 0);
    if (c.address) {
      EXPECT_EQ(report.address, c.address);
      EXPECT_EQ(report.chipByte, 0xA5);
      EXPECT_EQ(report.imageByte, 0xA4);
    }
  }
}

}  // namespace
}  // namespace k470
