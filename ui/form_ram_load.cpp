// CFormRamLoad: connect, board detection, load, go, the automatic steps, the update mark.
#include "ui/form_ram_load.h"

#include <string>

#include "base/texts.h"
#include "monitor/board_state.h"
#include "monitor/go_command.h"
#include "serial/port_names.h"
#include "serial/port_texts.h"
#include "ui/centre_window.h"
#include "ui/dlg_load.h"
#include "ui/session_end.h"
#include "ui/wide_text.h"
#include "ui/ram_load_status.h"
#include "ui/resource.h"
#include "ui/run_application.h"
#include "settings/app_settings.h"

namespace k470 {

namespace {
constexpr const char* kTextNowLoading = "Now Loading";
constexpr const char* kTextAndDisconnected = ", disconnected";
constexpr int kAddressRadix = 16;  // the start address is typed in hexadecimal
}  // namespace

CFormRamLoad::CFormRamLoad(CComboBoxCom* com, CWnd* status, CWnd* tab, OptionSettings* options,
                           CWnd* parent)
    : CDialogVl(IDD_FORM_RAM_LOAD, parent),
      m_address(0, kAddressRadix),
      m_com(com),
      m_status(status),
      m_tab(tab),
      m_options(options),
      m_updateMark(kRamLoadTimerId, &m_files.History()) {}

CFormRamLoad::~CFormRamLoad() {
  // The jobs must not use the port any more when it is closed.
  m_detector.StopAndWait();
  m_outputReader.StopAndWait();
  m_port.Close();
}

void CFormRamLoad::DoDataExchange() {
  m_files.Attach(this);
  m_updateMark.Attach(this);
  m_address.SubclassDlgItem(IDC_EDIT_ADDRESS, this);
  m_load.SubclassDlgItem(IDC_BUTTON_LOAD, this);
  m_go.SubclassDlgItem(IDC_BUTTON_GO, this);
  m_connect.SubclassDlgItem(IDC_BUTTON_CONNECT, this);
}

INT_PTR CFormRamLoad::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_BOARD_STATE:
      OnBoardState(static_cast<int>(lp));
      return TRUE;
    case WM_BOARD_OUTPUT:
      OnBoardOutput();
      return TRUE;
    case WM_TIMER:
      if (m_updateMark.IsTimer(wp)) m_updateMark.OnTimer();
      if (wp == kAutoGoPauseTimerId) EndAutoGoPause();
      break;
    case WM_SHOWWINDOW:
      // Hidden (another tab): the detector stops; the port stays open and connected.
      if (!wp) m_detector.StopAndWait();
      break;
    case WM_CLOSE:
      if (m_connected) {
        m_detector.StopAndWait();
        m_outputReader.StopAndWait();
        m_port.Close();
        m_connected = 0;
      }
      // The output window keeps its place and size as the program ends.
      m_boardOutput.reset();
      break;
    default:
      break;
  }
  return CDialogVl::DialogProc(msg, wp, lp);
}

bool CFormRamLoad::OnCommand(int id, int code, HWND) {
  if (m_files.OnCommand(id, code)) return true;
  switch (id) {
    case IDC_BUTTON_CONNECT:
      if (code == BN_CLICKED) OnConnect();
      return true;
    case IDC_BUTTON_LOAD:
      if (code == BN_CLICKED) OnLoad();
      return true;
    case IDC_BUTTON_GO:
      if (code == BN_CLICKED) OnGo();
      return true;
    default:
      return false;
  }
}

void CFormRamLoad::OnConnect() {
  if (m_loading || m_pausing) return;
  if (!m_connected) {
    // A port that is absent or busy leaves the page disconnected; the status line says
    // which port and why, in place of whatever it showed before.
    const std::string chosen = m_com->GetSelectedPortName();
    if (!m_port.Reopen(chosen, kMonitorLine)) {
      SetStatus(ConnectFailedStatus(PortNameOf(chosen), m_port.OpenError()));
      return;
    }
    m_com->NoteUsed(chosen);
    m_connected = 1;
    m_connect.SetWindowText(Text(TextId::kDisconnect));
    if (m_tab) m_tab->EnableWindow(false);
    LockPortBox(true);
    SetStatus(ConnectedStatus(m_port.Name()));
    m_target.SetWindow(m_hWnd);
    m_detector.Start(&m_port, &m_target);
  } else {
    Disconnect();
  }
}

void CFormRamLoad::Disconnect() {
  m_detector.StopAndWait();
  EndBoardOutput();
  const std::string name = m_port.Name();
  m_port.Close();
  m_connected = 0;
  EnableLoadGo(false);
  m_connect.SetWindowText(Text(TextId::kConnect));
  if (m_tab) m_tab->EnableWindow(true);
  LockPortBox(false);
  if (!m_autoGoing) SetStatus(DisconnectedStatus(name));
}

void CFormRamLoad::LockPortBox(bool locked) {
  if (m_com != nullptr && m_com->m_hWnd != nullptr) m_com->EnableWindow(!locked);
}

void CFormRamLoad::SetStatus(const std::string& text) {
  if (m_status) m_status->SetWindowText(text);
}

bool CFormRamLoad::DisconnectIfLost() {
  if (!m_connected || !m_port.Lost()) return false;
  const std::string name = m_port.Name();
  Disconnect();
  SetStatus(PortLostMessage(name));
  return true;
}

void CFormRamLoad::OnBoardState(int state) {
  // A report posted just before a disconnect arrives afterwards: it is stale then.
  if (!m_connected) return;
  // The port's device has gone (an unplugged adapter): the detection has stopped.
  if (state == BOARD_PORT_LOST) {
    DisconnectIfLost();
    return;
  }
  if (state < BOARD_NO_REPLY || state > BOARD_OTHER) return;
  SetStatus(BoardStateText(state));
  EnableLoadGo(IsFamilyBoard(state));
}

