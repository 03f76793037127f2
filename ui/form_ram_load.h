// CFormRamLoad: the "Ram load" tab page (template 131). Shown inert for now: its controls
// come from the template and do nothing yet.
#pragma once

#include "ui/combo_box_com.h"
#include "ui/dialog_vl.h"

namespace k470 {

struct OptionSettings;

class CFormRamLoad : public CDialogVl {
 public:
  CFormRamLoad(CComboBoxCom* com, CWnd* status, CWnd* tab, OptionSettings* options,
               CWnd* parent);

  // Starts or stops the watch of the current file (not yet).
  void EnableUpdateCheck(int on) { (void)on; }

 private:
  CComboBoxCom* m_com;
  CWnd* m_status;
  CWnd* m_tab;
  OptionSettings* m_options;
};

}  // namespace k470
