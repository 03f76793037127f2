// CDlgLoad: the modal "RAM LOAD" dialog. Starts the RAM load job as soon as it is up,
// shows the job's status texts, passes Cancel on to the job and ends with the job's
// result: 0 loaded, 1 cancelled, 3 failed.
#pragma once

#include "monitor/thread_load.h"
#include "ui/dialog_vl.h"
#include "ui/progress_result.h"
#include "ui/win32_job_target.h"

namespace k470 {

class CComPort;
class CEditDword;
class FileHistory;

class CDlgLoad : public CDialogVl {
 public:
  // The port, the history (its newest entry is the file) and the address field are the
  // page's, borrowed for the run.
  CDlgLoad(CComPort* port, FileHistory* history, CEditDword* address, CWnd* parent);

 protected:
  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void EndWhenDone(int code);

  CStatic m_statusText;
  CComPort* m_port;
  FileHistory* m_history;
  CEditDword* m_address;
  Win32JobTarget m_target;  // outlives the job, which reports through it
  CThreadLoad m_job;
};

}  // namespace k470
