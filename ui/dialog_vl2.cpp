// CDialogVl2: the window position, restored at initialisation and stored at destruction.
#include "ui/dialog_vl2.h"

#include <vector>

#include "base/program_folder.h"
#include "settings/iniacs.h"
#include "ui/shell_rules.h"

namespace k470 {
namespace {
constexpr int kDirectMode = 0;
constexpr int kRewriteMode = 1;
constexpr int kAbsent = -1;
constexpr UINT kPlacementLength = 44;  // the structure's length as the position save sets it
}  // namespace

BOOL CDialogVl2::OnInitDialog() {
  CDialogVl::OnInitDialog();
  m_iniPath = ResolveIniPath(m_iniPath, ProgramPath());
  RestorePosition(m_iniPath);
  return TRUE;
}

BOOL CDialogVl2::DestroyWindow() {
  if (m_hWnd != nullptr) SavePosition(m_iniPath);
  return CDialogVl::DestroyWindow();
}

namespace {
// The work area of the monitor that the window's rectangle lies on, or of the nearest one.
WorkArea MonitorWorkArea(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor))
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
  const RECT& work = monitor.rcWork;
  return {static_cast<int>(work.left), static_cast<int>(work.top), static_cast<int>(work.right),
          static_cast<int>(work.bottom)};
}
}  // namespace

void CDialogVl2::RestorePosition(const std::string& path) {
  iniacs ini;
  ini.SetFile(path, kDirectMode);
  RECT rect = {};
  GetWindowRect(m_hWnd, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = ini.GetInt(m_iniSection.c_str(), "Left");
  const int y = ini.GetInt(m_iniSection.c_str(), "Top");
  if (x == kAbsent && y == kAbsent) {
    // The first start: centred on the work area of the monitor the template put it on.
    int left = 0;
    int top = 0;
    CentreInWorkArea(MonitorWorkArea(m_hWnd), width, height, &left, &top);
    SetWindowPos(m_hWnd, HWND_TOP, left, top, width, height, SWP_NOACTIVATE);
    return;
  }
  // The position is stored as the placement's normal rectangle gives it (workspace
  // coordinates, which differ from screen coordinates by a task bar at the top or left)
  // and put back the same way; the size is the window's own at this start.
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  GetWindowPlacement(m_hWnd, &placement);
  RECT& normal = placement.rcNormalPosition;
  normal.left = ClampStoredPosition(x == kAbsent ? static_cast<int>(normal.left) : x);
  normal.top = ClampStoredPosition(y == kAbsent ? static_cast<int>(normal.top) : y);
  normal.right = normal.left + width;
  normal.bottom = normal.top + height;
  placement.flags = 0;
  placement.showCmd = IsWindowVisible(m_hWnd) ? SW_SHOWNORMAL : SW_HIDE;
  SetWindowPlacement(m_hWnd, &placement);
  // Then kept on the monitor it landed on, or brought to the nearest one.
  GetWindowRect(m_hWnd, &rect);
  MoveIntoWorkArea(rect.left, rect.top, width, height);
}

void CDialogVl2::SavePosition(const std::string& path) {
  iniacs ini;
  ini.SetFile(path, kRewriteMode);
  WINDOWPLACEMENT placement = {};
  placement.length = kPlacementLength;
  GetWindowPlacement(m_hWnd, &placement);
  ini.WriteInt(m_iniSection.c_str(), "Left", placement.rcNormalPosition.left);
  ini.WriteInt(m_iniSection.c_str(), "Top", placement.rcNormalPosition.top);
  if (!ini.Commit()) OnIniNotSaved(path, ini.FailureReason());
}

void CDialogVl2::MoveIntoWorkArea(int x, int y, int width, int height) {
  k470::MoveIntoWorkArea(MonitorWorkArea(m_hWnd), width, height, &x, &y);
  SetWindowPos(m_hWnd, HWND_TOP, x, y, width, height, SWP_NOACTIVATE);
}

void CDialogVl2::StepAwayFromTwins() {
  struct Search {
    HWND self;
    std::wstring title;
    std::vector<WindowCorner> corners;
  } search{m_hWnd, GetWideText(), {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* found = reinterpret_cast<Search*>(data);
        if (window == found->self || !IsWindowVisible(window)) return TRUE;
        wchar_t text[128] = {};
        GetWindowTextW(window, text, 128);
        if (found->title != text) return TRUE;
        RECT rect = {};
        GetWindowRect(window, &rect);
        found->corners.push_back({static_cast<int>(rect.left), static_cast<int>(rect.top)});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (search.corners.empty()) return;
  RECT rect = {};
  GetWindowRect(m_hWnd, &rect);
  int x = rect.left;
  int y = rect.top;
  const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
  k470::StepAwayFromTwins(search.corners.data(), static_cast<int>(search.corners.size()), step,
                          &x, &y);
  if (x != rect.left || y != rect.top)
    MoveIntoWorkArea(x, y, rect.right - rect.left, rect.bottom - rect.top);
}

}  // namespace k470
