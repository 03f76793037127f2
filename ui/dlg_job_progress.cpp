// CDlgJobProgress: a job under a modal progress dialog.
#include "ui/dlg_job_progress.h"

#include "ui/resource.h"

namespace k470 {

CDlgJobProgress::CDlgJobProgress(UINT templateId, UINT progressMsg, CWnd* parent)
    : CDialogVl(templateId, parent), m_progressMsg(progressMsg) {}

void CDlgJobProgress::DoDataExchange() {
  m_statusText.SubclassDlgItem(IDC_STATIC_STATUS, this);
}

BOOL CDlgJobProgress::OnInitDialog() {
  CDialogVl::OnInitDialog();
  m_target.SetWindow(m_hWnd);
  if (!StartJob(&m_target)) {
    // No thread for the job: nothing will report, so the dialog ends as failed.
    EndDialog(kProgressFailed);
  }
  return TRUE;
}

INT_PTR CDlgJobProgress::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == m_progressMsg) {
    if (wp == static_cast<WPARAM>(kProgressStatus)) {
      m_statusText.SetWindowText(TakePostedText(lp));
    } else if (wp == static_cast<WPARAM>(kProgressEnded)) {
      const int code = ProgressResultFor(lp);
      if (code >= 0) EndWhenDone(code);
    }
    return TRUE;
  }
  return CDialogVl::DialogProc(msg, wp, lp);
}

bool CDlgJobProgress::OnCommand(int id, int code, HWND) {
  if (id != IDC_BUTTON_CANCEL_JOB || code != BN_CLICKED) return false;
  if (m_enterEscFlag) {
    // Enter on the focused Cancel button: the keyboard does not stop the job.
    m_enterEscFlag = 0;
    return true;
  }
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

void CDlgJobProgress::EndWhenDone(int code) {
  // The end message is posted just before the job marks itself done: a short wait.
  while (!Job().IsDone()) Sleep(1);
  DiscardPostedTexts(m_hWnd, m_progressMsg);
  EndDialog(code);
}

}  // namespace k470
