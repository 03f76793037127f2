// CDlgJobProgress: what the two progress dialogs share. The dialog starts its job when it
// opens, shows the job's status texts, passes Cancel on to the job and ends with the job's
// result (kProgressSucceeded, kProgressCancelled, kProgressFailed) when the end message
// comes. Below the status a bar and a line show how much the target has acknowledged,
// the rate and the time left, or, for a dialog that names its target, how long the
// target has been silent. Enter and Escape do nothing: the dialog ends only with its job.
#pragma once

#include <string>

#include "jobs/progress_meter.h"
#include "jobs/thread_vl.h"
#include "ui/dialog_vl.h"
#include "ui/progress_result.h"
#include "ui/win32_job_target.h"

namespace k470 {

class CDlgJobProgress : public CDialogVl {
 public:
  // progressMsg is the message the job posts its statuses and its end result with.
  CDlgJobProgress(UINT templateId, UINT progressMsg, CWnd* parent);

  // The job's first and last progress report (the first one names where the data begins
  // and how much there is); false when none came.
  bool Reports(JobProgress* first, JobProgress* last) const;

  // The job's notes that no message box has shown yet (a successful run shows none), one
  // a line; empty when there are none.
  std::string TakeNotes() { return m_target.TakeNotes(); }

 protected:
  // Starts the job, reporting to target; false when it could not start.
  virtual bool StartJob(JobTarget* target) = 0;
  virtual CThreadVl& Job() = 0;
  // The progress line says "waiting for <who>" once the target's answer is late
  // (kLateAnswerMs); set before the dialog opens. `who` is a constant text.
  void ShowWaitingFor(const char* who) { m_waitingFor = who; }
  // The file that the job's information box names (see Win32JobTarget::SetSubject).
  void NameFileInEndMessage(const std::string& fileName) { m_target.SetSubject(fileName); }

  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void EndWhenDone(int code);
  void ShowProgress(const JobProgress& progress);

  UINT m_progressMsg;
  CStatic m_statusText;
  CWnd m_bar;
  CStatic m_progressLine;
  void RefreshWaiting();

  ProgressMeter m_meter;
  const char* m_waitingFor = nullptr;
  bool m_reported = false;
  JobProgress m_firstReport;
  std::string m_shownLine;
  Win32JobTarget m_target;  // outlives the derived dialog's job, which reports through it
};

}  // namespace k470
