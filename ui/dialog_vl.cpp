// CDialogVl: Enter and Escape do not end the dialog.
#include "ui/dialog_vl.h"

namespace k470 {

BOOL CDialogVl::PreTranslateMessage(MSG* msg) {
  const bool mine = msg->hwnd == m_hWnd || IsChild(m_hWnd, msg->hwnd);
  const bool enterEsc = mine && msg->message == WM_KEYDOWN &&
                        (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
  if (!enterEsc) return CDialog::PreTranslateMessage(msg);
  // The dialog manager makes OK or Cancel of the key while it handles it; when a control
  // takes the key instead (a focused button, an open drop-down list), the mark must not
  // stay to swallow the next close.
  m_enterEscFlag = 1;
  const BOOL handled = CDialog::PreTranslateMessage(msg);
  m_enterEscFlag = 0;
  return handled;
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
