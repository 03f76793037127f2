// The H8/3069 driver: command framing and reply lengths, the selection sequence, blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>

#include "boot/boot_h8_3069.h"
#include "tests/boot/boot_test_util.h"
#include "tests/boot/transcript.h"

namespace k470 {
namespace {

using namespace h8_3069;

using test::Bytes;
using test::FakeLine;
using test::HexBytes;

// The bytes of `hex` followed by the checksum that makes the frame add up to 0.
Bytes Framed(Bytes frame) {
  uint8_t sum = 0;
  for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
  frame.push_back(static_cast<uint8_t>(0x100 - sum));
  return frame;
}
Bytes Framed(const char* hex) { return Framed(HexBytes(hex)); }

class H8_3069Test : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeLine::Instance().Reset();
    ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
  }
  void TearDown() override { FakeLine::Instance().Reset(); }
  std::atomic<int> cancel{0};
  BootH8_3069 driver{&cancel};
};

TEST_F(H8_3069Test, SelectionSequenceMatchesTheGoldenTranscriptAndSwitchesRate) {
  ASSERT_TRUE(test::ScriptTranscript("h8_3069_select.txt"));
  EXPECT_EQ(driver.SelectDevice(), StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  // The confirmation and 0x40 go out at the rate named in the 0x3F frame.
  auto sent = test::WrittenByRate(FakeLine::Instance().Transcript());
  EXPECT_EQ(sent[38400], (Bytes{kCmdBitRateConfirm, kCmdProgramEraseState}));
  EXPECT_EQ(FakeLine::Instance().LineRates().back(), 38400u);
}

TEST_F(H8_3069Test, NewBitRateFrameCarriesRateAndClockOfTheDevice) {
  BootH8_3069 other(&cancel);
  ASSERT_EQ(other.OpenPort(test::kTestPort, 19660, 57600), StepResult::Ok);
  // The device code comes from reply bytes 4..7; 576 = 0x0240, 1966 = 0x07AE.
  FakeLine::Instance().Expect({kCmdDeviceInquiry}, HexBytes("30 06 01 04 11 22 33 44 00"));
  FakeLine::Instance().Expect(Framed("10 04 11 22 33 44"), {kReplyAck});
  FakeLine::Instance().Expect({kCmdClockModeInquiry}, {kReplyAck});
  FakeLine::Instance().Expect(HexBytes("11 01 00 EE"), {kReplyAck});
  FakeLine::Instance().Expect({kCmdMultiplierInquiry}, {kReplyAck});
  FakeLine::Instance().Expect({kCmdFrequencyInquiry}, {kReplyAck});
  FakeLine::Instance().Expect(Framed("3F 06 02 40 07 AE 01 01"), {kReplyAck});
  FakeLine::Instance().Expect({kCmdBitRateConfirm}, {kReplyAck});
  FakeLine::Instance().Expect({kCmdProgramEraseState}, {kReplyAck});
  EXPECT_EQ(other.SelectDevice(), StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  EXPECT_EQ(FakeLine::Instance().LineRates().back(), 57600u);
}

TEST_F(H8_3069Test, AClockTheFrameCannotCarryFailsTheSelectionWithNothingSent) {
  // 700 MHz would wrap to 44.64 MHz in the two clock bytes; 5 kHz is a count of 0.
  for (int clockKhz : {700000, 655360, 5, 0, -20000}) {
    SCOPED_TRACE(clockKhz);
    FakeLine::Instance().Reset();
    BootH8_3069 other(&cancel);
    ASSERT_EQ(other.OpenPort(test::kTestPort, clockKhz, 38400), StepResult::Ok);
    EXPECT_EQ(other.SelectDevice(), StepResult::Failed);
    EXPECT_TRUE(FakeLine::Instance().Written().empty());
    EXPECT_EQ(other.FailureDetail(),
              "a clock of " + std::to_string(clockKhz) +
                  " kHz does not fit 0x3F (new bit rate): 10 kHz to 655.35 MHz");
  }
}

TEST_F(H8_3069Test, RefusedNewBitRateStillSwitchesToThatRateAndSendsNoConfirmation) {
  FakeLine::Instance().Expect({kCmdDeviceInquiry}, HexBytes("30 06 01 04 33 30 36 39 00"));
  FakeLine::Instance().Expect(HexBytes("10 04 33 30 36 39 1A"), {kReplyAck});
  FakeLine::Instance().Expect({kCmdClockModeInquiry}, HexBytes("31 02 01 00 CC"));
  FakeLine::Instance().Expect(HexBytes("11 01 00 EE"), {kReplyAck});
  FakeLine::Instance().Expect({kCmdMultiplierInquiry}, HexBytes("32 01 01 CC"));
  FakeLine::Instance().Expect({kCmdFrequencyInquiry}, HexBytes("33 01 01 CB"));
  FakeLine::Instance().Expect(HexBytes("3F 06 01 80 07 D0 01 01 61"), HexBytes("BF 24"));
  const int opensBefore = FakeLine::Instance().OpenCount();
  EXPECT_EQ(driver.SelectDevice(), StepResult::Failed);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  EXPECT_EQ(FakeLine::Instance().OpenCount(), opensBefore);  // the open port follows
  EXPECT_EQ(FakeLine::Instance().LineRates().back(), 38400u);
  EXPECT_EQ(FakeLine::Instance().Written().back(), 0x61);  // nothing after the 0x3F frame
  EXPECT_EQ(driver.FailureDetail(), "0x3F (new bit rate) answered BF 24: bit rate cannot be selected");
}

TEST_F(H8_3069Test, ErrorRepliesNameTheCommandWhatCameBackAndTheCodesMeaning) {
  struct Case {
    Bytes request;
    const char* reply;
    std::function<StepResult()> step;
    const char* detail;
  };
  const uint8_t newRate[6] = {0x01, 0x80, 0x07, 0xD0, 0x01, 0x01};
  uint8_t block[kBlockBytes];
  std::memset(block, 0x3C, sizeof block);
  Bytes blockFrame = HexBytes("50 00 00 10 00");
  blockFrame.insert(blockFrame.end(), block, block + kBlockBytes);
  blockFrame = Framed(blockFrame);
  uint8_t reply[kSelectReplyBytes];
  const Case cases[] = {
      {HexBytes("3F 06 01 80 07 D0 01 01 61"), "BF 25",
       [&] { return driver.Command(kCmdNewBitRate, newRate, 6, reply, sizeof reply, false); },
       "0x3F (new bit rate) answered BF 25: input frequency out of range"},
      {HexBytes("40"), "C0 51",
       [&] { return driver.Command(kCmdProgramEraseState, nullptr, 0, reply, sizeof reply, false); },
       "0x40 (programming/erasure state) answered C0 51: erasure error"},
      {HexBytes("43"), "C3 54", [&] { return driver.PrepareWrite(); },
       "0x43 (user flash programming selection) answered C3 54: selection processing error"},
      {blockFrame, "D0 53", [&] { return driver.WriteBlock(block, 0x1000); },
       "0x50 (128-byte programming) at 00001000 answered D0 53: programming error"},
      {HexBytes("50 FF FF FF FF B4"), "D0 5E", [&] { return driver.EndWrite(); },
       "0x50 (128-byte programming) (end) answered D0 5E: unknown error code 0x5E"},
      {HexBytes("20"), "30 12 01", [&] { return driver.Command(kCmdDeviceInquiry, nullptr, 0, reply,
                                                      sizeof reply, false); },
       "0x20 (supported device inquiry): no reply byte within 10 s after 30 12 01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.detail);
    FakeLine::Instance().Reset();
    ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
    FakeLine::Instance().Expect(c.request, HexBytes(c.reply));
    EXPECT_EQ(c.step(), StepResult::Failed);
    EXPECT_EQ(FakeLine::Instance().Problems(), "");
    EXPECT_EQ(driver.FailureDetail(), c.detail);
  }
}

TEST_F(H8_3069Test, ReplyLengthsFollowTheFirstAndSecondByte) {
  uint8_t reply[8] = {};
  // ACK alone, a 0x30 response of size 4 (7 bytes), an error pair: each command reads
  // exactly its own reply, so the next one starts clean.
  FakeLine::Instance().Expect({kCmdUserFlashSelect}, {kReplyAck});
  FakeLine::Instance().Expect({kCmdClockModeInquiry}, HexBytes("30 04 01 02 03 04 C2"));
  FakeLine::Instance().Expect({kCmdMultiplierInquiry}, HexBytes("A2 26"));
  FakeLine::Instance().Expect({kCmdFrequencyInquiry}, {kReplyAck});
  EXPECT_EQ(driver.Command(kCmdUserFlashSelect, nullptr, 0, reply, sizeof reply, false),
            StepResult::Ok);
  EXPECT_EQ(driver.Command(kCmdClockModeInquiry, nullptr, 0, reply, sizeof reply, false),
            StepResult::Ok);
  EXPECT_EQ(reply[6], 0xC2);
  EXPECT_EQ(driver.Command(kCmdMultiplierInquiry, nullptr, 0, reply, sizeof reply, false),
            StepResult::Failed);
  EXPECT_EQ(reply[0], 0xA2);
  EXPECT_EQ(reply[1], 0x26);
  EXPECT_EQ(driver.FailureDetail(),
            "0x22 (multiplication ratio inquiry) answered A2 26: multiplication ratio out of range");
  EXPECT_EQ(driver.Command(kCmdFrequencyInquiry, nullptr, 0, reply, sizeof reply, false),
            StepResult::Ok);
  EXPECT_EQ(reply[0], kReplyAck);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
}

TEST_F(H8_3069Test, AReplyLongerThanItsAreaIsReadButNotStoredPastTheArea) {
  // Size 0xFF: 258 bytes for a 128-byte area, followed by a guard pattern.
  Bytes response = {0x30, 0xFF};
  for (int i = 0; i < 0xFF + 1; ++i) response.push_back(0x5A);
  FakeLine::Instance().Expect({kCmdDeviceInquiry}, response);
  struct {
    uint8_t area[kPrepareReplyBytes];
    uint8_t guard[200];
  } mem;
  std::memset(mem.guard, 0x11, sizeof mem.guard);
  EXPECT_EQ(driver.Command(kCmdDeviceInquiry, nullptr, 0, mem.area, sizeof mem.area, false),
            StepResult::Ok);
  for (uint8_t g : mem.guard) ASSERT_EQ(g, 0x11);
  // All of it was consumed: the next command sees only its own reply.
  FakeLine::Instance().Expect({kCmdUserFlashSelect}, {kReplyAck});
  EXPECT_EQ(driver.PrepareWrite(), StepResult::Ok);
}

TEST_F(H8_3069Test, AChipThatStopsMidReplyFailsTheCommandTenSecondsAfterItsLastByte) {
  FakeLine::Instance().Expect({kCmdUserFlashSelect}, HexBytes("30 04 01"));
  const uint32_t start = test::ClockNow();
  EXPECT_EQ(driver.PrepareWrite(), StepResult::Failed);
  const uint32_t waited = test::ClockNow() - start;
  EXPECT_GE(waited, kReplyByteWaitMs);
  EXPECT_LT(waited, kReplyByteWaitMs + 100);
}

TEST_F(H8_3069Test, WriteSequenceMatchesTheGoldenTranscript) {
  ASSERT_TRUE(test::ScriptTranscript("h8_3069_write.txt"));
  uint8_t block[kBlockBytes];
  for (int i = 0; i < kBlockBytes; ++i) block[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(driver.PrepareWrite(), StepResult::Ok);
  EXPECT_EQ(driver.WriteBlock(block, 0x100), StepResult::Ok);
  EXPECT_EQ(driver.EndWrite(), StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
}

TEST_F(H8_3069Test, ABlockRefusedAsGarbledIsSentAgainUpToThreeTimes) {
  uint8_t block[kBlockBytes];  // the transcripts' block: bytes 00..7F at 0x100
  for (int i = 0; i < kBlockBytes; ++i) block[i] = static_cast<uint8_t>(i);
  // Refused once, then taken: the write goes on to its end.
  ASSERT_TRUE(test::ScriptTranscript("h8_3069_resend_once.txt"));
  EXPECT_EQ(driver.PrepareWrite(), StepResult::Ok);
  EXPECT_EQ(driver.WriteBlock(block, 0x100), StepResult::Ok);
  EXPECT_EQ(driver.EndWrite(), StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  EXPECT_EQ(driver.Resent(), 1u);

  // Refused four times in a row: sent four times, no more, and the write fails.
  FakeLine::Instance().Reset();
  BootH8_3069 other(&cancel);
  ASSERT_EQ(other.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
  ASSERT_TRUE(test::ScriptTranscript("h8_3069_resend_limit.txt"));
  EXPECT_EQ(other.WriteBlock(block, 0x100), StepResult::Failed);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  EXPECT_EQ(other.Resent(), 3u);
  EXPECT_EQ(other.FailureDetail(),
            "0x50 (128-byte programming) at 00000100 answered D0 11: checksum error");
}

TEST_F(H8_3069Test, OnlyTheChecksumErrorIsSentAgainAndOnlyAnAckWritesABlock) {
  // Each answer may come after the chip acted, or is no answer of this frame: the frame
  // goes out once and the step fails, naming what came back.
  uint8_t block[kBlockBytes];
  std::memset(block, 0x3C, sizeof block);
  Bytes blockFrame = HexBytes("50 00 00 02 80");
  blockFrame.insert(blockFrame.end(), block, block + kBlockBytes);
  blockFrame = Framed(blockFrame);
  const struct {
    const char* reply;
    bool end;
    const char* detail;
  } cases[] = {
      {"D0 53", false, "0x50 (128-byte programming) at 00000280 answered D0 53: programming error"},
      {"15 01 00 EA", false, "0x50 (128-byte programming) at 00000280 answered 15 01 00 EA"},
      {"30 00 D0", true, "0x50 (128-byte programming) (end) answered 30 00 D0"},
      {"90 11", false, "0x50 (128-byte programming) at 00000280 answered 90 11: checksum error"},
      {"D0", true, "0x50 (128-byte programming) (end): no reply byte within 10 s after D0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.detail);
    FakeLine::Instance().Reset();
    BootH8_3069 other(&cancel);
    ASSERT_EQ(other.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
    FakeLine::Instance().Expect(c.end ? HexBytes("50 FF FF FF FF B4") : blockFrame,
                                HexBytes(c.reply));
    EXPECT_EQ(c.end ? other.EndWrite() : other.WriteBlock(block, 0x280), StepResult::Failed);
    EXPECT_EQ(FakeLine::Instance().Problems(), "");
    EXPECT_EQ(other.FailureDetail(), c.detail);
    EXPECT_EQ(other.Resent(), 0u);
  }

  // A selection refused as garbled is sent again like a block; what is left of the bad
  // answer is dropped before the resend.
  FakeLine::Instance().Reset();
  BootH8_3069 other(&cancel);
  ASSERT_EQ(other.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
  uint8_t reply[kSelectReplyBytes];
  const uint8_t mode = kClockMode0;
  FakeLine::Instance().Expect(HexBytes("11 01 00 EE"), HexBytes("91 11 91 80"));
  FakeLine::Instance().Expect(HexBytes("11 01 00 EE"), {kReplyAck});
  EXPECT_EQ(other.Command(kCmdClockModeSelect, &mode, 1, reply, sizeof reply, false),
            StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  EXPECT_EQ(other.Resent(), 1u);
}

TEST_F(H8_3069Test, ErasedBlocksAreSkippedAndAnErrorReplyFailsTheBlock) {
  uint8_t block[kBlockBytes];
  std::memset(block, 0xFF, sizeof block);
  EXPECT_EQ(driver.WriteBlock(block, 0), StepResult::Ok);
  EXPECT_TRUE(FakeLine::Instance().Written().empty());

  block[127] = 0x00;
  Bytes frame(5 + kBlockBytes);
  frame[0] = kCmdProgram128;
  frame[4] = 0x80;  // address 0x00000080
  std::memcpy(frame.data() + 5, block, kBlockBytes);
  uint8_t sum = 0;
  for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
  frame.push_back(static_cast<uint8_t>(0x100 - sum));
  FakeLine::Instance().Expect(frame, HexBytes("D0 51"));
  EXPECT_EQ(driver.WriteBlock(block, 0x80), StepResult::Failed);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
}

TEST_F(H8_3069Test, EndFrameIsAlwaysTheSameSixBytes) {
  FakeLine::Instance().Expect(HexBytes("50 FF FF FF FF B4"), {kReplyAck});
  EXPECT_EQ(driver.EndWrite(), StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  EXPECT_EQ(driver.TransferWriteProgram(""), StepResult::Ok);  // nothing to transfer for this chip
  EXPECT_EQ(FakeLine::Instance().Written().size(), 6u);
}

}  // namespace
}  // namespace k470
