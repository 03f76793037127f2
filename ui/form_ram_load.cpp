// CFormRamLoad: the RAM load page (controls bound, behaviour still to come).
#include "ui/form_ram_load.h"

#include "ui/resource.h"

namespace k470 {
namespace {
constexpr int kAddressRadix = 16;
}  // namespace

CFormRamLoad::CFormRamLoad(CComboBoxCom* com, CWnd* status, CWnd* tab, OptionSettings* options,
                           CWnd* parent)
    : CDialogVl(IDD_FORM_RAM_LOAD, parent),
      m_address(0, kAddressRadix),
      m_history(FileHistory::kMaxEntries),
      m_com(com),
      m_status(status),
      m_tab(tab),
      m_options(options) {}

void CFormRamLoad::DoDataExchange() {
  m_fileCombo.SubclassDlgItem(IDC_COMBO_FILE, this);
  m_address.SubclassDlgItem(IDC_EDIT_ADDRESS, this);
}

}  // namespace k470
