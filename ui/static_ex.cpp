// CStaticEx and CStaticCursor: colours, font and cursor of a static control.
#include "ui/static_ex.h"

#include <cwchar>

#include "ui/wide_text.h"

namespace k470 {
namespace {
constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
constexpr size_t kFaceNameChars = LF_FACESIZE;  // 32: 31 characters of name and the NUL
}  // namespace

CStaticEx::CStaticEx()
    : m_bkColor(GetSysColor(COLOR_BTNFACE)),
      m_textColor(GetSysColor(COLOR_WINDOWTEXT)),
      m_bkBrush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))),
      m_logFont(),
      m_font(nullptr) {
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof m_logFont, &m_logFont);
  m_font = CreateFontIndirectW(&m_logFont);
}

CStaticEx::~CStaticEx() {
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) ::SendMessageW(m_hWnd, WM_SETFONT, 0, FALSE);
  if (m_bkBrush != nullptr) DeleteObject(m_bkBrush);
  if (m_font != nullptr) DeleteObject(m_font);
}

void CStaticEx::Redraw() const {
  if (m_hWnd != nullptr) RedrawWindow(m_hWnd, nullptr, nullptr, kRedrawNow);
}

CStaticEx& CStaticEx::SetBackColor(COLORREF colour, int redraw) {
  m_bkColor = colour;
  HBRUSH old = m_bkBrush;
  m_bkBrush = CreateSolidBrush(colour);
  if (old != nullptr) DeleteObject(old);
  if (redraw == 1) Redraw();
  return *this;
}

CStaticEx& CStaticEx::SetTextColor(COLORREF colour, int redraw) {
  m_textColor = colour;
  if (redraw == 1) Redraw();
  return *this;
}

int CStaticEx::RemakeFont() {
  HFONT font = CreateFontIndirectW(&m_logFont);
  if (font == nullptr) return 0;
  if (m_hWnd != nullptr) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (m_font != nullptr) DeleteObject(m_font);
  m_font = font;
  return 1;
}

int CStaticEx::SetUnderline(int on, int redraw) {
  m_logFont.lfUnderline = on != 0 ? TRUE : FALSE;
  const int ok = RemakeFont();
  if (redraw == 1) Redraw();
  return ok;
}

int CStaticEx::SetFontFace(const char* face, int width, int height, int redraw) {
  if (face != nullptr) {
    const std::wstring wide = Widen(face);
    std::wmemset(m_logFont.lfFaceName, L'\0', kFaceNameChars);
    std::wcsncpy(m_logFont.lfFaceName, wide.c_str(), kFaceNameChars - 1);
  }
  m_logFont.lfHeight = height;
  m_logFont.lfWidth = width;
  const int ok = RemakeFont();
  if (redraw == 1) Redraw();
  return ok;
}

HBRUSH CStaticEx::CtlColor(HDC dc, int kind) {
  if (kind != CTLCOLOR_STATIC) return nullptr;
  SelectObject(dc, m_font);
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, m_textColor);
  SetBkColor(dc, m_bkColor);
  return m_bkBrush;
}

LRESULT CStaticEx::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The background comes from the brush that the colour request returns.
  if (msg == WM_ERASEBKGND) return 0;
  return CStatic::WindowProc(msg, wp, lp);
}

LRESULT CStaticBar::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;  // WM_PAINT fills the whole bar
  if (msg != WM_PAINT) return CStaticEx::WindowProc(msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  HBRUSH brush = CreateSolidBrush(BackColor());
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  EndPaint(m_hWnd, &ps);
  return 0;
}

CStaticCursor::~CStaticCursor() {
  if (m_cursor != nullptr) DestroyCursor(m_cursor);
}

HCURSOR CStaticCursor::SetHoverCursor(LPCSTR cursorId) {
  HCURSOR system = LoadCursorA(nullptr, cursorId);
  if (system == nullptr) return nullptr;
  HCURSOR copy = reinterpret_cast<HCURSOR>(CopyIcon(reinterpret_cast<HICON>(system)));
  if (m_cursor != nullptr) DestroyCursor(m_cursor);
  m_cursor = copy;
  return m_cursor;
}

LRESULT CStaticCursor::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETCURSOR && m_cursor != nullptr) {
    SetCursor(m_cursor);
    return TRUE;
  }
  return CStaticEx::WindowProc(msg, wp, lp);
}

}  // namespace k470
