// CFormFlashWrite: the flash write page (inert).
#include "ui/form_flash_write.h"

#include "ui/resource.h"

namespace k470 {

CFormFlashWrite::CFormFlashWrite(CComboBoxCom* com, CWnd* status, OptionSettings* options,
                                 CWnd* parent)
    : CDialogVl(IDD_FORM_FLASH_WRITE, parent), m_com(com), m_status(status), m_options(options) {}

}  // namespace k470
