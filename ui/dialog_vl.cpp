// CDialogVl: Enter and Escape do not end the dialog.
#include "ui/dialog_vl.h"

namespace k470 {

BOOL CDialogVl::PreTranslateMessage(MSG* msg) {
  const bool mine = msg->hwnd == m_hWnd || IsChild(m_hWnd, msg->hwnd);
  if (mine && msg->message == WM_KEYDOWN &&
      (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
    m_enterEscFlag = 1;
  return CDialog::PreTranslateMessage(msg);
}

void CDialogVl::OnOK() {
  if (m_enterEscFlag == 0) {
    CDialog::OnOK();
    return;
  }
  m_enterEscFlag = 0;
}

void CDialogVl::OnCancel() {
  if (m_enterEscFlag == 0) {
    CDialog::OnCancel();
    return;
  }
  m_enterEscFlag = 0;
}

}  // namespace k470
