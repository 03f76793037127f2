// Win32JobTarget: a job's reports turned into window messages posted to its window and
// message boxes shown on the job's own thread. The message number is the target's: each
// window names the message it handles (job_messages.h).
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "jobs/job_target.h"
#include "ui/job_messages.h"

namespace k470 {

// A status text travels as an owned heap copy in lParam: the job may replace or free its
// own text at once, and the copy stays readable until the window has handled the message.
class Win32JobTarget : public JobTarget {
 public:
  // `message` carries the statuses, the progress and the end (wParam kProgressStatus,
  // kProgressNumbers, kProgressEnded); board states go as WM_BOARD_STATE.
  explicit Win32JobTarget(UINT message, HWND window = nullptr)
      : m_message(message), m_window(window) {}
  Win32JobTarget(const Win32JobTarget&) = delete;
  Win32JobTarget& operator=(const Win32JobTarget&) = delete;

  // The window that receives the reports and owns the message boxes; set before the job
  // starts and not changed while it runs.
  void SetWindow(HWND window) { m_window = window; }
  HWND Window() const { return m_window; }

  void PostStatus(const char* text) override;
  void PostProgress(const JobProgress& progress) override;
  void PostEnded(int result) override;
  void PostBoardState(int state) override;
  void ShowMessage(const char* text, MessageIcon icon, const char* detail = nullptr) override;
  // Notes are kept and shown as further lines of the next message box of the job; a
  // window whose job ended without one takes them with TakeNotes.
  void PostNote(const char* text) override;
  // A verified write's sum becomes a line of its "書き込み終了" box, as a note would;
  // a check that failed or could not run is told by the message and the notes.
  void PostVerify(const VerifyReport& report) override;

  // The notes not yet shown, one a line (empty when none), and forgets them.
  std::string TakeNotes();

  // A file name (system code page) that the job's information box names on the line
  // after its text: which image a finished write wrote. Set before the job starts.
  void SetSubject(const std::string& fileName) { m_subject = fileName; }

 private:
  const UINT m_message;
  HWND m_window;
  std::string m_subject;
  std::mutex m_notesMutex;
  std::string m_notes;
};

// The text of a status message (wParam 0) posted by Win32JobTarget; frees the copy. The
// window calls it exactly once for each such message that it handles.
std::string TakePostedText(LPARAM lParam);

// The progress of a message (wParam kProgressNumbers) posted by Win32JobTarget; frees the
// copy. The window calls it exactly once for each such message that it handles.
JobProgress TakePostedProgress(LPARAM lParam);

// Removes the reports of kind `message` still queued for `window` and frees their copies:
// for a window that goes away before it has handled them all.
void DiscardPostedTexts(HWND window, UINT message);

// The title of every message box a job shows.
constexpr const char* kMessageBoxTitle = "K470Loader";

}  // namespace k470
