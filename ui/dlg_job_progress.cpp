// CDlgJobProgress: a job under a modal progress dialog.
#include "ui/dlg_job_progress.h"

#include <commctrl.h>

#include "ui/resource.h"

namespace k470 {
namespace {
constexpr int kBarSteps = 1000;  // the bar's range: tenths of a percent
constexpr UINT_PTR kWaitingTimerId = 1;
constexpr UINT kWaitingTickMs = 500;  // how often a silent target's wait is counted on
}  // namespace

CDlgJobProgress::CDlgJobProgress(UINT templateId, UINT progressMsg, CWnd* parent)
    : CDialogVl(templateId, parent), m_progressMsg(progressMsg), m_target(progressMsg) {}

void CDlgJobProgress::DoDataExchange() {
  m_statusText.SubclassDlgItem(IDC_STATIC_STATUS, this);
  m_bar.SubclassDlgItem(IDC_PROGRESS_BAR, this);
  m_progressLine.SubclassDlgItem(IDC_STATIC_PROGRESS, this);
}

BOOL CDlgJobProgress::OnInitDialog() {
  CDialogVl::OnInitDialog();
  m_bar.SendMessage(PBM_SETRANGE32, 0, kBarSteps);
  m_target.SetWindow(m_hWnd);
  if (m_waitingFor != nullptr) SetTimer(m_hWnd, kWaitingTimerId, kWaitingTickMs, nullptr);
  if (!StartJob(&m_target)) {
    // No thread for the job: nothing will report, so the dialog ends as failed.
    EndDialog(kProgressFailed);
  }
  return TRUE;
}

INT_PTR CDlgJobProgress::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == m_progressMsg) {
    if (wp == kProgressStatus) {
      m_statusText.SetWindowText(TakePostedText(lp));
    } else if (wp == kProgressNumbers) {
      ShowProgress(TakePostedProgress(lp));
    } else if (wp == kProgressEnded) {
      const int code = ProgressResultFor(lp);
      if (code >= 0) EndWhenDone(code);
    }
    return TRUE;
  }
  if (msg == WM_TIMER && wp == kWaitingTimerId) {
    RefreshWaiting();
    return TRUE;
  }
  return CDialogVl::DialogProc(msg, wp, lp);
}

bool CDlgJobProgress::OnCommand(int id, int code, HWND) {
  if (id != IDC_BUTTON_CANCEL_JOB || code != BN_CLICKED) return false;
  // A click, or Enter or Space on the focused button: the user pressed Cancel.
  Job().RequestCancel();
  return true;
}

// A close request from outside asks the job to stop, like the Cancel button.
void CDlgJobProgress::OnOK() { m_enterEscFlag = 0; }

void CDlgJobProgress::OnCancel() {
  if (m_enterEscFlag) {
    m_enterEscFlag = 0;
    return;
  }
  Job().RequestCancel();
}

bool CDlgJobProgress::Reports(JobProgress* first, JobProgress* last) const {
  if (!m_reported) return false;
  if (first != nullptr) *first = m_firstReport;
  if (last != nullptr) *last = m_meter.Last();
  return true;
}

void CDlgJobProgress::ShowProgress(const JobProgress& progress) {
  if (!m_reported) m_firstReport = progress;
  m_reported = true;
  m_meter.Update(progress, GetTickCount());
  const uint64_t done = progress.done > progress.total ? progress.total : progress.done;
  const WPARAM position = progress.total ? static_cast<WPARAM>(done * kBarSteps / progress.total) : 0;
  m_bar.SendMessage(PBM_SETPOS, position);
  RefreshWaiting();
}

void CDlgJobProgress::RefreshWaiting() {
  if (!m_reported) return;
  const std::string line =
      m_waitingFor != nullptr ? m_meter.LineAt(GetTickCount(), m_waitingFor) : m_meter.Line();
  // Only a change is drawn: the timer would otherwise make the line flicker.
  if (line == m_shownLine) return;
  m_shownLine = line;
  m_progressLine.SetWindowText(line);
}

void CDlgJobProgress::EndWhenDone(int code) {
  // The end message is posted just before the job marks itself done: the wait for its end
  // signal (and its thread) is short.
  Job().WaitDone(nullptr);
  DiscardPostedTexts(m_hWnd, m_progressMsg);
  EndDialog(code);
}

}  // namespace k470
