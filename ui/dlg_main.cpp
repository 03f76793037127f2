// CDlgMain: initialisation, tab changes, menu commands, dropped files and closing.
#include "ui/dlg_main.h"

#include <commctrl.h>
#include <shellapi.h>

#include "base/program_folder.h"
#include "base/texts.h"
#include "ui/centre_window.h"
#include "ui/dlg_about.h"
#include "ui/dlg_option.h"
#include "ui/file_dialogs.h"
#include "ui/ini_location.h"
#include "ui/resource.h"
#include "ui/screen_dpi.h"
#include "ui/shell_rules.h"
#include "ui/wide_text.h"

namespace k470 {
namespace {
constexpr const char* kTabTextFlashWrite = " Flash write ";
constexpr const char* kTabTextRamLoad = " Ram load ";
constexpr int kPreferredPort = 1;
constexpr int kUsePortRegistry = 1;
constexpr int kPageCount = 2;
// Posted to itself once a restore has finished: the owned popups are shown again by then.
constexpr UINT WM_RAISE_MODAL_POPUP = WM_APP + 1;

// +1 (next page), -1 (the page before) or 0 (no page key) for a key pressed with the
// given modifiers.
int PageStepForKey(WPARAM key, bool control, bool shift) {
  if (!control) return 0;
  if (key == VK_TAB) return shift ? -1 : 1;
  if (key == VK_NEXT) return 1;
  if (key == VK_PRIOR) return -1;
  return 0;
}
}  // namespace

CDlgMain::CDlgMain(CWnd* parent)
    : CDialogVl2(IDD_K470LOADER_DIALOG, parent),
      m_com(kUsePortRegistry),
      m_icon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_formFlashWrite(&m_com, &m_status, &m_settings.options, this),
      m_formRamLoad(&m_com, &m_status, &m_tab, &m_settings.options, this) {}

CDlgMain::~CDlgMain() {
  for (HICON icon : m_scaledIcons)
    if (icon != nullptr) DestroyIcon(icon);
}

void CDlgMain::DoDataExchange() {
  m_status.SubclassDlgItem(IDC_STATIC_STATUS, this);
  m_com.SubclassDlgItem(IDC_COMBO_COM, this);
  m_tab.SubclassDlgItem(IDC_TAB_MAIN, this);
}

BOOL CDlgMain::OnInitDialog() {
  m_iniPath = LocateProgramIniFile(ProgramPath());
  CDialogVl2::OnInitDialog();
  SetIcons(WindowDpi(m_hWnd));
  m_appFolder = ProgramFolder();

  m_formFlashWrite.Create(this);
  m_formRamLoad.Create(this);
  m_formRamLoad.SetIniPath(m_iniPath);
  LoadSettings();
  m_formFlashWrite.LoadDeviceTable(m_appFolder);

  SetWindowText(std::string(kProgramName) + " " + kProgramVersion);
  StepAwayFromTwins();
  m_formFlashWrite.Files().Refill();
  m_formRamLoad.Files().Refill();

  m_tab.InsertItem(kTabFlashWrite, kTabTextFlashWrite);
  m_tab.InsertItem(kTabRamLoad, kTabTextRamLoad);
  LayOut();
  // Sized now: the whole window inside the work area.
  RECT placed = {};
  GetWindowRect(m_hWnd, &placed);
  MoveIntoWorkArea(placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top);
  m_tab.SetCurSel(m_settings.mode);
  OnTabChange();

  // The port last used, when present; else COM1, else the first port listed.
  const int lastPort = m_settings.lastPort;
  m_com.Fill(lastPort >= 1 && lastPort <= CComboBoxCom::kMaxPorts ? lastPort : kPreferredPort);
  // A stored choice outside the list (a shorter device table) takes the first type.
  const int types = m_formFlashWrite.DeviceCombo().GetCount();
  const int cpuSel = m_settings.cpuSel;
  m_formFlashWrite.SelectDevice(cpuSel >= 0 && cpuSel < types ? cpuSel : 0);
  return TRUE;
}

void CDlgMain::LoadSettings() {
  std::string addressText;
  k470::LoadSettings(m_iniPath, &m_settings, &m_formFlashWrite.Files().History(),
                     &m_formRamLoad.Files().History(), &addressText);
  m_formRamLoad.AddressField().SetWindowText(addressText);
  m_flashWriteAtStart = m_formFlashWrite.Files().History();
  m_ramLoadAtStart = m_formRamLoad.Files().History();
}

void CDlgMain::SaveSettings() {
  if (m_com.LastUsedPort() != 0) m_settings.lastPort = m_com.LastUsedPort();
  // Another instance may have saved since this one started: the entries it added stay.
  FileHistory flashWriteOnDisk;
  FileHistory ramLoadOnDisk;
  LoadHistories(m_iniPath, &flashWriteOnDisk, &ramLoadOnDisk);
  const FileHistory flashWrite =
      MergeHistory(m_flashWriteAtStart, flashWriteOnDisk, m_formFlashWrite.Files().History());
  const FileHistory ramLoad =
      MergeHistory(m_ramLoadAtStart, ramLoadOnDisk, m_formRamLoad.Files().History());
  std::string failure;
  if (!k470::SaveSettings(m_iniPath, m_settings, flashWrite, ramLoad,
                          m_formRamLoad.AddressField().GetValue(), &failure))
    OnIniNotSaved(m_iniPath, failure);
}

void CDlgMain::OnIniNotSaved(const std::string& path, const std::string& reason) {
  if (m_saveFailureShown) return;
  m_saveFailureShown = true;
  MessageBoxOverOwner(m_hWnd,
                      Widen(Text(TextId::kSettingsNotSaved)) + L"\n" + WidenName(path) + L"\n" +
                          WidenName(reason),
                      kProgramName, MB_OK | MB_ICONERROR);
}

bool CDlgMain::JobRunning() const {
  return m_formFlashWrite.JobRunning() || m_formRamLoad.JobRunning();
}

void CDlgMain::OnEndSession() {
  // The program ends without a close: what the close would store is stored now.
  TakeCpuSel();
  SaveSettings();
  SavePosition(m_iniPath);
}

void CDlgMain::TakeCpuSel() {
  m_settings.cpuSel = m_formFlashWrite.DeviceCombo().GetCurSel();
}

INT_PTR CDlgMain::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (header->idFrom == IDC_TAB_MAIN && header->code == TCN_SELCHANGE) {
        OnTabChange();
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      break;
    }
    case WM_QUERYENDSESSION:
      // A write cut short leaves the chip half written: the session waits for the job
      // (the system shows the job's name, set when it started).
      SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, JobRunning() ? FALSE : TRUE);
      return TRUE;
    case WM_ENDSESSION:
      if (wp) OnEndSession();
      return TRUE;
    case WM_CLOSE:
      OnClose();
      // The dialog manager makes the Cancel action of the close request.
      return FALSE;
    case WM_DEVICECHANGE:
      m_com.OnDeviceChange(wp);
      break;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return TRUE;
    case WM_SIZE:
      if (wp == SIZE_RESTORED || wp == SIZE_MAXIMIZED) PostMessageW(m_hWnd, WM_RAISE_MODAL_POPUP, 0, 0);
      break;
    case WM_ACTIVATE:
      // Activated while a modal dialog holds it disabled (its task bar button): the
      // dialog, not this window, belongs in front.
      if (LOWORD(wp) != WA_INACTIVE && !::IsWindowEnabled(m_hWnd))
        PostMessageW(m_hWnd, WM_RAISE_MODAL_POPUP, 0, 0);
      break;
    case WM_RAISE_MODAL_POPUP:
      RaiseModalPopup();
      return TRUE;
    default:
      break;
  }
  return CDialogVl2::DialogProc(msg, wp, lp);
}

