// CFormRamLoad: the RAM load page (inert).
#include "ui/form_ram_load.h"

#include "ui/resource.h"

namespace k470 {

CFormRamLoad::CFormRamLoad(CComboBoxCom* com, CWnd* status, CWnd* tab, OptionSettings* options,
                           CWnd* parent)
    : CDialogVl(IDD_FORM_RAM_LOAD, parent), m_com(com), m_status(status), m_tab(tab),
      m_options(options) {}

}  // namespace k470
