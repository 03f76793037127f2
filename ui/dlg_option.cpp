// CDlgOption: check boxes and the application name to and from the option record.
#include "ui/dlg_option.h"

#include <shellapi.h>

#include "base/texts.h"
#include "ui/file_dialogs.h"
#include "ui/resource.h"
#include "ui/wide_text.h"

namespace k470 {
CDlgOption::CDlgOption(CWnd* parent) : CDialog(IDD_DLG_OPTION, parent) {}

INT_PTR CDlgOption::RunForOptions(OptionSettings* record) {
  m_options = *record;
  const INT_PTR result = DoModal();
  if (result == IDOK) *record = m_options;
  return result;
}

void CDlgOption::DoDataExchange() {
  m_rloadUpdateCheck.SubclassDlgItem(IDC_CHECK_RLOAD_UPDATE, this);
  m_fwriteUpdateCheck.SubclassDlgItem(IDC_CHECK_FWRITE_UPDATE, this);
  m_runAppName.SubclassDlgItem(IDC_EDIT_APP_NAME, this);
  m_runApp.SubclassDlgItem(IDC_CHECK_RUN_APP, this);
  m_autoDisConnect.SubclassDlgItem(IDC_CHECK_AUTO_DISCONNECT, this);
  m_autoGo.SubclassDlgItem(IDC_CHECK_AUTO_GO, this);
  m_autoLoad.SubclassDlgItem(IDC_CHECK_AUTO_LOAD, this);
  m_showBoardOutput.SubclassDlgItem(IDC_CHECK_BOARD_OUTPUT, this);
}

BOOL CDlgOption::OnInitDialog() {
  CDialog::OnInitDialog();
  m_fwriteUpdateCheck.SetCheck(m_options.fwriteUpdateCheck);
  m_rloadUpdateCheck.SetCheck(m_options.rloadUpdateCheck);
  m_autoLoad.SetCheck(m_options.autoLoad);
  m_autoGo.SetCheck(m_options.autoGo);
  m_autoDisConnect.SetCheck(m_options.autoDisConnect);
  m_showBoardOutput.SetCheck(m_options.showBoardOutput);
  m_runApp.SetCheck(m_options.runApp);
  m_runAppName.SetWideText(WidenName(m_options.runAppName));
  if (m_options.runApp == 0) m_runAppName.EnableWindow(false);
  return TRUE;
}

void CDlgOption::OnOK() {
  // The name as the system's file functions will read it; one they cannot is refused and
  // the dialog stays open.
  const std::wstring typed = m_runAppName.GetWideText();
  std::string name;
  if (!NarrowName(typed.c_str(), &name)) {
    ShowRefusedName(m_hWnd, Text(TextId::kNameNotInCodePage), typed);
    return;
  }
  m_options.fwriteUpdateCheck = m_fwriteUpdateCheck.GetCheck() == BST_CHECKED ? 1 : 0;
  m_options.rloadUpdateCheck = m_rloadUpdateCheck.GetCheck() == BST_CHECKED ? 1 : 0;
  m_options.autoLoad = m_autoLoad.GetCheck() == BST_CHECKED ? 1 : 0;
  m_options.autoGo = m_autoGo.GetCheck() == BST_CHECKED ? 1 : 0;
  m_options.autoDisConnect = m_autoDisConnect.GetCheck() == BST_CHECKED ? 1 : 0;
  m_options.showBoardOutput = m_showBoardOutput.GetCheck() == BST_CHECKED ? 1 : 0;
  m_options.runApp = m_runApp.GetCheck() == BST_CHECKED ? 1 : 0;
  m_options.runAppName = name;
  CDialog::OnOK();
}

bool CDlgOption::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (code != BN_CLICKED) return false;
  if (id == IDC_CHECK_RUN_APP) {
    OnRunAppClicked();
    return true;
  }
  if (id == IDC_BUTTON_BROWSE_APP) {
    OnBrowseApp();
    return true;
  }
  return false;
}

INT_PTR CDlgOption::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DROPFILES) {
    OnDropFiles(reinterpret_cast<HDROP>(wp));
    return TRUE;
  }
  return CDialog::DialogProc(msg, wp, lp);
}

void CDlgOption::OnRunAppClicked() {
  m_runAppName.EnableWindow(m_runApp.GetCheck() == BST_CHECKED);
}

void CDlgOption::OnBrowseApp() {
  std::string path;
  if (RunOpenFileDialog(kAppFileFilter, std::string(), &path)) {
    m_runAppName.SetWideText(WidenName(path));
  }
}

void CDlgOption::OnDropFiles(HDROP drop) {
  std::string name;
  if (TakeDroppedFile(m_hWnd, drop, &name)) m_runAppName.SetWideText(WidenName(name));
}

}  // namespace k470
