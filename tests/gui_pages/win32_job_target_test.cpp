// Win32JobTarget: what a window receives from a job running on another thread.
#include "ui/win32_job_target.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace k470 {
namespace {

// A hidden message-only window of the test's thread to post to.
HWND MakeWindow() {
  return CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

std::vector<MSG> Drain(HWND window) {
  std::vector<MSG> got;
  MSG msg;
  while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) got.push_back(msg);
  return got;
}

TEST(Win32JobTargetTest, ReportsFromAJobThreadArriveInOrderWithTheirOwnTexts) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  Win32JobTarget target(WM_LOAD_PROGRESS, window);
  std::thread job([&target] {
    char text[32] = "reading file...";
    target.PostStatus(text);
    // The job's own buffer changes at once: the posted text must not follow it.
    std::snprintf(text, sizeof text, "%08X - %08X", 0x200000u, 0x2003FFu);
    target.PostStatus(text);
    text[0] = '\0';
    target.PostBoardState(3);
    target.PostEnded(JOB_CANCELLED);
    JobProgress progress;
    progress.done = 1024;
    progress.total = 4096;
    progress.address = 0x200400;
    target.PostProgress(progress);
  });
  job.join();
  std::vector<MSG> got = Drain(window);
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0].message, WM_LOAD_PROGRESS);
  EXPECT_EQ(got[0].wParam, 0u);
  EXPECT_EQ(TakePostedText(got[0].lParam), "reading file...");
  EXPECT_EQ(TakePostedText(got[1].lParam), "00200000 - 002003FF");
  EXPECT_EQ(got[2].message, WM_BOARD_STATE);
  EXPECT_EQ(got[2].wParam, 0u);
  EXPECT_EQ(got[2].lParam, 3);
  EXPECT_EQ(got[3].message, WM_LOAD_PROGRESS);
  EXPECT_EQ(got[3].wParam, 1u);
  EXPECT_EQ(got[3].lParam, JOB_CANCELLED);
  EXPECT_EQ(got[4].wParam, kProgressNumbers);
  const JobProgress progress = TakePostedProgress(got[4].lParam);
  EXPECT_EQ(progress.done, 1024u);
  EXPECT_EQ(progress.total, 4096u);
  EXPECT_EQ(progress.address, 0x200400u);
  DestroyWindow(window);
}

TEST(Win32JobTargetTest, StatusesToAGoneWindowOrLeftQueuedAreNotShownAndNotKept) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  Win32JobTarget target(WM_WRITE_PROGRESS, window);
  target.PostStatus("writing 00000080");
  target.PostStatus(nullptr);  // an absent text posts an empty one
  target.PostProgress(JobProgress());
  target.PostEnded(JOB_SUCCEEDED);
  DiscardPostedTexts(window, WM_WRITE_PROGRESS);
  // Every queued progress message goes, its text freed; nothing is left for the window.
  EXPECT_TRUE(Drain(window).empty());
  EXPECT_EQ(TakePostedText(0), "");

  DestroyWindow(window);
  Win32JobTarget gone(WM_WRITE_PROGRESS, window);
  gone.PostStatus("nobody reads this");  // freed at once, no crash
  gone.PostProgress(JobProgress());
  gone.PostEnded(JOB_FAILED);
}

TEST(Win32JobTargetTest, OnlyAVerifiedSumBecomesALineOfTheEndMessage) {
  Win32JobTarget target(WM_WRITE_PROGRESS, nullptr);
  VerifyReport report;
  report.chipSum = 0x01A2B3C4;
  report.result = VerifyResult::Unavailable;
  target.PostVerify(report);
  report.result = VerifyResult::Verified;
  report.readBack = true;  // sums differ: the note tells it
  target.PostVerify(report);
  EXPECT_EQ(target.TakeNotes(), "");
  report.readBack = false;
  target.PostNote("a note");
  target.PostVerify(report);
  EXPECT_EQ(target.TakeNotes(), "a note\nverified: sum 0x01A2B3C4");
}

}  // namespace
}  // namespace k470
