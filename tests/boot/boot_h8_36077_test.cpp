// The H8/36077 driver: echoed transfer of the write-control program, the frames of the
// write-control program and their waits.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>

#include "boot/boot_h8_36077.h"
#include "base/open_file.h"
#include "tests/boot/boot_test_util.h"
#include "tests/boot/transcript.h"

namespace k470 {
namespace {

using namespace h8_36077;

using test::Bytes;
using test::FakeLine;
using test::HexBytes;

// The boot program's side of the transfer: echoes the count and every program byte,
// answers 0xAA after the last one; echoes byte `wrongAt` (0-based, counting the two
// count bytes) as its complement.
FakeLine::Responder LoaderChip(int wrongAt = -1) {
  auto received = std::make_shared<int>(0);
  auto total = std::make_shared<int>(-1);
  auto countBytes = std::make_shared<Bytes>();
  return [=](const Bytes& written, uint32_t) {
    Bytes answer;
    for (uint8_t b : written) {
      const int index = (*received)++;
      answer.push_back(index == wrongAt ? static_cast<uint8_t>(~b) : b);
      if (index < 2) {
        countBytes->push_back(b);
        if (index == 1) *total = ((*countBytes)[0] << 8) | (*countBytes)[1];
      }
      if (*total >= 0 && index == *total + 1) answer.push_back(kProgramLoaded);
    }
    return answer;
  };
}

std::string WriteTempFile(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

class H8_36077Test : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeLine::Instance().Reset();
    ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 57600), StepResult::Ok);
  }
  void TearDown() override { FakeLine::Instance().Reset(); }
  std::atomic<int> cancel{0};
  BootH8_36077 driver{&cancel};
};

TEST_F(H8_36077Test, ProgramEndingAtF8FFIsSentAsCount0180And384EchoedBytes) {
  FakeLine::Instance().SetResponder(LoaderChip());
  EXPECT_EQ(driver.TransferWriteProgram(K470_SIM_PROGRAM), StepResult::Ok);
  const Bytes written = FakeLine::Instance().Written();
  ASSERT_EQ(written.size(), 2u + 0x180u);
  EXPECT_EQ(written[0], 0x01);
  EXPECT_EQ(written[1], 0x80);
  const char pattern[] = "K470SIM WRITE-CONTROL TEST IMAGE";
  EXPECT_EQ(std::memcmp(written.data() + 2, pattern, 32), 0);
  EXPECT_EQ(std::memcmp(written.data() + 2 + 0x160, pattern, 32), 0);
}

TEST_F(H8_36077Test, RecordsOutsideTheProgramAreaAreNotSent) {
  // One byte at 0xF780, one below the area, one above it: the count is 1.
  const std::string path = WriteTempFile("outside.mot",
                                         "S104F7804242\n"
                                         "S104F77F4144\n"
                                         "S104FEF043CA\n");
  FakeLine::Instance().SetResponder(LoaderChip());
  EXPECT_EQ(driver.TransferWriteProgram(path.c_str()), StepResult::Ok);
  // A record above the area raises the highest address to 0xFEEF: the whole area goes.
  EXPECT_EQ(FakeLine::Instance().Written().size(), 2u + kProgramBytes);
  EXPECT_EQ(FakeLine::Instance().Written()[2], 0x42);
  EXPECT_EQ(FakeLine::Instance().Written()[3], 0xFF);
}

TEST_F(H8_36077Test, AWrongEchoStopsTheTransferAtThatByte) {
  FakeLine::Instance().SetResponder(LoaderChip(2 + 10));
  EXPECT_EQ(driver.TransferWriteProgram(K470_SIM_PROGRAM), StepResult::Failed);
  // Both runs were on the line before the wrong echo was read.
  EXPECT_EQ(FakeLine::Instance().Written().size(), 2u + 0x180u);
  EXPECT_EQ(driver.Waiting(), 0);  // a wrong byte, not a time-out
  EXPECT_EQ(driver.FailureDetail(),
            "echo of the program byte at offset 10 (F78A) answered B6 instead of 49");
}

TEST_F(H8_36077Test, AMissingOrUnreadableProgramSendsNothing) {
  EXPECT_EQ(driver.TransferWriteProgram("/nonexistent/36077.mot"), StepResult::Failed);
  std::string reason;  // the system's words for a missing file
  OpenRegularFile("/nonexistent/36077.mot", &reason);
  EXPECT_EQ(driver.FailureDetail(), "write-control program /nonexistent/36077.mot: " + reason);
  const std::string bad = WriteTempFile("bad.mot", "S104F78042C4\n");
  EXPECT_EQ(driver.TransferWriteProgram(bad.c_str()), StepResult::Failed);
  EXPECT_EQ(driver.FailureDetail(), "write-control program " + bad + ": line 1: bad checksum");
  EXPECT_TRUE(FakeLine::Instance().Written().empty());
}

