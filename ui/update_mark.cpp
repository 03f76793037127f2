// UpdateMark: the watch of a page's current file, shown as a green bar.
#include "ui/update_mark.h"

#include "settings/file_history.h"
#include "ui/resource.h"

namespace k470 {

namespace {
constexpr COLORREF kMarkOnColor = RGB(0, 255, 0);
}  // namespace

void UpdateMark::Attach(CWnd* page) {
  m_page = page;
  m_bar.SubclassDlgItem(IDC_STATIC_UPDATE_MARK, page);
  // Off from the start, in the button face colour of the running system (a colour read
  // before the first window exists may not be the one the windows are drawn with).
  Set(false);
}

void UpdateMark::Enable(int on) {
  m_enabled = on != 0;
  if (on) {
    m_watch.SwitchOn();
    StartTimer();
  } else {
    StopTimer();
    Set(false);
  }
}

void UpdateMark::StopTimer() {
  if (m_page) KillTimer(m_page->m_hWnd, m_timerId);
}

void UpdateMark::StartTimer() {
  if (m_page) SetTimer(m_page->m_hWnd, m_timerId, kUpdateCheckPeriodMs, nullptr);
}

void UpdateMark::BeginJob() {
  StopTimer();
  const std::string current = m_history->Newest();
  int64_t modified = 0;
  const bool readable = FileModifiedTime(current, &modified);
  if (m_enabled) m_watch.Remember(current, readable, modified);
}

void UpdateMark::EndJob(bool succeeded) {
  if (!succeeded) return;
  Set(false);
  if (!m_enabled) return;
  OnTimer();
  StartTimer();
}

void UpdateMark::Resume() {
  if (m_enabled) StartTimer();
}

void UpdateMark::OnTimer() {
  const std::string current = m_history->Newest();
  int64_t modified = 0;
  const bool readable = FileModifiedTime(current, &modified);
  if (m_watch.Tick(current, readable, modified)) Set(true);
}

void UpdateMark::Set(bool on) {
  m_bar.SetBackColor(on ? kMarkOnColor : GetSysColor(COLOR_BTNFACE), 0);
  // Painted in the order of the window's other paints, not at once: right after a tab
  // switch the tab control still paints its pane over the page, and a bar painted before
  // that would be painted over.
  if (m_bar.m_hWnd != nullptr) InvalidateRect(m_bar.m_hWnd, nullptr, TRUE);
}

}  // namespace k470
