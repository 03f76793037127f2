// CStaticEx: a static text with its own background colour, text colour and font (the
// pages' update mark bar, the about box's links). CStaticCursor adds a hover cursor, for
// the clickable link labels.
#pragma once

#include "ui/wnd.h"

namespace k470 {

class CStaticEx : public CStatic {
 public:
  CStaticEx();
  ~CStaticEx() override;

  CStaticEx& SetBackColor(COLORREF colour, int redraw);
  CStaticEx& SetTextColor(COLORREF colour, int redraw);
  int SetUnderline(int on, int redraw);
  // face: at most 31 bytes are taken; null keeps the face.
  int SetFontFace(const char* face, int width, int height, int redraw);

  COLORREF BackColor() const { return m_bkColor; }

  HBRUSH CtlColor(HDC dc, int kind) override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  int RemakeFont();
  void Redraw() const;

  COLORREF m_bkColor;
  COLORREF m_textColor;
  HBRUSH m_bkBrush;
  LOGFONTW m_logFont;
  HFONT m_font;
};

// A bar without text that paints its whole area in its background colour itself, in
// every state and after every show (the pages' update mark): the platform's static
// leaves an empty text's area to whatever was drawn beneath it.
class CStaticBar : public CStaticEx {
 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class CStaticCursor : public CStaticEx {
 public:
  CStaticCursor() = default;
  ~CStaticCursor() override;

  // Loads the system cursor `cursorId` (IDC_HAND, ...) and keeps a copy as the hover cursor.
  HCURSOR SetHoverCursor(LPCSTR cursorId);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HCURSOR m_cursor = nullptr;
};

}  // namespace k470
