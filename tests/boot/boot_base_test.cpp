// The bit-rate adjustment shared by both drivers, and the answer to 0x55.
#include <gtest/gtest.h>

#include <atomic>

#include "boot/boot_h8_3069.h"
#include "boot/boot_h8_36077.h"
// Both drivers' and the monitor's names live side by side in one file.
#include "monitor/thread_cchk.h"
#include "monitor/thread_load.h"
#include "tests/boot/boot_test_util.h"

namespace k470 {
namespace {

using namespace h8_3069;
using namespace h8_36077;

using test::Bytes;
using test::FakeLine;

class AdjustTest : public ::testing::Test {
 protected:
  void SetUp() override { FakeLine::Instance().Reset(); }
  void TearDown() override { FakeLine::Instance().Reset(); }
  std::atomic<int> cancel{0};
};

// A chip locked to one rate: answers the first 0x00 at `rate` with one 0x00, and 0x55
// with `confirm`; at other rates every 0x00 arrives as `noise` (nothing when empty).
FakeLine::Responder OneRateChip(uint32_t rate, uint8_t confirm, Bytes noise = {}) {
  auto answered = std::make_shared<bool>(false);
  return [=](const Bytes& written, uint32_t baud) -> Bytes {
    if (baud != rate) return noise;
    if (written == Bytes{kBootMatchConfirm}) return {confirm};
    if (!*answered && written == Bytes{kAdjustByte}) {
      *answered = true;
      return {0x00};
    }
    return {};
  };
}

TEST_F(AdjustTest, ChipAnsweringOnlyAt38400IsMatchedThereAfterAFullPassAt57600) {
  FakeLine::Instance().SetResponder(OneRateChip(38400, kMatchAnswer3069));
  BootH8_3069 driver(&cancel);
  ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
  const uint32_t start = test::ClockNow();
  int rate = 0;
  ASSERT_EQ(driver.MatchBitRate(&rate), StepResult::Ok);
  EXPECT_EQ(rate, 38400);
  EXPECT_GE(test::ClockNow() - start, kAdjustAnswerWaitMs);  // the late-answer wait ran
  EXPECT_EQ(FakeLine::Instance().LineRates(), (std::vector<uint32_t>{9600, 57600, 38400}));
  auto sent = test::WrittenByRate(FakeLine::Instance().Transcript());
  EXPECT_EQ(sent[57600], Bytes(kAdjustSendsPerRate, 0x00));
  EXPECT_EQ(sent[38400], (Bytes{0x00, kBootMatchConfirm}));  // matched on the first send
  EXPECT_TRUE(FakeLine::Instance().IsOpen());
}

TEST_F(AdjustTest, NoiseAtWrongRatesIsSwallowedAndDoesNotCountAsAMatch) {
  FakeLine::Instance().SetResponder(OneRateChip(19200, kMatchAnswer36077, {0x80, 0xFE}));
  BootH8_36077 driver(&cancel);
  ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 57600), StepResult::Ok);
  int rate = 0;
  ASSERT_EQ(driver.MatchBitRate(&rate), StepResult::Ok);
  EXPECT_EQ(rate, 19200);
  auto sent = test::WrittenByRate(FakeLine::Instance().Transcript());
  EXPECT_EQ(sent[57600].size(), static_cast<size_t>(kAdjustSendsPerRate));
  EXPECT_EQ(sent[38400].size(), static_cast<size_t>(kAdjustSendsPerRate));
}

TEST_F(AdjustTest, NoAnswerAtAnyRateFailsAfterFourPasses) {
  BootH8_3069 driver(&cancel);
  FakeLine::Instance().SetResponder([](const Bytes&, uint32_t) { return Bytes{}; });
  ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
  const uint32_t start = test::ClockNow();
  EXPECT_EQ(driver.MatchBitRate(nullptr), StepResult::Failed);
  EXPECT_GE(test::ClockNow() - start, 4 * kAdjustAnswerWaitMs);
  auto sent = test::WrittenByRate(FakeLine::Instance().Transcript());
  for (uint32_t rate : kBootRatesBps) {
    EXPECT_EQ(sent[rate], Bytes(kAdjustSendsPerRate, 0x00)) << rate;
  }
}

