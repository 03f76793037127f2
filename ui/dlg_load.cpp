// CDlgLoad: the RAM load job under a progress dialog.
#include "ui/dlg_load.h"

#include "ui/edit_ex.h"
#include "settings/file_history.h"
#include "ui/resource.h"

namespace k470 {

CDlgLoad::CDlgLoad(CComPort* port, FileHistory* history, CEditDword* address, CWnd* parent)
    : CDlgJobProgress(IDD_DLG_LOAD, WM_LOAD_PROGRESS, parent),
      m_port(port),
      m_history(history),
      m_address(address) {
  // The board answers each chunk within a fraction of a second; a load that waits longer
  // says so instead of showing a rate that no longer holds.
  ShowWaitingFor("the board");
}

bool CDlgLoad::StartJob(JobTarget* target) {
  return m_job.Start(m_port, m_history->Newest(), m_address->GetValue(),
                     target) != 0;
}

}  // namespace k470
