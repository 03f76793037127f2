// CDlgWrite: the modal "FLASH WRITE" dialog. Starts the flash write job when it opens,
// shows the job's status texts, passes Cancel on to the job and ends with the job's
// result: 0 written, 1 cancelled, 3 failed.
#pragma once

#include <string>

#include "flash/thread_write.h"
#include "ui/dialog_vl.h"
#include "ui/progress_result.h"
#include "ui/win32_job_target.h"

namespace k470 {

class CComboBoxCom;
class FileHistory;
struct DeviceType;

class CDlgWrite : public CDialogVl {
 public:
  // The port selector, the history (its newest entry is the file) and the device type
  // are the page's; the job takes copies when it starts.
  CDlgWrite(CComboBoxCom* com, FileHistory* history, DeviceType* device, CWnd* parent);

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
  CComboBoxCom* m_com;
  FileHistory* m_history;
  DeviceType* m_device;
  Win32JobTarget m_target;  // outlives the job, which reports through it
  CThreadWrite m_job;
};

}  // namespace k470
