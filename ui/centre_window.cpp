// CentreOverOwner and MessageBoxOverOwner.
#include "ui/centre_window.h"

#include "ui/wide_text.h"

namespace k470 {
namespace {

// The owner of the message box that the calling thread is opening (one at a time per
// thread: a message box is modal on its thread).
thread_local HWND t_boxOwner = nullptr;
thread_local HHOOK t_boxHook = nullptr;

LRESULT CALLBACK PlaceBox(int code, WPARAM wp, LPARAM lp) {
  // The first activation on this thread while the box opens is the box itself.
  if (code == HCBT_ACTIVATE && t_boxOwner != nullptr) {
    CentreOverOwner(reinterpret_cast<HWND>(wp), t_boxOwner);
    t_boxOwner = nullptr;
  }
  return CallNextHookEx(t_boxHook, code, wp, lp);
}

// Moves a window of `width` x `height` at `left`, `top` inside `work`; one larger than the
// work area is held at its left and top edge, so that its title bar stays reachable.
void ClampIntoWork(const RECT& work, int width, int height, int* left, int* top) {
  if (*left + width > work.right) *left = work.right - width;
  if (*top + height > work.bottom) *top = work.bottom - height;
  if (*left < work.left) *left = work.left;
  if (*top < work.top) *top = work.top;
}

}  // namespace

void KeepInWorkArea(HWND window) {
  RECT self = {};
  if (window == nullptr || !GetWindowRect(window, &self)) return;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  int left = self.left;
  int top = self.top;
  ClampIntoWork(monitor.rcWork, self.right - self.left, self.bottom - self.top, &left, &top);
  if (left != self.left || top != self.top)
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOverOwner(HWND window, HWND owner) {
  if (window == nullptr || owner == nullptr || !IsWindow(owner)) return;
  RECT self = {};
  RECT over = {};
  if (!GetWindowRect(window, &self) || !GetWindowRect(owner, &over)) return;
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  int left = over.left + ((over.right - over.left) - width) / 2;
  int top = over.top + ((over.bottom - over.top) - height) / 2;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
    ClampIntoWork(monitor.rcWork, width, height, &left, &top);
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int MessageBoxOverOwner(HWND owner, const char* text, const char* title, UINT type) {
  return MessageBoxOverOwner(owner, Widen(text), title, type);
}

int MessageBoxOverOwner(HWND owner, const std::wstring& text, const char* title, UINT type) {
  HHOOK hook = nullptr;
  if (owner != nullptr && t_boxHook == nullptr) {
    hook = SetWindowsHookExW(WH_CBT, &PlaceBox, nullptr, GetCurrentThreadId());
    t_boxHook = hook;
    t_boxOwner = hook != nullptr ? owner : nullptr;
  }
  const int result = MessageBoxW(owner, text.c_str(), Widen(title).c_str(), type);
  if (hook != nullptr) {
    UnhookWindowsHookEx(hook);
    t_boxHook = nullptr;
    t_boxOwner = nullptr;
  }
  return result;
}

}  // namespace k470
