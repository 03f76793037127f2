// CDlgWrite: the modal "FLASH WRITE" dialog. Runs the flash write job and ends with its
// result: 0 written, 1 cancelled, 3 failed.
#pragma once

#include "flash/thread_write.h"
#include "ui/dlg_job_progress.h"

namespace k470 {

class CComboBoxCom;
class FileHistory;
struct DeviceType;

class CDlgWrite : public CDlgJobProgress {
 public:
  // The port selector, the history (its newest entry is the file) and the device type
  // are the page's; the job takes copies when it starts.
  CDlgWrite(CComboBoxCom* com, FileHistory* history, DeviceType* device, CWnd* parent);

  // After a cancel: whether the chip had taken every block and the end frame already.
  bool ImageWritten() const { return m_job.ImageWritten(); }

 protected:
  bool StartJob(JobTarget* target) override;
  CThreadVl& Job() override { return m_job; }

 private:
  CComboBoxCom* m_com;
  FileHistory* m_history;
  DeviceType* m_device;
  CThreadWrite m_job;
};

}  // namespace k470
