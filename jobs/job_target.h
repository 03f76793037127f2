// The narrow interface through which a job reports: its status texts, its end result,
// the board state, and the messages it shows to the user. The window program turns these
// into posted window messages and message boxes, the command-line tool prints them, and
// tests record them.
#pragma once

namespace k470 {

// Messages posted by jobs (WM_USER is 0x400).
constexpr unsigned WM_LOAD_PROGRESS = 0x400 + 100;   // CThreadLoad → CDlgLoad
constexpr unsigned WM_WRITE_PROGRESS = 0x400 + 101;  // CThreadWrite → CDlgWrite
constexpr unsigned WM_BOARD_STATE = 0x400 + 102;     // CThreadCchk → CFormRamLoad

// wParam of the two progress messages.
constexpr int kProgressStatus = 0;  // lParam: a status text
constexpr int kProgressEnded = 1;   // lParam: the job's result code

// Result codes of a job's end message.
constexpr int JOB_SUCCEEDED = 0;
constexpr int JOB_CANCELLED = 1;
constexpr int JOB_FAILED = 2;

enum class MessageIcon { Error, Information };

class JobTarget {
 public:
  virtual ~JobTarget() = default;

  // A new status text (wParam 0). The target copies what it needs before it returns:
  // the job may replace its text at once.
  virtual void PostStatus(unsigned message, const char* text) = 0;

  // The job's end (wParam 1); always the last report of a run.
  virtual void PostEnded(unsigned message, int result) = 0;

  // A board state report (WM_BOARD_STATE, lParam 0..4).
  virtual void PostBoardState(int state) = 0;

  // Shows a modal message to the user from the job's thread and returns when it has been
  // dismissed (a message box in the window program). `detail` (may be null) is a second
  // line below the text: what exactly went wrong.
  virtual void ShowMessage(const char* text, MessageIcon icon, const char* detail = nullptr) = 0;
};

}  // namespace k470
