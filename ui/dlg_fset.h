// CDlgFset: the settings dialog of one device type ("<Name> Settings"): its clock in MHz and
// its boot bit rate, each changeable only when the device table allows it. OK writes the
// values back into the device type; any other end leaves it untouched.
#pragma once

#include "flash/device_type.h"
#include "ui/dialog.h"
#include "ui/edit_ex.h"
#include "ui/fset_values.h"

namespace k470 {

class CDlgFset : public CDialog {
 public:
  explicit CDlgFset(CWnd* parent);

  // Edits a copy of `device` in the dialog; only when the dialog ends with OK are the
  // changed values copied back. Returns the dialog's result.
  virtual int RunForDevice(DeviceType& device);

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  // Ends with OK only when the clock, where it may be changed, can be sent to the chip;
  // otherwise says so (kClockOutOfRange) and the dialog stays open.
  void OnOK() override;

 private:
  CEditDouble m_clock;
  CComboBox m_rate;
  DeviceType m_record;
  int m_rateIndex = 0;
};

}  // namespace k470