bool CDlgMain::OnCommand(int id, int code, HWND control) {
  // A new port leaves the keyboard in the port box: the next arrow key chooses another
  // port, never another file.
  if (id == IDC_COMBO_COM && control != nullptr) return code == CBN_SELCHANGE;
  if (control != nullptr) return false;
  switch (id) {
    case ID_FILE_OPEN_MOT:
      OnFileOpen();
      return true;
    case ID_FILE_EXIT:
      OnExit();
      return true;
    case ID_OPTION:
      OnOption();
      return true;
    case ID_HELP_HELP:
      OnHelp();
      return true;
    case ID_HELP_ABOUT:
      OnAbout();
      return true;
    default:
      return false;
  }
}

void CDlgMain::OnTabChange() {
  const int i = m_tab.GetCurSel();
  m_formFlashWrite.ShowWindow(i == kTabFlashWrite ? SW_SHOW : SW_HIDE);
  m_formRamLoad.ShowWindow(i == kTabRamLoad ? SW_SHOW : SW_HIDE);
  m_settings.mode = i;
  if (i == kTabFlashWrite) {
    m_formFlashWrite.EnableUpdateCheck(m_settings.options.fwriteUpdateCheck);
    m_formFlashWrite.SetFocus();
  } else if (i == kTabRamLoad) {
    m_formRamLoad.EnableUpdateCheck(m_settings.options.rloadUpdateCheck);
    m_formRamLoad.SetFocus();
  }
}

