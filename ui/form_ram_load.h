// CFormRamLoad: the "Ram load" tab page (template 131). Connects to a K470-family board on
// the chosen COM port, shows which board answers, loads the current file into the board's
// RAM under the RAM LOAD dialog, starts it with the go command, carries out the automatic
// steps of the options, and marks when the current file changes on disk.
#pragma once

#include <memory>
#include <string>

#include "monitor/monitor_line.h"
#include "monitor/thread_board_output.h"
#include "monitor/thread_cchk.h"
#include "serial/com_port.h"
#include "ui/combo_box_com.h"
#include "ui/dialog_vl.h"
#include "ui/dlg_board_output.h"
#include "ui/edit_ex.h"
#include "ui/file_selector.h"
#include "ui/update_mark.h"
#include "ui/win32_job_target.h"

namespace k470 {

struct OptionSettings;

constexpr UINT_PTR kRamLoadTimerId = 1;       // the update check's timer
constexpr UINT_PTR kAutoGoPauseTimerId = 3;   // ends the pause after an automatic go
constexpr UINT kPauseAfterAutoGoMs = 1000;    // after an automatic go

class CFormRamLoad : public CDialogVl {
 public:
  CFormRamLoad(CComboBoxCom* com, CWnd* status, CWnd* tab, OptionSettings* options,
               CWnd* parent);
  ~CFormRamLoad() override;

  // Switches the watch of the current file on (timer 1) or off (and the mark off).
  void EnableUpdateCheck(int on);

  // The page's file selector (the main window loads, fills and saves its history, and
  // hands it dropped files).
  CFileSelector& Files() { return m_files; }
  // The start address field (the main window sets its text and reads its value).
  CEditDword& AddressField() { return m_address; }
  // Whether the page is connected.
  int IsConnected() const { return m_connected; }
  // Whether a RAM load runs (its RAM LOAD dialog is up).
  bool JobRunning() const { return m_loading; }
  // The INI file that keeps the board output window's place and size.
  void SetIniPath(const std::string& path) { m_iniPath = path; }

 protected:
  INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoDataExchange() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void OnConnect();
  void OnLoad();
  void OnGo();
  void OnBoardState(int state);
  void Disconnect();
  // After the port's device has gone: disconnects and shows the loss in the status line;
  // true when it did.
  bool DisconnectIfLost();
  void EnableLoadGo(bool on);
  void StartApplication();
  // After Go: the board output window shows what the program sends, read by a job of its
  // own; paused while another job has the port, ended with the connection.
  void StartBoardOutput();
  void PauseBoardOutput();
  void OnBoardOutput();
  void EndBoardOutput();
  // Connected, or a job runs: the port box is the port in use and cannot be changed.
  void LockPortBox(bool locked);
  void SetStatus(const std::string& text);
  // The pause after an automatic go: the page takes no Connect, Load or Go until its
  // timer ends it; the window keeps answering meanwhile.
  void BeginAutoGoPause();
  void EndAutoGoPause();

  CFileSelector m_files;  // before the update mark, which watches its history
  CEditDword m_address;
  CButton m_load;
  CButton m_go;
  CButton m_connect;
  CComboBoxCom* m_com;
  CWnd* m_status;
  CWnd* m_tab;
  OptionSettings* m_options;
  int m_connected = 0;
  bool m_loading = false;  // a RAM LOAD dialog is up
  bool m_pausing = false;  // the pause after an automatic go runs
  bool m_autoGoing = false;  // the go after a load: the load's status line stays
  std::string m_iniPath;
  std::unique_ptr<CDlgBoardOutput> m_boardOutput;  // made at the first Go that shows it
  UpdateMark m_updateMark;
  // Declared in this order so that the detector and the output's reader are stopped
  // (their destructors) before the target they report to and the port they use go away.
  CComPort m_port;
  Win32JobTarget m_target{WM_BOARD_STATE};
  CThreadCchk m_detector;
  CThreadBoardOutput m_outputReader;
};

}  // namespace k470