TEST_F(AdjustTest, CancelStopsTheCurrentRateAndTriesNoOther) {
  int writes = 0;
  FakeLine::Instance().SetResponder([&](const Bytes&, uint32_t) {
    if (++writes == 5) cancel = 1;
    return Bytes{};
  });
  BootH8_3069 driver(&cancel);
  ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
  EXPECT_EQ(driver.MatchBitRate(nullptr), StepResult::Cancelled);
  EXPECT_EQ(writes, 5);
  EXPECT_EQ(FakeLine::Instance().LineRates(), (std::vector<uint32_t>{9600, 57600}));

  // Already cancelled: nothing is sent at all.
  FakeLine::Instance().Reset();
  BootH8_36077 second(&cancel);
  ASSERT_EQ(second.OpenPort(test::kTestPort, 20000, 57600), StepResult::Ok);
  EXPECT_EQ(second.MatchBitRate(nullptr), StepResult::Cancelled);
  EXPECT_TRUE(FakeLine::Instance().Written().empty());
}

TEST_F(AdjustTest, TheAnswerTo55MustBeTheChipsCodeAndIsNotWaitedForForever) {
  // Wrong code: the 3069 wants 0xE6, an 0xAA fails.
  FakeLine::Instance().SetResponder(OneRateChip(57600, 0xAA));
  {
    BootH8_3069 driver(&cancel);
    ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
    EXPECT_EQ(driver.MatchBitRate(nullptr), StepResult::Failed);
    EXPECT_EQ(driver.FailureDetail(), "0x55 answered AA instead of E6");
  }
  // Silence after 0x55: the wait ends after its bound.
  FakeLine::Instance().Reset();
  FakeLine::Instance().Expect({0x00}, {0x00});
  FakeLine::Instance().Expect({kBootMatchConfirm});
  {
    BootH8_36077 driver(&cancel);
    ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 57600), StepResult::Ok);
    const uint32_t start = test::ClockNow();
    EXPECT_EQ(driver.MatchBitRate(nullptr), StepResult::Failed);
    const uint32_t waited = test::ClockNow() - start;
    EXPECT_GE(waited, kMatchAnswerWaitMs);
    EXPECT_LT(waited, kMatchAnswerWaitMs + 1000);
    EXPECT_EQ(driver.FailureDetail(), "0x55: no AA within 10000 ms");
  }
  // Cancel during that wait ends it early.
  FakeLine::Instance().Reset();
  FakeLine::Instance().Expect({0x00}, {0x00});
  FakeLine::Instance().SetResponder([&](const Bytes& w, uint32_t) {
    if (w == Bytes{kBootMatchConfirm}) cancel = 1;
    return Bytes{};
  });
  {
    BootH8_3069 driver(&cancel);
    ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
    const uint32_t start = test::ClockNow();
    EXPECT_EQ(driver.MatchBitRate(nullptr), StepResult::Cancelled);
    EXPECT_LT(test::ClockNow() - start, 100u);
  }
}

TEST_F(AdjustTest, OpenPortFailsOnAMissingPortAndTheDriverStaysDestroyable) {
  FakeLine::Instance().SetOpenFails(true);
  BootH8_3069 driver(&cancel);
  EXPECT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Failed);
  // The port keeps its name as chosen and why it could not be opened.
  EXPECT_EQ(driver.PortName(), "COM3");
  EXPECT_NE(driver.PortOpenError(), "");
}

TEST_F(AdjustTest, DestroyingTheDriverClosesThePort) {
  FakeLine::Instance().SetResponder(OneRateChip(57600, kMatchAnswer3069));
  {
    BootH8_3069 driver(&cancel);
    ASSERT_EQ(driver.OpenPort(test::kTestPort, 20000, 38400), StepResult::Ok);
    ASSERT_EQ(driver.MatchBitRate(nullptr), StepResult::Ok);
    EXPECT_TRUE(FakeLine::Instance().IsOpen());
  }
  EXPECT_FALSE(FakeLine::Instance().IsOpen());
}

}  // namespace
}  // namespace k470
