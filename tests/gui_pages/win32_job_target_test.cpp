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
  Win32JobTarget target(window);
  std::thread job([&target] {
    char text[32] = "reading file...";
    target.PostStatus(WM_LOAD_PROGRESS, text);
    // The job's own buffer changes at once: the posted text must not follow it.
    std::snprintf(text, sizeof text, "%08X - %08X", 0x200000u, 0x2003FFu);
    target.PostStatus(WM_LOAD_PROGRESS, text);
    text[0] = '\0';
    target.PostBoardState(3);
    target.PostEnded(WM_LOAD_PROGRESS, JOB_CANCELLED);
  });
  job.join();
  std::vector<MSG> got = Drain(window);
  ASSERT_EQ(got.size(), 4u);
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
  DestroyWindow(window);
}

TEST(Win32JobTargetTest, StatusesToAGoneWindowOrLeftQueuedAreNotShownAndNotKept) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  Win32JobTarget target(window);
  target.PostStatus(WM_WRITE_PROGRESS, "writing 00000080");
  target.PostStatus(WM_WRITE_PROGRESS, nullptr);  // an absent text posts an empty one
  target.PostEnded(WM_WRITE_PROGRESS, JOB_SUCCEEDED);
  DiscardPostedTexts(window, WM_WRITE_PROGRESS);
  // Every queued progress message goes, its text freed; nothing is left for the window.
  EXPECT_TRUE(Drain(window).empty());
  EXPECT_EQ(TakePostedText(0), "");

  DestroyWindow(window);
  Win32JobTarget gone(window);
  gone.PostStatus(WM_WRITE_PROGRESS, "nobody reads this");  // freed at once, no crash
  gone.PostEnded(WM_WRITE_PROGRESS, JOB_FAILED);
}

}  // namespace
}  // namespace k470