TEST_F(H8_36077Test, MissingFinalAaFailsAfterTheByteWait) {
  auto echo = [](const Bytes& w, uint32_t) { return w; };
  FakeLine::Instance().SetResponder(echo);
  const uint32_t start = test::ClockNow();
  EXPECT_EQ(driver.TransferWriteProgram(K470_SIM_PROGRAM), StepResult::Failed);
  EXPECT_EQ(driver.Waiting(), 1);
  EXPECT_GE(test::ClockNow() - start, kWaitByteMs);
}

TEST_F(H8_36077Test, WriteSequenceMatchesTheGoldenTranscriptAt57600) {
  ASSERT_TRUE(test::ScriptTranscript("h8_36077_write.txt"));
  uint8_t block[kBlockBytes];
  for (int i = 0; i < kBlockBytes; ++i) block[i] = static_cast<uint8_t>(i * 7 + 3);
  EXPECT_EQ(driver.PrepareWrite(), StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().LineRates().back(), kWriteProgramBps);
  EXPECT_EQ(driver.WriteBlock(block, 4096), StepResult::Ok);
  EXPECT_EQ(driver.EndWrite(), StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  const Bytes written = FakeLine::Instance().Written();
  EXPECT_EQ(Bytes(written.begin() + 1, written.begin() + 6), HexBytes("41 00 00 10 00"));
}

TEST_F(H8_36077Test, ErasedBlocksAreSkipped) {
  uint8_t block[kBlockBytes];
  std::memset(block, 0xFF, sizeof block);
  EXPECT_EQ(driver.WriteBlock(block, 0), StepResult::Ok);
  EXPECT_TRUE(FakeLine::Instance().Written().empty());
}

TEST_F(H8_36077Test, ASecondAckThatNeverComesFailsAfter200Waits) {
  uint8_t block[kBlockBytes] = {};
  FakeLine::Instance().SetResponder([](const Bytes& w, uint32_t) {
    return w.size() == kBlockFrameBytes ? Bytes{kReplyOk} : Bytes{};
  });
  const uint32_t start = test::ClockNow();
  EXPECT_EQ(driver.WriteBlock(block, 0), StepResult::Failed);
  const uint32_t waited = test::ClockNow() - start;
  EXPECT_GE(waited, kSecondAckAttempts * kWaitByteMs);
  EXPECT_LT(waited, kSecondAckAttempts * (kWaitByteMs + kCancelSliceMs) + 1000);
}

TEST_F(H8_36077Test, AWrongByteOrACancelDuringTheSecondWaitFailsAtOnce) {
  uint8_t block[kBlockBytes] = {};
  FakeLine::Instance().SetResponder([](const Bytes&, uint32_t) { return HexBytes("05 15"); });
  uint32_t start = test::ClockNow();
  EXPECT_EQ(driver.WriteBlock(block, 0), StepResult::Failed);
  EXPECT_LT(test::ClockNow() - start, kWaitByteMs);

  FakeLine::Instance().SetResponder([&](const Bytes&, uint32_t) {
    cancel = 1;
    return Bytes{kReplyOk};
  });
  start = test::ClockNow();
  EXPECT_EQ(driver.WriteBlock(block, 0), StepResult::Cancelled);
  EXPECT_LT(test::ClockNow() - start, kWaitByteMs);
  // Once cancelled, a block is not sent at all.
  const size_t sent = FakeLine::Instance().Written().size();
  EXPECT_EQ(driver.WriteBlock(block, 128), StepResult::Cancelled);
  EXPECT_EQ(FakeLine::Instance().Written().size(), sent);
}

TEST_F(H8_36077Test, WritingRunsAt57600EvenAfterAMatchAt9600) {
  auto answered = std::make_shared<bool>(false);
  FakeLine::Instance().SetResponder([=](const Bytes& w, uint32_t baud) -> Bytes {
    if (baud == 9600 && w == Bytes{kAdjustByte} && !*answered) {
      *answered = true;
      return {0x00};
    }
    if (baud == 9600 && w == Bytes{kBootMatchConfirm}) return {kMatchAnswer36077};
    if (baud == kWriteProgramBps && w == Bytes{kCmdStart}) return {kReplyOk};
    return {};
  });
  int rate = 0;
  ASSERT_EQ(driver.MatchBitRate(&rate), StepResult::Ok);
  EXPECT_EQ(rate, 9600);
  EXPECT_EQ(driver.SelectDevice(), StepResult::Ok);
  EXPECT_EQ(driver.PrepareWrite(), StepResult::Ok);
  EXPECT_EQ(FakeLine::Instance().LineRates().back(), kWriteProgramBps);
}

TEST_F(H8_36077Test, NoAnswerToStartOrEndFailsAfter200Ms) {
  FakeLine::Instance().SetResponder([](const Bytes&, uint32_t) { return Bytes{}; });
  uint32_t start = test::ClockNow();
  EXPECT_EQ(driver.PrepareWrite(), StepResult::Failed);
  EXPECT_GE(test::ClockNow() - start, kWaitByteMs);
  start = test::ClockNow();
  EXPECT_EQ(driver.EndWrite(), StepResult::Failed);
  EXPECT_GE(test::ClockNow() - start, kWaitByteMs);
  EXPECT_LT(test::ClockNow() - start, kWaitByteMs + 100);
}

}  // namespace
}  // namespace k470
