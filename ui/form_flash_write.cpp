// CFormFlashWrite: the flash write page (controls bound, behaviour still to come).
#include "ui/form_flash_write.h"

#include "ui/resource.h"

namespace k470 {

CFormFlashWrite::CFormFlashWrite(CComboBoxCom* com, CWnd* status, OptionSettings* options,
                                 CWnd* parent)
    : CDialogVl(IDD_FORM_FLASH_WRITE, parent),
      m_history(FileHistory::kMaxEntries),
      m_com(com),
      m_status(status),
      m_options(options) {}

void CFormFlashWrite::DoDataExchange() {
  m_deviceCombo.SubclassDlgItem(IDC_COMBO_DEVICE, this);
  m_fileCombo.SubclassDlgItem(IDC_COMBO_FILE, this);
}

}  // namespace k470
