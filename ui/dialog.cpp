// CDialog: modal loop, child creation, the message thunk and the standard dispatch.
#include "ui/dialog.h"

#include <cstdint>
#include <cstring>

#include "ui/centre_window.h"
#include "ui/dialog_template.h"
#include "ui/resource.h"
#include "ui/screen_dpi.h"
#include "ui/wide_text.h"

namespace k470 {
namespace {

CWnd* g_mainWindow = nullptr;
// The popups without a loop of their own; few, so a short list.
constexpr int kMaxModeless = 4;
CDialog* g_modeless[kMaxModeless] = {};

// A template's initialisation data: records of control id (16 bits), request (16 bits),
// length (32 bits) and that many bytes of text, ended by a zero id.
constexpr uint16_t kInitAddString = 0x0403;  // add the text to a combo box's list

HWND OwnerFor(CWnd* parent) {
  HWND owner = parent != nullptr ? parent->m_hWnd : nullptr;
  if (owner == nullptr && g_mainWindow != nullptr) owner = g_mainWindow->m_hWnd;
  if (owner == nullptr) return nullptr;
  // A child (a tab page) cannot own a popup: its top-level window does.
  while ((GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD) != 0 && GetParent(owner) != nullptr)
    owner = GetParent(owner);
  HWND popup = GetLastActivePopup(owner);
  return popup != nullptr && IsWindowEnabled(popup) ? popup : owner;
}

}  // namespace

CDialog::CDialog(int templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) {
    HWND hwnd = m_hWnd;
    DetachObject();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd);
  }
}

void CDialog::SetMainWindow(CWnd* wnd) { g_mainWindow = wnd; }

void CDialog::RegisterModeless(CDialog* dialog) {
  for (CDialog*& slot : g_modeless) {
    if (slot == nullptr || slot == dialog) {
      slot = dialog;
      return;
    }
  }
}

void CDialog::UnregisterModeless(CDialog* dialog) {
  for (CDialog*& slot : g_modeless) {
    if (slot == dialog) slot = nullptr;
  }
}

namespace {
// The message's own popup takes it when it belongs to one of them.
BOOL PreTranslateForModeless(MSG* msg) {
  for (CDialog* dialog : g_modeless) {
    if (dialog == nullptr || dialog->m_hWnd == nullptr) continue;
    if (msg->hwnd == dialog->m_hWnd || IsChild(dialog->m_hWnd, msg->hwnd))
      return dialog->PreTranslateMessage(msg);
  }
  return FALSE;
}
}  // namespace
CWnd* CDialog::MainWindow() { return g_mainWindow; }

INT_PTR CDialog::DoModal() {
  if (m_hWnd != nullptr) return -1;
  HWND owner = OwnerFor(m_parent);
  m_modal = true;
  m_ended = false;
  m_result = 0;
  HWND hwnd = CreateFromTemplate(owner);
  if (hwnd == nullptr) {
    m_modal = false;
    return -1;
  }
  if (!PlacesItself()) CentreOverOwner(hwnd, owner);
  const bool ownerEnabled = owner != nullptr && ::IsWindowEnabled(owner);
  if (ownerEnabled) ::EnableWindow(owner, FALSE);
  if (!m_ended) {
    ::ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
  }
  MSG msg;
  while (!m_ended) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is being ended: leave the quit request for the loop outside.
      PostQuitMessage(static_cast<int>(msg.wParam));
      if (!m_ended) m_result = IDCANCEL;
      break;
    }
    if (got == -1) break;
    if (!PreTranslateForModeless(&msg) && !PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (ownerEnabled) ::EnableWindow(owner, TRUE);
  if (m_hWnd != nullptr) {
    // Hide first so that the owner takes the activation back cleanly.
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (owner != nullptr) SetActiveWindow(owner);
  }
  DestroyWindow();
  m_modal = false;
  return m_result;
}

int CDialog::Create(CWnd* parent) {
  if (m_hWnd != nullptr || parent == nullptr || parent->m_hWnd == nullptr) return 0;
  m_parent = parent;
  m_modal = false;
  HWND hwnd = CreateFromTemplate(parent->m_hWnd);
  return hwnd != nullptr ? 1 : 0;
}

