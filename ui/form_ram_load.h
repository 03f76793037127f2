// CFormRamLoad: the "Ram load" tab page (template 131). For now only what the main window
// reaches: the file history with its list, and the start address field.
#pragma once

#include "ui/combo_box_com.h"
#include "ui/dialog_vl.h"
#include "ui/edit_ex.h"
#include "ui/file_history.h"

namespace k470 {

struct OptionSettings;

class CFormRamLoad : public CDialogVl {
 public:
  CFormRamLoad(CComboBoxCom* com, CWnd* status, CWnd* tab, OptionSettings* options,
               CWnd* parent);

  FileHistory& History() { return m_history; }
  CComboBox& FileCombo() { return m_fileCombo; }
  CEditDword& AddressField() { return m_address; }

  // Starts or stops the watch of the current file (not yet).
  void EnableUpdateCheck(int on) { (void)on; }

 protected:
  void DoDataExchange() override;

 private:
  CComboBox m_fileCombo;
  CEditDword m_address;
  FileHistory m_history;
  CComboBoxCom* m_com;
  CWnd* m_status;
  CWnd* m_tab;
  OptionSettings* m_options;
};

}  // namespace k470
