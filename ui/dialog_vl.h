// CDialogVl: a dialog that the Enter and Escape keys do not end. The key pre-filter marks
// an Enter or Escape key-down while the dialog manager handles it; the OK or Cancel action
// that it makes of the key is swallowed. Buttons and the close box still end the dialog.
#pragma once

#include "ui/dialog.h"

namespace k470 {

class CDialogVl : public CDialog {
 public:
  CDialogVl(int templateId, CWnd* parent) : CDialog(templateId, parent) {}

  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  void OnOK() override;
  void OnCancel() override;

  int m_enterEscFlag = 0;
};

}  // namespace k470
