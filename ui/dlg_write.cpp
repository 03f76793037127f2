// CDlgWrite: the flash write job under a progress dialog.
#include "ui/dlg_write.h"

#include "ui/combo_box_com.h"
#include "settings/file_history.h"
#include "ui/resource.h"

namespace k470 {

CDlgWrite::CDlgWrite(CComboBoxCom* com, FileHistory* history, DeviceType* device,
                     CWnd* parent)
    : CDlgJobProgress(IDD_DLG_WRITE, WM_WRITE_PROGRESS, parent),
      m_com(com),
      m_history(history),
      m_device(device) {
  // The chip answers each block at once; a write that waits longer says so instead of
  // showing a rate that no longer holds.
  ShowWaitingFor("the chip");
}

bool CDlgWrite::StartJob(JobTarget* target) {
  const std::string port = m_com->GetSelectedPortName();
  m_com->NoteUsed(port);
  NameFileInEndMessage(m_history->Newest());
  return m_job.Start(port, m_history->Newest(), *m_device, target) != 0;
}

}  // namespace k470