void CFormRamLoad::EnableLoadGo(bool on) {
  m_load.EnableWindow(on);
  m_go.EnableWindow(on);
  if (on && m_options && m_options->autoLoad) OnLoad();
}

void CFormRamLoad::OnLoad() {
  // One load at a time: a report handled while the RAM LOAD dialog is up must not start
  // a second job on the same port.
  if (m_loading || m_pausing || !m_connected) return;
  // The file loaded is the one the box shows.
  if (!m_files.TakeTypedName()) return;
  m_detector.StopAndWait();
  // The load has the port: the output window waits for the next Go.
  PauseBoardOutput();
  SetStatus(kTextNowLoading);
  m_loading = true;
  m_updateMark.BeginJob();
  BlockSessionEnd(m_hWnd, kJobNameRamLoad);
  CDlgLoad dialog(&m_port, &m_files.History(), &m_address, nullptr);
  const INT_PTR result = dialog.DoModal();
  UnblockSessionEnd(m_hWnd);
  m_loading = false;
  JobProgress first;
  JobProgress last;
  const bool reported = dialog.Reports(&first, &last);
  const std::string loaded = LoadResultStatus(static_cast<int>(result), reported, first, last);
  // A successful load shows no box of its own: what the job noticed on the way (bytes
  // outside the RAM left out, late answers) is said in the status line and in a box.
  const std::string notes = result == kProgressSucceeded ? dialog.TakeNotes() : std::string();
  const std::string said =
      notes.empty() ? loaded : loaded + ", " + notes.substr(0, notes.find('\n'));
  SetStatus(said);
  // A load that lost its port has shown its message; the page lets the port go and the
  // status line says so.
  if (DisconnectIfLost()) return;
  if (result != kProgressSucceeded) {
    m_updateMark.Resume();
    return;
  }
  m_updateMark.EndJob(true);
  if (!notes.empty()) {
    MessageBoxOverOwner(GetAncestor(m_hWnd, GA_ROOT), Widen(loaded + "\n" + notes),
                        kMessageBoxTitle, MB_OK | MB_ICONINFORMATION);
  }
  if (m_options && m_options->autoGo) {
    // The load's outcome stays in view, with the automatic disconnect that follows; only
    // what goes wrong on the way (a lost port, an application that does not start)
    // replaces it.
    if (m_options->autoDisConnect) SetStatus(said + kTextAndDisconnected);
    m_autoGoing = true;
    OnGo();
    m_autoGoing = false;
    BeginAutoGoPause();
  }
}

void CFormRamLoad::BeginAutoGoPause() {
  m_pausing = true;
  m_connect.EnableWindow(false);
  if (SetTimer(m_hWnd, kAutoGoPauseTimerId, kPauseAfterAutoGoMs, nullptr) == 0) EndAutoGoPause();
}

void CFormRamLoad::EndAutoGoPause() {
  KillTimer(m_hWnd, kAutoGoPauseTimerId);
  m_pausing = false;
  m_connect.EnableWindow(true);
}

void CFormRamLoad::OnGo() {
  if (m_loading || m_pausing || !m_connected) return;
  m_detector.StopAndWait();
  PauseBoardOutput();
  if (!SendGoCommand(&m_port, m_address.GetValue()) && DisconnectIfLost()) return;
  if (m_options && m_options->autoDisConnect) {
    OnConnect();
  } else {
    m_updateMark.Resume();
    // The user's own terminal takes the port when an application starts on Go.
    const bool appStarts = m_options && m_options->runApp && !m_options->runAppName.empty();
    if (m_options && m_options->showBoardOutput && !appStarts) StartBoardOutput();
  }
  StartApplication();
}

void CFormRamLoad::StartBoardOutput() {
  if (!m_boardOutput) {
    auto window = std::make_unique<CDlgBoardOutput>(
        [this](const std::string& line) { m_outputReader.Send(line); }, m_iniPath);
    CWnd* owner = CDialog::MainWindow();
    if (owner == nullptr || !window->CreateFor(owner)) return;
    m_boardOutput = std::move(window);
  }
  // Bytes the program sent since G wait in the port's buffer: the reader starts with them.
  HWND page = m_hWnd;
  if (!m_outputReader.Start(&m_port, [page] { PostMessageW(page, WM_BOARD_OUTPUT, 0, 0); }))
    return;
  m_boardOutput->EnableSend(true);
  m_boardOutput->ShowOutput();
}

void CFormRamLoad::PauseBoardOutput() {
  m_outputReader.StopAndWait();
  // What the reader took before it stopped is shown all the same.
  if (m_boardOutput) {
    m_boardOutput->Append(m_outputReader.TakeOutput());
    m_boardOutput->EnableSend(false);
  }
}

void CFormRamLoad::EndBoardOutput() {
  // The window stays with its text (to be read or saved); it takes no line any more.
  PauseBoardOutput();
}

void CFormRamLoad::OnBoardOutput() {
  if (m_boardOutput) m_boardOutput->Append(m_outputReader.TakeOutput());
  // The port's device has gone while the program ran: the page lets the port go.
  if (m_outputReader.PortLost() && m_outputReader.IsDone()) DisconnectIfLost();
}

void CFormRamLoad::StartApplication() {
  if (!m_options || !m_options->runApp) return;
  const std::string name = m_options->runAppName;
  if (name.empty()) return;
  std::wstring failure;
  if (!RunApplication(name, &failure) && m_status) m_status->SetWideText(failure);
}

void CFormRamLoad::EnableUpdateCheck(int on) { m_updateMark.Enable(on); }

}  // namespace k470
