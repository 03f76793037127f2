// CDlgWrite: the flash write job under a progress dialog.
#include "ui/dlg_write.h"

#include "ui/combo_box_com.h"
#include "ui/file_history.h"
#include "ui/resource.h"

namespace k470 {

CDlgWrite::CDlgWrite(CComboBoxCom* com, FileHistory* history, DeviceType* device,
                     CWnd* parent)
    : CDialogVl(IDD_DLG_WRITE, parent), m_com(com), m_history(history), m_device(device) {}

void CDlgWrite::DoDataExchange() { m_statusText.SubclassDlgItem(IDC_STATIC_STATUS, this); }

BOOL CDlgWrite::OnInitDialog() {
  CDialogVl::OnInitDialog();
  m_target.SetWindow(m_hWnd);
  if (!m_job.Start(m_com->GetSelectedPort(), m_history->Newest(), *m_device, &m_target)) {
    // No thread for the job: nothing will report, so the dialog ends as failed.
    EndDialog(kProgressFailed);
  }
  return TRUE;
}

INT_PTR CDlgWrite::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_WRITE_PROGRESS) {
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

bool CDlgWrite::OnCommand(int id, int code, HWND) {
  if (id != IDC_BUTTON_CANCEL_JOB || code != BN_CLICKED) return false;
  if (m_enterEscFlag) {
    // Enter on the focused Cancel button: the keyboard does not stop the write.
    m_enterEscFlag = 0;
    return true;
  }
  m_job.RequestCancel();
  return true;
}

// The dialog ends only with its job. Enter and Escape do nothing; a close request from
// outside asks the job to stop, like the Cancel button.
void CDlgWrite::OnOK() { m_enterEscFlag = 0; }

void CDlgWrite::OnCancel() {
  if (m_enterEscFlag) {
    m_enterEscFlag = 0;
    return;
  }
  m_job.RequestCancel();
}

void CDlgWrite::EndWhenDone(int code) {
  // The end message is posted just before the job marks itself done: a short wait.
  while (!m_job.IsDone()) Sleep(1);
  DiscardPostedTexts(m_hWnd, WM_WRITE_PROGRESS);
  EndDialog(code);
}

}  // namespace k470
