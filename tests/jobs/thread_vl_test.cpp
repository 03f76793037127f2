// The job base: start, cancel, restart, and a destructor that waits for the body.
#include "jobs/thread_vl.h"

#include "jobs/job_end_signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace k470 {
namespace {

// A body that runs until cancelled (or for a given number of polls) and counts its runs.
class CountingJob : public CThreadVl {
 public:
  explicit CountingJob(std::atomic<int>* runs, int polls = -1) : m_runs(runs), m_polls(polls) {}
  ~CountingJob() override { StopAndWait(); }
  std::atomic<int> cancelledRuns{0};
  std::atomic<int>* m_endedOutside = nullptr;
  std::atomic<int> bodyEnded{0};

 protected:
  int Run() override {
    ++*m_runs;
    for (int i = 0; m_polls < 0 || i < m_polls; ++i) {
      if (Cancelled()) {
        ++cancelledRuns;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ++bodyEnded;
    if (m_endedOutside) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ++*m_endedOutside;
    }
    SetDone();
    return 0;
  }

 private:
  std::atomic<int>* m_runs;
  int m_polls;
};

TEST(ThreadVl, IdleJobStopsAtOnceAndNextStartIsNotCancelled) {
  std::atomic<int> runs{0};
  CountingJob job(&runs, 5);
  EXPECT_EQ(job.IsDone(), 1);
  job.StopAndWait();  // idle: returns at once, leaves the cancel request set
  EXPECT_TRUE(job.Cancelled());

  ASSERT_EQ(job.Start(), 1);
  EXPECT_FALSE(job.Cancelled());
  while (!job.IsDone()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(runs.load(), 1);
  EXPECT_EQ(job.cancelledRuns.load(), 0);
}

TEST(ThreadVl, CancelEndsARunAndTheJobCanBeStartedAgain) {
  std::atomic<int> runs{0};
  CountingJob job(&runs);
  ASSERT_EQ(job.Start(), 1);
  EXPECT_EQ(job.IsDone(), 0);
  job.StopAndWait();
  EXPECT_EQ(job.IsDone(), 1);
  EXPECT_EQ(job.cancelledRuns.load(), 1);

  ASSERT_EQ(job.Start(), 1);
  job.StopAndWait();
  EXPECT_EQ(runs.load(), 2);
  EXPECT_EQ(job.cancelledRuns.load(), 2);
}

TEST(ThreadVl, DestroyingARunningJobWaitsForItsBody) {
  std::atomic<int> runs{0};
  std::atomic<int> ended{0};
  {
    CountingJob job(&runs);
    job.m_endedOutside = &ended;
    ASSERT_EQ(job.Start(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // The body takes 20 ms after the cancel; the destructor must have waited for it.
  EXPECT_EQ(ended.load(), 1);
  EXPECT_EQ(runs.load(), 1);
}

TEST(ThreadVl, AJobThatEndsByItselfDuringStopAndWaitEndsNormally) {
  std::atomic<int> runs{0};
  CountingJob job(&runs, 3);
  ASSERT_EQ(job.Start(), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  job.StopAndWait();
  EXPECT_EQ(job.bodyEnded.load(), 1);
}

TEST(ThreadVl, TheEndOfAnyJobRaisesTheSharedSignal) {
  JobEndSignal anyEnded;
  std::atomic<int> runs{0};
  CountingJob endless(&runs);
  CountingJob brief(&runs, 3);
  endless.AlsoSignalEndTo(&anyEnded);
  brief.AlsoSignalEndTo(&anyEnded);
  ASSERT_EQ(endless.Start(), 1);
  ASSERT_EQ(brief.Start(), 1);
  EXPECT_TRUE(anyEnded.WaitFor(10000));
  EXPECT_EQ(brief.IsDone(), 1);
  EXPECT_EQ(endless.IsDone(), 0);
  endless.RequestCancel();
  EXPECT_TRUE(anyEnded.WaitFor(10000));
  EXPECT_TRUE(endless.WaitDone(nullptr));
  EXPECT_EQ(endless.cancelledRuns.load(), 1);
}

TEST(ThreadVl, AJobDestroyedAsSoonAsItsEndIsSeenLeavesNothingRunning) {
  // Each owner destroys its job the moment the end signal says so; the join keeps the
  // body's thread from touching a destroyed object (a fault under the sanitizers).
  for (int i = 0; i < 200; ++i) {
    std::atomic<int> runs{0};
    auto job = std::make_unique<CountingJob>(&runs, 0);
    ASSERT_EQ(job->Start(), 1);
    while (!job->WaitDoneFor(10000)) {
    }
    job.reset();
  }
}

}  // namespace
}  // namespace k470
