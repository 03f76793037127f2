// Screen scale: the per-monitor calls of newer systems, looked up at run time, and the
// system's scale behind them.
#include "ui/screen_dpi.h"

namespace k470 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
// Everything, the window's size, the controls' places and fonts.
constexpr int kDialogScalingAll = 0x0001 | 0x0002 | 0x0004;

template <typename Fn>
Fn User32Call(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kStandardDpi;
}

}  // namespace

UINT WindowDpi(HWND hwnd) {
  static const auto forWindow = User32Call<GetDpiForWindowFn>("GetDpiForWindow");
  if (forWindow != nullptr && hwnd != nullptr) {
    const UINT dpi = forWindow(hwnd);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

int ScaleFromStandardDpi(int lengthAt96, UINT dpi) {
  return MulDiv(lengthAt96, static_cast<int>(dpi), static_cast<int>(kStandardDpi));
}

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto forDpi = User32Call<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi != nullptr) return forDpi(index, dpi);
  // The system's metric is for the system's scale.
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

void TakeOverDialogScaling(HWND dialog) {
  static const auto behaviour =
      User32Call<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
  if (behaviour != nullptr) behaviour(dialog, kDialogScalingAll, kDialogScalingAll);
}

HICON LoadProgramIcon(int iconId, int metric, UINT dpi) {
  const int side = SystemMetricForDpi(metric, dpi);
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId),
                                       IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
}

}  // namespace k470
