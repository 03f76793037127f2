// The reader of a started program's output over the scripted line: what the board sends
// is kept for the window with one wake until it is taken, the user's lines are sent, and
// a lost port ends the run with a last wake.
#include "monitor/thread_board_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "tests/monitor/monitor_test_support.h"
#include "tests/support/fake_line.h"

namespace k470 {
namespace {

using test::Bytes;
using test::FakeLine;
using test::WaitFor;

constexpr int kRealWaitMs = 10000;

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

class OutputReaderTest : public test::ScriptedPortTest<CThreadBoardOutput> {
 protected:
  void Start() {
    ASSERT_EQ(m_job.Start(&m_port, [this] { ++m_wakes; }), 1);
  }

  std::atomic<int> m_wakes{0};
};

TEST_F(OutputReaderTest, KeepsWhatComesWithOneWakeUntilTakenAndSendsLines) {
  FakeLine::Instance().Feed(Of("hello\r\n"));
  Start();
  ASSERT_TRUE(WaitFor([this] { return m_wakes.load() == 1; }));
  FakeLine::Instance().Feed(Of("more"));
  std::string taken;
  ASSERT_TRUE(WaitFor([&] {
    taken += m_job.TakeOutput();
    return taken == "hello\r\nmore";
  })) << taken;
  const int wakes = m_wakes.load();
  EXPECT_LE(wakes, 2) << "one wake a take at most";
  m_job.Send("abc\r");
  ASSERT_TRUE(WaitFor([] { return FakeLine::Instance().Written() == Of("abc\r"); }));
  FakeLine::Instance().Feed(Of("x"));
  ASSERT_TRUE(WaitFor([&] { return m_wakes.load() == wakes + 1; }));
  m_job.StopAndWait();
  EXPECT_FALSE(m_job.PortLost());
  EXPECT_EQ(m_job.TakeOutput(), "x");
}

TEST_F(OutputReaderTest, ALostPortEndsTheRunWithAWake) {
  Start();
  FakeLine::Instance().LoseLineAfter(0);
  ASSERT_TRUE(m_job.WaitDoneFor(kRealWaitMs));
  EXPECT_TRUE(m_job.PortLost());
  EXPECT_GE(m_wakes.load(), 1);
}

}  // namespace
}  // namespace k470
