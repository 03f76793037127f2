// CDlgOption: the options dialog. Edits a copy of the shared option record: the update
// check of each page, the automatic steps of a RAM load and the application started on
// Go. The copy goes back into the record only when the dialog ends with OK.
#pragma once

#include <string>

#include "settings/app_settings.h"
#include "ui/dialog.h"

namespace k470 {

class CDlgOption : public CDialog {
 public:
  explicit CDlgOption(CWnd* parent = nullptr);
  ~CDlgOption() override = default;

  // Runs the dialog on a copy of `record`; on IDOK the copy is stored back.
  virtual INT_PTR RunForOptions(OptionSettings* record);

 protected:
  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void OnRunAppClicked();
  void OnBrowseApp();
  void OnDropFiles(HDROP drop);

  CButton m_rloadUpdateCheck;
  CButton m_fwriteUpdateCheck;
  CEdit m_runAppName;
  CButton m_runApp;
  CButton m_autoDisConnect;
  CButton m_autoGo;
  CButton m_autoLoad;
  CButton m_showBoardOutput;

  OptionSettings m_options;
};

}  // namespace k470
