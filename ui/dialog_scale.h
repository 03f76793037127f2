// A dialog laid out again at another screen scale, as the dialog manager laid it out from
// its template when it was created: the template's font made for that scale, the dialog
// units measured with it, every control of the template placed and sized in them and
// given that font, its icons in the size of the scale, and the dialog's own size.
#pragma once

#include <windows.h>

#include <vector>

namespace k470 {

class DialogScale {
 public:
  DialogScale() = default;
  ~DialogScale();
  DialogScale(const DialogScale&) = delete;
  DialogScale& operator=(const DialogScale&) = delete;

  // Lays out `dialog` (made from the template `templateId` in the program's language) at
  // `dpi`. A top-level dialog keeps its top left corner; a child dialog its place in its
  // parent. Returns 1/0; on 0 (a template it cannot read) the dialog is left as it was.
  int Apply(HWND dialog, int templateId, UINT dpi);

  // The font made for the last scale applied; null before the first.
  HFONT Font() const { return m_font; }

  // A rectangle in dialog units into pixels: with the units of the last scale applied,
  // before the first with those the dialog manager measured (MapDialogRect).
  RECT ToPixels(HWND dialog, int x, int y, int width, int height) const;

 private:
  HFONT m_font = nullptr;
  int m_baseX = 0;  // the dialog units' base, in pixels: four x units, eight y units
  int m_baseY = 0;
  std::vector<HICON> m_icons;  // given to the dialog's icon controls, destroyed with it
};

// Gives the window a client area of width × height pixels, keeping its top left corner.
void SetClientSize(HWND window, int width, int height);

}  // namespace k470
