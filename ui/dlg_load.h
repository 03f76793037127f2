// CDlgLoad: the modal "RAM LOAD" dialog. Runs the RAM load job and ends with its result:
// 0 loaded, 1 cancelled, 3 failed.
#pragma once

#include "monitor/thread_load.h"
#include "ui/dlg_job_progress.h"

namespace k470 {

class CComPort;
class CEditDword;
class FileHistory;

class CDlgLoad : public CDlgJobProgress {
 public:
  // The port, the history (its newest entry is the file) and the address field are the
  // page's, borrowed for the run.
  CDlgLoad(CComPort* port, FileHistory* history, CEditDword* address, CWnd* parent);

 protected:
  bool StartJob(JobTarget* target) override;
  CThreadVl& Job() override { return m_job; }

 private:
  CComPort* m_port;
  FileHistory* m_history;
  CEditDword* m_address;
  CThreadLoad m_job;
};

}  // namespace k470