BOOL CDlgMain::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && (msg->hwnd == m_hWnd || IsChild(m_hWnd, msg->hwnd))) {
    const int step =
        PageStepForKey(msg->wParam, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
    if (step != 0) {
      SwitchPage(step);
      return TRUE;
    }
  }
  return CDialogVl2::PreTranslateMessage(msg);
}

void CDlgMain::SwitchPage(int step) {
  // The tabs are disabled while the RAM load page is connected: the page stays.
  if (!m_tab.IsWindowEnabled()) return;
  const int current = m_tab.GetCurSel();
  const int next = ((current < 0 ? 0 : current) + step + kPageCount) % kPageCount;
  m_tab.SetCurSel(next);
  OnTabChange();
}

void CDlgMain::RaiseModalPopup() {
  HWND popup = GetLastActivePopup(m_hWnd);
  if (popup == nullptr || popup == m_hWnd || !IsWindowVisible(popup)) return;
  SetWindowPos(popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(popup);
}

void CDlgMain::OnFileOpen() {
  CDialog* page = nullptr;
  const int tab = m_tab.GetCurSel();
  if (tab == kTabFlashWrite) page = &m_formFlashWrite;
  if (tab == kTabRamLoad) page = &m_formRamLoad;
  if (page == nullptr) return;
  // As a click on the page's browse button.
  page->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_BUTTON_BROWSE, 0),
                    reinterpret_cast<LPARAM>(page->GetDlgItem(IDC_BUTTON_BROWSE)));
}

void CDlgMain::OnClose() {
  TakeCpuSel();
  SaveSettings();
}

void CDlgMain::OnExit() {
  TakeCpuSel();
  SaveSettings();
  EndDialog(0);
}

void CDlgMain::OnOption() {
  CDlgOption dialog;
  if (dialog.RunForOptions(&m_settings.options) != IDOK) return;
  const int tab = m_tab.GetCurSel();
  if (tab == kTabFlashWrite)
    m_formFlashWrite.EnableUpdateCheck(m_settings.options.fwriteUpdateCheck);
  if (tab == kTabRamLoad) m_formRamLoad.EnableUpdateCheck(m_settings.options.rloadUpdateCheck);
}

void CDlgMain::OnHelp() {
  const std::string path =
      m_appFolder + HelpDocument(m_settings.help, CurrentLanguage() == Language::kJapanese,
                                 [this](const std::string& document) {
                                   return GetFileAttributesA((m_appFolder + document).c_str()) !=
                                          INVALID_FILE_ATTRIBUTES;
                                 });
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MessageBoxOverOwner(m_hWnd, Widen(Text(TextId::kHelpNotFound)) + L"\n" + WidenName(path),
                        kProgramName, MB_OK | MB_ICONERROR);
    return;
  }
  ShellExecuteW(nullptr, L"open", WidenName(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CDlgMain::OnAbout() {
  CDlgAbout about;
  about.ShowAbout(kProgramName, VersionText().c_str());
}

void CDlgMain::OnDropFiles(HDROP drop) {
  std::string name;
  if (!TakeDroppedFile(m_hWnd, drop, &name)) return;
  const int tab = m_tab.GetCurSel();
  if (tab == kTabFlashWrite) {
    m_formFlashWrite.Files().AddFile(name);
  } else if (tab == kTabRamLoad) {
    m_formRamLoad.Files().AddFile(name);
  }
}

}  // namespace k470
