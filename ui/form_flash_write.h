// CFormFlashWrite: the "Flash write" tab page (template 130). For now only what the main
// window reaches: the file history with its list, and the device type list.
#pragma once

#include <string>

#include "ui/combo_box_com.h"
#include "ui/dialog_vl.h"
#include "ui/file_history.h"

namespace k470 {

struct OptionSettings;

class CFormFlashWrite : public CDialogVl {
 public:
  CFormFlashWrite(CComboBoxCom* com, CWnd* status, OptionSettings* options, CWnd* parent);

  FileHistory& History() { return m_history; }
  CComboBox& FileCombo() { return m_fileCombo; }
  CComboBox& DeviceCombo() { return m_deviceCombo; }

  // Reads the device table below `folder` into the device list (not yet).
  void LoadDeviceTable(const std::string& folder) { (void)folder; }
  // Starts or stops the watch of the current file (not yet).
  void EnableUpdateCheck(int on) { (void)on; }

 protected:
  void DoDataExchange() override;

 private:
  CComboBox m_fileCombo;
  CComboBox m_deviceCombo;
  FileHistory m_history;
  CComboBoxCom* m_com;
  CWnd* m_status;
  OptionSettings* m_options;
};

}  // namespace k470