HWND CDialog::CreateFromTemplate(HWND owner) {
  HMODULE module = GetModuleHandleW(nullptr);
  const DLGTEMPLATE* found = ProgramDialogTemplate(module, m_templateId);
  if (found == nullptr) return nullptr;
  return CreateDialogIndirectParamW(module, found, owner, &CDialog::Thunk,
                                    reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
  m_result = result;
  m_ended = true;
  // Wake the loop in case it sits in GetMessage.
  if (m_modal && m_hWnd != nullptr) PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (m_hWnd == nullptr) return FALSE;
  return IsDialogMessageW(m_hWnd, msg);
}

INT_PTR CALLBACK CDialog::Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->AttachObject(hwnd);
  } else {
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->DialogProc(msg, wp, lp);
  } catch (...) {
    result = FALSE;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->DetachObject();
  }
  return result;
}

void CDialog::ScaleTo(UINT dpi) { m_scale.Apply(m_hWnd, m_templateId, dpi); }

HFONT CDialog::DialogFont() const {
  if (m_scale.Font() != nullptr) return m_scale.Font();
  return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
}

INT_PTR CDialog::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      TakeOverDialogScaling(m_hWnd);
      return OnInitDialog();
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale: the place the system suggests, the layout
      // and the fonts of the new scale (which set the size).
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      if (suggested != nullptr)
        SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      ScaleTo(LOWORD(wp));
      if ((GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) == 0) KeepInWorkArea(m_hWnd);
      return TRUE;
    }
    case WM_COMMAND:
      return HandleCommand(wp, lp);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      // Colour requests go back to the control that asked (message reflection).
      CWnd* control = CWnd::FromHandle(reinterpret_cast<HWND>(lp));
      if (control == nullptr || control == this) return FALSE;
      HBRUSH brush = control->CtlColor(reinterpret_cast<HDC>(wp),
                                       static_cast<int>(msg - WM_CTLCOLORMSGBOX));
      return reinterpret_cast<INT_PTR>(brush);
    }
    default:
      return FALSE;
  }
}

INT_PTR CDialog::HandleCommand(WPARAM wp, LPARAM lp) {
  const int id = LOWORD(wp);
  const int code = HIWORD(wp);
  HWND control = reinterpret_cast<HWND>(lp);
  if (control != nullptr) {
    // The dialog keyboard handling reports a button of a child page to this dialog:
    // hand it to the page that holds the button.
    HWND holder = GetParent(control);
    if (holder != m_hWnd && holder != nullptr && IsChild(m_hWnd, holder)) {
      ::SendMessageW(holder, WM_COMMAND, wp, lp);
      return TRUE;
    }
    CWnd* object = CWnd::FromHandle(control);
    if (object != nullptr && object != this && object->OnChildNotify(code)) return TRUE;
  }
  if (OnCommand(id, code, control)) return TRUE;
  if (id == IDOK && code == BN_CLICKED) {
    OnOK();
    return TRUE;
  }
  if (id == IDCANCEL && code == BN_CLICKED) {
    OnCancel();
    return TRUE;
  }
  return FALSE;
}

BOOL CDialog::OnInitDialog() {
  ApplyTemplateInitData();
  DoDataExchange();
  return TRUE;
}

void CDialog::ApplyTemplateInitData() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindProgramResource(module, MAKEINTRESOURCEW(RT_K470_DLGINIT), m_templateId);
  if (info == nullptr) return;
  HGLOBAL handle = LoadResource(module, info);
  const auto* data = static_cast<const unsigned char*>(LockResource(handle));
  const DWORD size = SizeofResource(module, info);
  if (data == nullptr) return;
  DWORD at = 0;
  while (at + 2 <= size) {
    uint16_t id = 0;
    std::memcpy(&id, data + at, 2);
    if (id == 0 || at + 8 > size) break;
    uint16_t request = 0;
    uint32_t length = 0;
    std::memcpy(&request, data + at + 2, 2);
    std::memcpy(&length, data + at + 4, 4);
    at += 8;
    if (length > size - at) break;
    if (request == kInitAddString && length > 0 && data[at + length - 1] == '\0') {
      const std::wstring item = Widen(reinterpret_cast<const char*>(data + at));
      SendDlgItemMessageW(m_hWnd, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    at += length;
  }
}

}  // namespace k470
