// Board detection over the scripted line and the virtual clock: the prompt's line rules,
// reports on change only, the period and the carriage return of each look, cancel.
#include "monitor/thread_cchk.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/ticks.h"
#include "serial/com_port.h"
#include "tests/monitor/monitor_test_support.h"
#include "tests/support/fake_line.h"
#include "tests/support/recording_target.h"

namespace k470 {
namespace {

using test::Bytes;
using test::FakeLine;
using test::RecordingTarget;

constexpr int kRealWaitMs = 10000;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

class DetectionTest : public test::ScriptedPortTest<CThreadCchk> {
 protected:
  // Wait in real time until `n` states have been posted, or `n` carriage returns sent.
  bool WaitForStates(size_t n) {
    return test::WaitFor([&] { return m_target.BoardStates().size() >= n; }, kRealWaitMs);
  }
  bool WaitForLooks(size_t n) {
    return test::WaitFor([&] { return FakeLine::Instance().Written().size() >= n; }, kRealWaitMs);
  }

  RecordingTarget m_target;
};

// What the board had sent before the first look, and the state that look posts.
struct LineCase {
  const char* name;
  std::string received;
  int state;
};

TEST_F(DetectionTest, FirstLookDecidesByTheLineBufferRules) {
  const std::string other31(31, 'x');
  const std::string other32(32, 'x');
  const LineCase cases[] = {
      {"line break, then prompt", "\r\nk470l>", BOARD_K470L},
      {"prompt, then line break", "k470l>\r\n", BOARD_K470L},
      {"K471L", "\r\nk471l>", BOARD_K471L},
      {"K472L", "\r\nk472l>", BOARD_K472L},
      {"upper case is another board", "K470L>", BOARD_OTHER},
      {"31 characters before the name", other31 + "k470l>", BOARD_OTHER},
      {"32 characters before the name", other32 + "k470l>", BOARD_K470L},
      {"prompt after an earlier line", "G 200000\r\nk470l>", BOARD_K470L},
      {"longer name", "k470lx>", BOARD_OTHER},
      {"no '>'", "k470l\r\n", BOARD_NO_REPLY},
      {"nothing at all", "", BOARD_NO_REPLY},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLine::Instance().Reset();
    ASSERT_EQ(m_port.Open("COM1"), 1);
    RecordingTarget target;
    CThreadCchk job;
    FakeLine::Instance().Feed(Text(c.received));
    ASSERT_EQ(job.Start(&m_port, &target), 1);
    for (int waited = 0; waited < kRealWaitMs && target.BoardStates().empty(); waited += 2) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    job.StopAndWait();
    ASSERT_FALSE(target.BoardStates().empty());
    EXPECT_EQ(target.BoardStates().front(), c.state);
    EXPECT_EQ(job.State(), target.BoardStates().back());
  }
}

TEST_F(DetectionTest, ReportsOnlyChangesAndAsksOncePerPeriod) {
  // The board answers the first three carriage returns with its prompt, the next two with
  // text without a prompt, and then falls silent.
  constexpr size_t kTimedLooks = 8;
  std::vector<uint32_t> crTimes;
  int crs = 0;
  FakeLine::Instance().SetResponder([&](const Bytes& written, uint32_t) {
    EXPECT_EQ(test::HexText(written), "0D");
    // Only the looks before the stop: StopAndWait's own waits move the virtual clock on
    // while the job still runs.
    if (crTimes.size() < kTimedLooks) crTimes.push_back(TickCountMs());
    ++crs;
    if (crs <= 3) return Text("\r\nk470l>");
    if (crs <= 5) return Text("\r\nwhat?");
    return Bytes{};
  });
  const uint32_t started = TickCountMs();
  ASSERT_EQ(m_job.Start(&m_port, &m_target), 1);
  ASSERT_TRUE(WaitForLooks(kTimedLooks));
  m_job.StopAndWait();

  // no reply (nothing asked yet), the prompt, then no prompt: each posted once.
  EXPECT_EQ(m_target.BoardStates(), (std::vector<int>{BOARD_NO_REPLY, BOARD_K470L, BOARD_NO_REPLY}));
  ASSERT_EQ(crTimes.size(), kTimedLooks);
  EXPECT_GE(crTimes[0] - started, kDetectPeriodMs);
  EXPECT_LE(crTimes[0] - started, kDetectPeriodMs + 4);
  for (size_t i = 1; i < crTimes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_GE(crTimes[i] - crTimes[i - 1], kDetectPeriodMs);
    EXPECT_LE(crTimes[i] - crTimes[i - 1], kDetectPeriodMs + 4);
  }
}

TEST_F(DetectionTest, CancelAfterALookPostsNothingMore) {
  // The cancel comes while the job sends its first carriage return; the answer to it
  // would change the state at the next look, which must not come.
  int crs = 0;
  FakeLine::Instance().SetResponder([&](const Bytes&, uint32_t) {
    if (++crs == 1) m_job.RequestCancel();
    return Text("\r\nk471l>");
  });
  ASSERT_EQ(m_job.Start(&m_port, &m_target), 1);
  for (int waited = 0; waited < kRealWaitMs && !m_job.IsDone(); waited += 2) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_EQ(m_job.IsDone(), 1);
  EXPECT_EQ(crs, 1);
  EXPECT_EQ(m_target.BoardStates(), (std::vector<int>{BOARD_NO_REPLY}));

  // A new run starts with no state posted and finds the board.
  ASSERT_EQ(m_job.Start(&m_port, &m_target), 1);
  ASSERT_TRUE(WaitForStates(2));
  m_job.StopAndWait();
  EXPECT_EQ(m_target.BoardStates(), (std::vector<int>{BOARD_NO_REPLY, BOARD_K471L}));
}

TEST_F(DetectionTest, ALostPortReportsNoReplyOnceThenTheLossAndStops) {
  // The adapter is unplugged right after the first carriage return.
  int crs = 0;
  FakeLine::Instance().SetResponder([&](const Bytes&, uint32_t) {
    ++crs;
    return Text("\r\nk470l>");
  });
  FakeLine::Instance().LoseLineAfter(1);
  ASSERT_EQ(m_job.Start(&m_port, &m_target), 1);
  for (int waited = 0; waited < kRealWaitMs && !m_job.IsDone(); waited += 2) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_EQ(m_job.IsDone(), 1) << "the detection goes on after its port was lost";
  EXPECT_EQ(m_target.BoardStates(), (std::vector<int>{BOARD_NO_REPLY, BOARD_PORT_LOST}));
  EXPECT_EQ(m_job.State(), BOARD_PORT_LOST);
  EXPECT_EQ(crs, 1);
  EXPECT_TRUE(m_port.Lost());
}

TEST(BoardStateText, NamesEveryStateAsThePageShowsIt) {
  EXPECT_STREQ(BoardStateText(BOARD_NO_REPLY), "no reply");
  EXPECT_STREQ(BoardStateText(BOARD_K470L), "exist K470L");
  EXPECT_STREQ(BoardStateText(BOARD_K471L), "exist K471L");
  EXPECT_STREQ(BoardStateText(BOARD_K472L), "exist K472L");
  EXPECT_STREQ(BoardStateText(BOARD_OTHER), "non K47xL");
  EXPECT_STREQ(BoardStateText(5), "");
}

}  // namespace
}  // namespace k470
