// CFormFlashWrite: the "Flash write" tab page (template 130). Shown inert for now: its
// controls come from the template and do nothing yet.
#pragma once

#include <string>

#include "ui/combo_box_com.h"
#include "ui/dialog_vl.h"

namespace k470 {

struct OptionSettings;

class CFormFlashWrite : public CDialogVl {
 public:
  CFormFlashWrite(CComboBoxCom* com, CWnd* status, OptionSettings* options, CWnd* parent);

  // Reads the device table below `folder` into the device list (not yet).
  void LoadDeviceTable(const std::string& folder) { (void)folder; }
  // Starts or stops the watch of the current file (not yet).
  void EnableUpdateCheck(int on) { (void)on; }

 private:
  CComboBoxCom* m_com;
  CWnd* m_status;
  OptionSettings* m_options;
};

}  // namespace k470
