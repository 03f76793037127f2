// CEditEx, CEditDword, CEditDouble: the window halves of the checked entry fields. The
// acceptance rules themselves live in edit_value_rules.
#include "ui/edit_ex.h"

#include <functional>
#include <string>

#include "ui/wide_text.h"

namespace k470 {
namespace {
// The text as the check reads it: at most 127 characters.
std::string ReadCheckedText(HWND hwnd) {
  wchar_t buffer[kEditTextBufferBytes] = {};
  GetWindowTextW(hwnd, buffer, kEditTextBufferBytes);
  return Narrow(buffer);
}
}  // namespace

CEditEx::CEditEx() : m_bkBrush(GetSysColorBrush(COLOR_WINDOW)) {}

HBRUSH CEditEx::CtlColor(HDC dc, int kind) {
  (void)kind;
  LOGBRUSH description = {};
  GetObjectW(m_bkBrush, sizeof description, &description);
  SetBkColor(dc, description.lbColor);
  ::SetTextColor(dc, m_textColor);
  return m_bkBrush;
}

namespace {
// The messages through which the user changes the text.
bool ChangesText(UINT msg) {
  switch (msg) {
    case WM_CHAR: case WM_KEYDOWN: case WM_PASTE: case WM_CUT: case WM_CLEAR: case WM_UNDO:
    case EM_UNDO: case EM_REPLACESEL:
      return true;
    default:
      return false;
  }
}
}  // namespace

LRESULT CEditChecked::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (ChangesText(msg)) {
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&m_selStart),
                reinterpret_cast<LPARAM>(&m_selEnd));
  }
  return CEditEx::WindowProc(msg, wp, lp);
}

void CEditChecked::PasteFiltered(const std::function<bool(unsigned)>& passes) {
  std::wstring pasted;
  if (OpenClipboard(m_hWnd)) {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (text != nullptr) {
      pasted = text;
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  // Only ASCII characters can pass a field's filter.
  std::string typed;
  for (wchar_t c : pasted) typed += c < 0x80 ? static_cast<char>(c) : '\x7F';
  const std::string kept = KeepPassing(typed, passes);
  // As typed: the check after the change puts the last good text back when the result
  // is no valid value.
  SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Widen(kept).c_str()));
}

void CEditChecked::PutBack(const std::string& lastText) {
  SetWindowText(lastText);
  SendMessage(EM_SETSEL, m_selStart, m_selEnd);
}

bool CEditDword::OnChildNotify(int code) {
  if (code != EN_CHANGE) return false;
  OnChange();
  return true;
}

void CEditDword::OnChange() {
  if (!m_rules.CheckText(ReadCheckedText(m_hWnd))) PutBack(m_rules.LastText());
}

LRESULT CEditDword::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CHAR && !m_rules.CharPasses(static_cast<unsigned>(wp))) return 0;
  if (msg == WM_PASTE) {
    PasteFiltered([this](unsigned ch) {
      return ch != kCharBackspace && !IsEditingControlChar(ch) && m_rules.CharPasses(ch);
    });
    return 0;
  }
  return CEditChecked::WindowProc(msg, wp, lp);
}

int CEditDouble::SetValue(double x) {
  SetWindowText(m_rules.SetValue(x));
  return 1;
}

bool CEditDouble::OnChildNotify(int code) {
  if (code != EN_CHANGE) return false;
  OnChange();
  return true;
}

void CEditDouble::OnChange() {
  if (!m_rules.CheckText(ReadCheckedText(m_hWnd))) PutBack(m_rules.LastText());
}

LRESULT CEditDouble::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CHAR && !DoubleEditRules::CharPasses(static_cast<unsigned>(wp))) return 0;
  if (msg == WM_PASTE) {
    PasteFiltered([](unsigned ch) {
      return ch != kCharBackspace && DoubleEditRules::CharPasses(ch) && !IsEditingControlChar(ch);
    });
    return 0;
  }
  return CEditChecked::WindowProc(msg, wp, lp);
}

}  // namespace k470
