// CWnd and the plain controls: attaching objects to windows, subclassing, text helpers.
#include "ui/wnd.h"

#include <commctrl.h>

#include <vector>

#include "ui/wide_text.h"

namespace k470 {
namespace {
// The window property that points a window at its object.
constexpr const wchar_t* kObjectProperty = L"K470Loader.CWnd";
}  // namespace

CWnd::~CWnd() {
  if (m_oldProc != nullptr && m_hWnd != nullptr && IsWindow(m_hWnd)) {
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    RemovePropW(m_hWnd, kObjectProperty);
  }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  return static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty));
}

void CWnd::AttachObject(HWND hwnd) {
  m_hWnd = hwnd;
  SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::DetachObject() {
  if (m_hWnd != nullptr) RemovePropW(m_hWnd, kObjectProperty);
  m_hWnd = nullptr;
}

int CWnd::SubclassDlgItem(int id, CWnd* parent) {
  if (parent == nullptr || m_hWnd != nullptr) return 0;
  HWND hwnd = ::GetDlgItem(parent->m_hWnd, id);
  if (hwnd == nullptr) return 0;
  AttachObject(hwnd);
  m_oldProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
  return 1;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWnd* self = FromHandle(hwnd);
  if (self == nullptr || self->m_oldProc == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    // The window goes away: give it back its own procedure and forget it.
    WNDPROC old = self->m_oldProc;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    self->m_oldProc = nullptr;
    self->DetachObject();
    return CallWindowProcW(old, hwnd, msg, wp, lp);
  }
  try {
    return self->WindowProc(msg, wp, lp);
  } catch (...) {
    return CallWindowProcW(self->m_oldProc, hwnd, msg, wp, lp);
  }
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (m_oldProc != nullptr) return CallWindowProcW(m_oldProc, m_hWnd, msg, wp, lp);
  return DefWindowProcW(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wp, LPARAM lp) const {
  return m_hWnd != nullptr ? ::SendMessageW(m_hWnd, msg, wp, lp) : 0;
}

void CWnd::SetWindowText(const char* text) const {
  if (m_hWnd != nullptr) ::SetWindowTextW(m_hWnd, Widen(text).c_str());
}

std::string CWnd::GetWindowText() const {
  if (m_hWnd == nullptr) return std::string();
  return Narrow(GetWideText().c_str());
}

void CWnd::SetWideText(const std::wstring& text) const {
  if (m_hWnd != nullptr) ::SetWindowTextW(m_hWnd, text.c_str());
}

std::wstring CWnd::GetWideText() const {
  if (m_hWnd == nullptr) return std::wstring();
  const int length = GetWindowTextLengthW(m_hWnd);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
  ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
  return std::wstring(buffer.data());
}

void CWnd::EnableWindow(bool on) const {
  if (m_hWnd != nullptr) ::EnableWindow(m_hWnd, on ? TRUE : FALSE);
}

bool CWnd::IsWindowEnabled() const {
  return m_hWnd != nullptr && ::IsWindowEnabled(m_hWnd);
}

void CWnd::ShowWindow(int how) const {
  if (m_hWnd != nullptr) ::ShowWindow(m_hWnd, how);
}

void CWnd::SetFocus() const {
  if (m_hWnd != nullptr) ::SetFocus(m_hWnd);
}

HWND CWnd::GetDlgItem(int id) const {
  return m_hWnd != nullptr ? ::GetDlgItem(m_hWnd, id) : nullptr;
}

int CComboBox::AddString(const char* text) const { return AddString(Widen(text)); }

int CComboBox::AddString(const std::wstring& text) const {
  return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int CTabCtrl::GetCurSel() const {
  return static_cast<int>(SendMessage(TCM_GETCURSEL));
}

int CTabCtrl::SetCurSel(int index) const {
  return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index)));
}

int CTabCtrl::InsertItem(int index, const char* text) const {
  std::wstring label = Widen(text);
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = &label[0];
  return static_cast<int>(
      SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

}  // namespace k470
