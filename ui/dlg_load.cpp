// CDlgLoad: the RAM load job under a progress dialog.
#include "ui/dlg_load.h"

#include "ui/edit_ex.h"
#include "ui/file_history.h"
#include "ui/resource.h"

namespace k470 {

CDlgLoad::CDlgLoad(CComPort* port, FileHistory* history, CEditDword* address, CWnd* parent)
    : CDialogVl(IDD_DLG_LOAD, parent), m_port(port), m_history(history), m_address(address) {}

void CDlgLoad::DoDataExchange() { m_statusText.SubclassDlgItem(IDC_STATIC_STATUS, this); }

BOOL CDlgLoad::OnInitDialog() {
  CDialogVl::OnInitDialog();
  m_target.SetWindow(m_hWnd);
  if (!m_job.Start(m_port, m_history->Newest(), m_address->GetValue(), &m_target)) {
    // No thread for the job: nothing will report, so the dialog ends as failed.
    EndDialog(kProgressFailed);
  }
  return TRUE;
}

INT_PTR CDlgLoad::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LOAD_PROGRESS) {
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

bool CDlgLoad::OnCommand(int id, int code, HWND) {
  if (id != IDC_BUTTON_CANCEL_JOB || code != BN_CLICKED) return false;
  if (m_enterEscFlag) {
    // Enter on the focused Cancel button: the keyboard does not stop the load.
    m_enterEscFlag = 0;
    return true;
  }
  m_job.RequestCancel();
  return true;
}

// The dialog ends only with its job. Enter and Escape do nothing; a close request from
// outside asks the job to stop, like the Cancel button.
void CDlgLoad::OnOK() { m_enterEscFlag = 0; }

void CDlgLoad::OnCancel() {
  if (m_enterEscFlag) {
    m_enterEscFlag = 0;
    return;
  }
  m_job.RequestCancel();
}

void CDlgLoad::EndWhenDone(int code) {
  // The end message is posted just before the job marks itself done: a short wait.
  while (!m_job.IsDone()) Sleep(1);
  DiscardPostedTexts(m_hWnd, WM_LOAD_PROGRESS);
  EndDialog(code);
}

}  // namespace k470
