// UpdateMark: a page's update mark, the bar that turns green when the page's current file
// (its history's newest entry) appears or changes on disk. A timer of the page looks at
// the file once a second; the page passes the timer's ticks on.
#pragma once

#include "ui/static_ex.h"
#include "ui/update_watch.h"

namespace k470 {

class FileHistory;

constexpr UINT kUpdateCheckPeriodMs = 1000;  // one look at the current file a second

class UpdateMark {
 public:
  // timerId is the page's timer for the watch; history is the page's file history.
  UpdateMark(UINT_PTR timerId, FileHistory* history)
      : m_timerId(timerId), m_history(history) {}

  // Binds the mark to the page's bar (control IDC_STATIC_UPDATE_MARK).
  void Attach(CWnd* page);

  // Switches the watch on (timer running) or off (timer stopped, mark off).
  void Enable(int on);

  // Stops or restarts the timer alone, keeping what the watch has seen (around a job
  // that reads the file).
  void StopTimer();
  void StartTimer();

  // Around a job that reads the current file: the watch stops and keeps the file's time
  // as the job reads it; after a successful job the mark goes off, the file is compared
  // with that time at once (a change during the job shows) and the watch goes on. After
  // any other end the timer stays stopped until Resume or Enable.
  void BeginJob();
  void EndJob(bool succeeded);
  // The timer again, when the watch is on.
  void Resume();

  bool IsTimer(WPARAM timerId) const { return timerId == m_timerId; }
  // One tick of the page's timer: looks at the current file.
  void OnTimer();

  // Green (on) or the button-face colour of the dialog (off).
  void Set(bool on);

 private:
  UINT_PTR m_timerId;
  FileHistory* m_history;
  CWnd* m_page = nullptr;
  CStaticBar m_bar;
  UpdateWatch m_watch;
  bool m_enabled = false;
};

}  // namespace k470
