// CDlgMain: the program's main window. Holds the port selector, the status line and the
// tab control with the flash write and RAM load pages; owns the settings (loaded while it
// initialises, saved when it closes); routes menu commands, dropped files and the port
// selector's changes to the page whose tab is shown.
#pragma once

#include <string>

#include "base/build_info.h"
#include "settings/app_settings.h"
#include "ui/combo_box_com.h"
#include "ui/dialog_vl2.h"
#include "ui/form_flash_write.h"
#include "ui/form_ram_load.h"

namespace k470 {

constexpr const char* kProgramName = "K470Loader";

class CDlgMain : public CDialogVl2 {
 public:
  explicit CDlgMain(CWnd* parent);
  ~CDlgMain() override;

  // The window, its pages and its icons at a new screen scale, laid out again.
  void ScaleTo(UINT dpi) override;

  static constexpr int kTabFlashWrite = 0;
  static constexpr int kTabRamLoad = 1;

 protected:
  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  // Ctrl+Tab and Ctrl+PgDn show the next page, Ctrl+Shift+Tab and Ctrl+PgUp the one
  // before, wherever the keyboard is in the window, when the tabs can be changed.
  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  // Places the port box, the tab control, the pages and the status line from the dialog
  // font and the tab control's display area, and sizes the window around them
  // (ui/dlg_main_layout.cpp).
  void LayOut();
  // The title bar's and the task bar's icons in the sizes of the scale `dpi`.
  void SetIcons(UINT dpi);

  void LoadSettings();
  void SaveSettings();
  void TakeCpuSel();
  void OnIniNotSaved(const std::string& path, const std::string& reason) override;
  // The session ends (logoff, shutdown): refused while a load or a write runs.
  bool JobRunning() const;
  void OnEndSession();

  void OnTabChange();
  void SwitchPage(int step);
  // A job's progress dialog back in front of the main window when it is restored.
  void RaiseModalPopup();
  void OnFileOpen();
  void OnExit();
  void OnOption();
  void OnHelp();
  void OnAbout();
  void OnClose();
  void OnDropFiles(HDROP drop);

  CStatic m_status;
  CComboBoxCom m_com;
  CTabCtrl m_tab;
  HICON m_icon;
  HICON m_scaledIcons[2] = {nullptr, nullptr};  // big, small: those of the present scale
  CFormFlashWrite m_formFlashWrite;
  CFormRamLoad m_formRamLoad;

  AppSettings m_settings;  // mode, com, cpuSel, help, options
  std::string m_appFolder;
  // The histories as the file held them at start: what another instance adds to the file
  // meanwhile is told from them at the save.
  FileHistory m_flashWriteAtStart;
  FileHistory m_ramLoadAtStart;
  bool m_saveFailureShown = false;  // a failed save is said once a run
};

}  // namespace k470
