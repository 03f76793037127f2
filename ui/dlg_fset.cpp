// CDlgFset: clock and bit rate of one device type.
#include "ui/dlg_fset.h"

#include <string>

#include "base/fill_text.h"
#include "base/texts.h"
#include "ui/centre_window.h"
#include "ui/resource.h"
#include "ui/win32_job_target.h"

namespace k470 {

CDlgFset::CDlgFset(CWnd* parent) : CDialog(IDD_DLG_FSET, parent) {}

int CDlgFset::RunForDevice(DeviceType& device) {
  m_record = device;
  const int result = static_cast<int>(DoModal());
  if (result != IDOK) return result;
  if (m_record.ClkSelect != 0) m_record.Clk = FsetClockKhz(m_clock.GetValue());
  if (m_record.BpsSelect != 0 && m_rateIndex >= 0 && m_rateIndex < kBootRateCount)
    m_record.Bps = static_cast<int32_t>(kBootRatesBps[m_rateIndex]);
  device = m_record;
  return IDOK;
}

void CDlgFset::DoDataExchange() {
  m_clock.SubclassDlgItem(IDC_EDIT_CLK, this);
  m_rate.SubclassDlgItem(IDC_COMBO_BAUD, this);
}

BOOL CDlgFset::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(FillText(Text(TextId::kSettingsTitle), {m_record.Name}));
  if (m_record.ClkSelect == 0) {
    for (int id : {IDC_STATIC_CLK, IDC_EDIT_CLK, IDC_STATIC_MHZ})
      ::EnableWindow(GetDlgItem(id), FALSE);
  }
  // Shown also when the field is disabled: six decimals, 20000 kHz as 20.000000.
  m_clock.SetValue(m_record.Clk / kKhzPerMhz);
  if (m_record.BpsSelect != 0) {
    m_rateIndex = FsetRateIndex(m_record.Bps);
    m_rate.SetCurSel(m_rateIndex);
  } else {
    for (int id : {IDC_STATIC_BAUD, IDC_COMBO_BAUD, IDC_STATIC_BPS})
      ::EnableWindow(GetDlgItem(id), FALSE);
  }
  return TRUE;
}

void CDlgFset::OnOK() {
  // The clock is sent only to an H8/3069 (in its new-bit-rate frame): only there must it
  // fit.
  if (m_record.ClkSelect != 0 && m_record.Id == kDeviceIdH8_3069 &&
      !ClockFitsField(FsetClockKhz(m_clock.GetValue()))) {
    MessageBoxOverOwner(GetSafeHwnd(), Text(TextId::kClockOutOfRange), kMessageBoxTitle,
                        MB_OK | MB_ICONERROR);
    ::SetFocus(m_clock.GetSafeHwnd());
    return;
  }
  CDialog::OnOK();
}

bool CDlgFset::OnCommand(int id, int code, HWND) {
  if (id == IDC_COMBO_BAUD && code == CBN_SELCHANGE) {
    m_rateIndex = m_rate.GetCurSel();
    return true;
  }
  return false;
}

}  // namespace k470
