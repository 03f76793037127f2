// The scale of the screen a window is on, as dots per inch (96 at 100 %), and the sizes
// that follow from it. The calls that report a window's own scale exist from Windows 10
// on; before that the system's one scale is taken.
#pragma once

#include <windows.h>

namespace k470 {

constexpr UINT kStandardDpi = 96;  // 100 %

// The scale of the monitor the window is on (the system's on older systems).
UINT WindowDpi(HWND hwnd);

// A length given for 100 % at the scale `dpi`.
int ScaleFromStandardDpi(int lengthAt96, UINT dpi);

// A system metric (SM_CXICON, SM_CXSMICON, ...) at the scale `dpi`.
int SystemMetricForDpi(int index, UINT dpi);

// Keeps the dialog manager from rescaling the dialog and its controls by itself when the
// window changes its scale: the dialog does that from its template (ui/dialog_scale.h).
void TakeOverDialogScaling(HWND dialog);

// The program icon in the size of `metric` (SM_CXICON or SM_CXSMICON) at `dpi`, taken
// from the sizes the icon resource holds. The caller destroys it with DestroyIcon.
HICON LoadProgramIcon(int iconId, int metric, UINT dpi);

}  // namespace k470
