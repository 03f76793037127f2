// CFormFlashWrite: device list, flash write, device settings, the update mark.
#include "ui/form_flash_write.h"

#include <string>
#include <vector>

#include "ui/centre_window.h"
#include "ui/dlg_fset.h"
#include "ui/dlg_write.h"
#include "ui/resource.h"
#include "ui/session_end.h"
#include "ui/win32_job_target.h"
#include "settings/app_settings.h"

namespace k470 {

namespace {
constexpr const char* kTextNowWriting = "Now Writing";
constexpr const char* kTextEnded = "ended flash write";
constexpr const char* kTextCancelled = "cancel flash write";
constexpr const char* kTextCancelledWritten = "cancel flash write: image written, not verified";
constexpr const char* kTextFailed = "error flash write";
}  // namespace

CFormFlashWrite::CFormFlashWrite(CComboBoxCom* com, CWnd* status, OptionSettings* options,
                                 CWnd* parent)
    : CDialogVl(IDD_FORM_FLASH_WRITE, parent),
      m_com(com),
      m_status(status),
      m_options(options),
      m_updateMark(kFlashWriteTimerId, &m_files.History()) {}

void CFormFlashWrite::DoDataExchange() {
  m_updateMark.Attach(this);
  m_settings.SubclassDlgItem(IDC_BUTTON_FSET, this);
  m_deviceCombo.SubclassDlgItem(IDC_COMBO_DEVICE, this);
  m_files.Attach(this);
}

int CFormFlashWrite::LoadDeviceTable(const std::string& folder) {
  int count = 0;
  std::string refusal;
  const int read = ReadDeviceTable(folder, m_devices, &count, &refusal);
  if (read != kTableRead) {
    // The records after a nameless type hold section names: none of them is offered; a
    // refused file (a folder, larger than 1 MiB) offers none either.
    m_deviceCount = 0;
    return 0;
  }
  // Every type keeps its place, so the stored choice names the same type; one that
  // cannot be written says why when its write is asked for.
  m_deviceCount = count < 0 ? 0 : (count > kDeviceTableSize ? kDeviceTableSize : count);
  for (int i = 0; i < m_deviceCount; ++i) m_deviceCombo.AddString(m_devices[i].Name.c_str());
  SelectDevice(0);
  return 1;
}

void CFormFlashWrite::SelectDevice(int index) {
  m_deviceCombo.SetCurSel(index);
  OnDeviceChanged();
}

DeviceType* CFormFlashWrite::SelectedDevice() {
  const int sel = m_deviceCombo.GetCurSel();
  if (sel < 0 || sel >= m_deviceCount) return nullptr;
  return &m_devices[sel];
}

INT_PTR CFormFlashWrite::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && m_updateMark.IsTimer(wp)) m_updateMark.OnTimer();
  return CDialogVl::DialogProc(msg, wp, lp);
}

bool CFormFlashWrite::OnCommand(int id, int code, HWND) {
  if (m_files.OnCommand(id, code)) return true;
  switch (id) {
    case IDC_BUTTON_FLASH_WRITE:
      if (code == BN_CLICKED) OnFlashWrite();
      return true;
    case IDC_BUTTON_FSET:
      if (code == BN_CLICKED) OnSettings();
      return true;
    case IDC_COMBO_DEVICE:
      if (code != CBN_SELCHANGE) return false;
      OnDeviceChanged();
      return true;
    default:
      return false;
  }
}

void CFormFlashWrite::OnFlashWrite() {
  // Without a selected device type there is nothing to write with: the click does
  // nothing (the status line and the timer stay as they are).
  DeviceType* device = SelectedDevice();
  if (device == nullptr) return;
  // The file written is the one the box shows.
  if (!m_files.TakeTypedName()) return;
  m_updateMark.BeginJob();
  if (m_status) m_status->SetWindowText(kTextNowWriting);
  CDlgWrite dialog(m_com, &m_files.History(), device, nullptr);
  // The port box names the port the write uses: it cannot change meanwhile.
  const bool portBoxEnabled = m_com != nullptr && m_com->IsWindowEnabled();
  if (portBoxEnabled) m_com->EnableWindow(false);
  m_writing = true;
  BlockSessionEnd(m_hWnd, kJobNameFlashWrite);
  const INT_PTR result = dialog.DoModal();
  UnblockSessionEnd(m_hWnd);
  m_writing = false;
  if (portBoxEnabled) m_com->EnableWindow(true);
  switch (result) {
    case kProgressSucceeded:
      if (m_status) m_status->SetWindowText(kTextEnded);
      m_updateMark.EndJob(true);
      break;
    case kProgressCancelled:
      // Cancelled during the check: the chip holds the new image all the same.
      if (m_status)
        m_status->SetWindowText(dialog.ImageWritten() ? kTextCancelledWritten : kTextCancelled);
      break;
    case kProgressFailed:
      if (m_status) m_status->SetWindowText(kTextFailed);
      break;
    default:
      break;
  }
}

void CFormFlashWrite::OnSettings() {
  DeviceType* device = SelectedDevice();
  if (device == nullptr) return;  // no device type: no settings to change
  CDlgFset dialog(nullptr);
  dialog.RunForDevice(*device);
}

void CFormFlashWrite::OnDeviceChanged() {
  const DeviceType* device = SelectedDevice();
  m_settings.EnableWindow(device != nullptr && (device->ClkSelect != 0 || device->BpsSelect != 0));
}

void CFormFlashWrite::EnableUpdateCheck(int on) { m_updateMark.Enable(on); }

}  // namespace k470
