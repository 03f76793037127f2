// CDlgMain: initialisation, tab changes, menu commands and closing.
#include "ui/dlg_main.h"

#include <commctrl.h>

#include "ui/resource.h"

namespace k470 {
namespace {
constexpr const char* kProgramName = "K470Loader";
constexpr const char* kProgramVersion = "2.00";
constexpr const char* kTabTextFlashWrite = " Flash write ";
constexpr const char* kTabTextRamLoad = " Ram load ";
// Where the pages sit in the main window's client area, in pixels.
constexpr int kPageLeftPx = 10;
constexpr int kPageTopPx = 40;
constexpr int kPageWidthLessPx = 10;
constexpr int kPageHeightLessPx = 35;
constexpr int kPreferredPort = 1;
}  // namespace

CDlgMain::CDlgMain(CWnd* parent)
    : CDialogVl(IDD_K470LOADER_DIALOG, parent),
      m_com(1),
      m_icon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_formFlashWrite(&m_com, &m_status, nullptr, this),
      m_formRamLoad(&m_com, &m_status, &m_tab, nullptr, this) {}

CDlgMain::~CDlgMain() = default;

void CDlgMain::DoDataExchange() {
  m_status.SubclassDlgItem(IDC_STATIC_STATUS, this);
  m_com.SubclassDlgItem(IDC_COMBO_COM, this);
  m_tab.SubclassDlgItem(IDC_TAB_MAIN, this);
}

BOOL CDlgMain::OnInitDialog() {
  CDialogVl::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));

  m_formFlashWrite.Create(this);
  m_formRamLoad.Create(this);

  std::string title = std::string(kProgramName) + " " + kProgramVersion;
  SetWindowText(title);

  RECT tabRect = {};
  GetClientRect(m_tab.m_hWnd, &tabRect);
  const int width = tabRect.right - tabRect.left;
  const int height = tabRect.bottom - tabRect.top;
  for (CWnd* page : {static_cast<CWnd*>(&m_formFlashWrite), static_cast<CWnd*>(&m_formRamLoad)}) {
    MoveWindow(page->m_hWnd, kPageLeftPx, kPageTopPx, width - kPageWidthLessPx,
               height - kPageHeightLessPx, FALSE);
  }
  m_tab.InsertItem(kTabFlashWrite, kTabTextFlashWrite);
  m_tab.InsertItem(kTabRamLoad, kTabTextRamLoad);
  m_tab.SetCurSel(m_mode);
  OnTabChange();

  m_com.Fill(kPreferredPort);
  return TRUE;
}

INT_PTR CDlgMain::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (header->idFrom == IDC_TAB_MAIN && header->code == TCN_SELCHANGE) {
        OnTabChange();
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return CDialogVl::DialogProc(msg, wp, lp);
}

bool CDlgMain::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (id == IDC_COMBO_COM && code == CBN_SELCHANGE) {
    if (m_tab.GetCurSel() == kTabFlashWrite) m_formFlashWrite.SetFocus();
    if (m_tab.GetCurSel() == kTabRamLoad) m_formRamLoad.SetFocus();
    return true;
  }
  if (control != nullptr) return false;
  switch (id) {
    case ID_FILE_EXIT:
      OnExit();
      return true;
    default:
      return false;
  }
}

void CDlgMain::OnTabChange() {
  const int i = m_tab.GetCurSel();
  m_formFlashWrite.ShowWindow(i == kTabFlashWrite ? SW_SHOW : SW_HIDE);
  m_formRamLoad.ShowWindow(i == kTabRamLoad ? SW_SHOW : SW_HIDE);
  m_mode = i;
  if (i == kTabFlashWrite) {
    m_formFlashWrite.EnableUpdateCheck(0);
    m_formFlashWrite.SetFocus();
  } else if (i == kTabRamLoad) {
    m_formRamLoad.EnableUpdateCheck(0);
    m_formRamLoad.SetFocus();
  }
}

void CDlgMain::OnExit() {
  EndDialog(0);
}

}  // namespace k470
