// CDlgMain's layout: everything is measured in dialog units of the window's font at its
// present scale, and the pages take the tab control's display area, so that the window
// grows with the font instead of cutting off what does not fit.
#include "ui/dlg_main.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/resource.h"
#include "ui/screen_dpi.h"

namespace k470 {
namespace {
// The window's frame in dialog units: the margins round the tab control and the status
// line, the port box and its label at the top right, the status line under the tabs.
constexpr int kSideMarginDu = 2;
constexpr int kBottomMarginDu = 2;
constexpr int kTabTopDu = 7;
constexpr int kTabMinWidthDu = 301;
constexpr int kTabMinHeightDu = 60;
constexpr int kPortLabelWidthDu = 46;
constexpr int kPortLabelHeightDu = 14;
constexpr int kPortLabelGapDu = 3;
constexpr int kPortBoxWidthDu = 53;
constexpr int kPortListHeightDu = 71;  // the port box with its list dropped down
constexpr int kPortRightInsetDu = 9;   // from the tab control's right edge
constexpr int kTabsToPortGapDu = 4;    // between the last tab and the port's label
constexpr int kStatusGapDu = 4;
constexpr int kStatusHeightDu = 14;

int Width(const RECT& r) { return static_cast<int>(r.right - r.left); }
int Height(const RECT& r) { return static_cast<int>(r.bottom - r.top); }

void Place(HWND window, int x, int y, int width, int height) {
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

void CDlgMain::LayOut() {
  // Dialog units of the window's font at its present scale, in pixels.
  const auto duX = [this](int x) { return static_cast<int>(DialogUnits(0, 0, x, 0).right); };
  const auto duY = [this](int y) { return static_cast<int>(DialogUnits(0, 0, 0, y).bottom); };
  HWND label = ::GetDlgItem(m_hWnd, IDC_STATIC);

  // The tab control as large as a page needs (at least as large as the template draws
  // it), the pages as their templates' fonts make them.
  int pageWidth = 0, pageHeight = 0;
  for (const CWnd* form : {static_cast<const CWnd*>(&m_formFlashWrite),
                           static_cast<const CWnd*>(&m_formRamLoad)}) {
    RECT r = {};
    GetWindowRect(form->m_hWnd, &r);
    pageWidth = std::max(pageWidth, Width(r));
    pageHeight = std::max(pageHeight, Height(r));
  }
  RECT tab = {0, 0, pageWidth, pageHeight};
  TabCtrl_AdjustRect(m_tab.m_hWnd, TRUE, &tab);
  int tabWidth = std::max(Width(tab), duX(kTabMinWidthDu));
  const int tabHeight = std::max(Height(tab), duY(kTabMinHeightDu));

  // The port box and its label right of the last tab, above the display area.
  RECT box = {};
  GetWindowRect(m_com.m_hWnd, &box);
  const int boxWidth = duX(kPortBoxWidthDu);
  const int labelWidth = duX(kPortLabelWidthDu);
  const int labelHeight = duY(kPortLabelHeightDu);
  const int labelGap = duX(kPortLabelGapDu);
  const int inset = duX(kPortRightInsetDu);
  RECT lastTab = {};
  TabCtrl_GetItemRect(m_tab.m_hWnd, TabCtrl_GetItemCount(m_tab.m_hWnd) - 1, &lastTab);
  const int portRowWidth = duX(kTabsToPortGapDu) + labelWidth + labelGap + boxWidth + inset;
  tabWidth = std::max(tabWidth, static_cast<int>(lastTab.right) + portRowWidth);
  // The tabs start low enough for the port row to end above the display area.
  RECT display = {0, 0, tabWidth, tabHeight};
  TabCtrl_AdjustRect(m_tab.m_hWnd, FALSE, &display);
  const int portRowHeight = std::max(Height(box), labelHeight);
  const int tabTop = std::max(duY(kTabTopDu), portRowHeight - static_cast<int>(display.top));

  const int margin = duX(kSideMarginDu);
  const int statusTop = tabTop + tabHeight + duY(kStatusGapDu);
  const int statusHeight = duY(kStatusHeightDu);
  SetClientSize(m_hWnd, margin + tabWidth + margin,
                statusTop + statusHeight + duY(kBottomMarginDu));

  const int boxLeft = margin + tabWidth - inset - boxWidth;
  Place(m_com.m_hWnd, boxLeft, 0, boxWidth, duY(kPortListHeightDu));
  if (label != nullptr) Place(label, boxLeft - labelGap - labelWidth, 0, labelWidth, labelHeight);
  Place(m_tab.m_hWnd, margin, tabTop, tabWidth, tabHeight);
  Place(m_status.m_hWnd, margin, statusTop, tabWidth, statusHeight);
  // The pages fill the tab control's display area.
  RECT area = {margin, tabTop, margin + tabWidth, tabTop + tabHeight};
  TabCtrl_AdjustRect(m_tab.m_hWnd, FALSE, &area);
  for (CWnd* form : {static_cast<CWnd*>(&m_formFlashWrite), static_cast<CWnd*>(&m_formRamLoad)})
    Place(form->m_hWnd, area.left, area.top, Width(area), Height(area));
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CDlgMain::SetIcons(UINT dpi) {
  HICON bigIcon = LoadProgramIcon(IDR_MAINFRAME, SM_CXICON, dpi);
  HICON smallIcon = LoadProgramIcon(IDR_MAINFRAME, SM_CXSMICON, dpi);
  SendMessage(WM_SETICON, ICON_BIG,
              reinterpret_cast<LPARAM>(bigIcon != nullptr ? bigIcon : m_icon));
  SendMessage(WM_SETICON, ICON_SMALL,
              reinterpret_cast<LPARAM>(smallIcon != nullptr ? smallIcon : m_icon));
  for (HICON old : m_scaledIcons)
    if (old != nullptr) DestroyIcon(old);
  m_scaledIcons[0] = bigIcon;
  m_scaledIcons[1] = smallIcon;
}

void CDlgMain::ScaleTo(UINT dpi) {
  CDialogVl2::ScaleTo(dpi);
  m_formFlashWrite.ScaleTo(dpi);
  m_formRamLoad.ScaleTo(dpi);
  SetIcons(dpi);
  LayOut();
}

}  // namespace k470
