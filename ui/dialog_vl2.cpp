// CDialogVl2: the window position, restored at initialisation and stored at destruction.
#include "ui/dialog_vl2.h"

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

void CDialogVl2::RestorePosition(const std::string& path) {
  iniacs ini;
  ini.SetFile(path, kDirectMode);
  RECT rect = {};
  GetWindowRect(m_hWnd, &rect);
  int x = ini.GetInt(m_iniSection.c_str(), "Left");
  int y = ini.GetInt(m_iniSection.c_str(), "Top");
  if (x == kAbsent) x = rect.left;
  if (y == kAbsent) y = rect.top;
  MoveIntoWorkArea(x, y, rect.right - rect.left, rect.bottom - rect.top);
}

void CDialogVl2::SavePosition(const std::string& path) {
  iniacs ini;
  ini.SetFile(path, kRewriteMode);
  WINDOWPLACEMENT placement = {};
  placement.length = kPlacementLength;
  GetWindowPlacement(m_hWnd, &placement);
  ini.WriteInt(m_iniSection.c_str(), "Left", placement.rcNormalPosition.left);
  ini.WriteInt(m_iniSection.c_str(), "Top", placement.rcNormalPosition.top);
}

void CDialogVl2::MoveIntoWorkArea(int x, int y, int width, int height) {
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const WorkArea area = {static_cast<int>(work.left), static_cast<int>(work.top),
                         static_cast<int>(work.right), static_cast<int>(work.bottom)};
  k470::MoveIntoWorkArea(area, width, height, &x, &y);
  SetWindowPos(m_hWnd, HWND_TOP, x, y, width, height, SWP_NOACTIVATE);
}

}  // namespace k470
