// CWnd: a window object holding one HWND, and the thin control classes the dialogs bind
// to their templates' controls. A control object is attached by id and subclassed, so that
// the notifications and colour requests its parent receives can be handed back to it.
#pragma once

#include <windows.h>

#include <string>

namespace k470 {

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object attached to a window (a subclassed control or one of our dialogs), if any.
  static CWnd* FromHandle(HWND hwnd);

  // Attaches this object to the parent's control `id` and subclasses it. Returns 1/0.
  int SubclassDlgItem(int id, CWnd* parent);

  // A control's notification (WM_COMMAND code) or colour request (CTLCOLOR_* kind) that
  // its parent hands back to it. Return true / a brush when the control dealt with it.
  virtual bool OnChildNotify(int code) { (void)code; return false; }
  virtual HBRUSH CtlColor(HDC dc, int kind) { (void)dc; (void)kind; return nullptr; }

  // Helpers over the usual Win32 calls. The windows are Unicode windows; the texts here are
  // the program's narrow texts, converted where they meet the window (ui/wide_text.h).
  LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
  void SetWindowText(const char* text) const;
  void SetWindowText(const std::string& text) const { SetWindowText(text.c_str()); }
  std::string GetWindowText() const;
  // The window's text as UTF-16, for texts that are not the program's own (file names).
  void SetWideText(const std::wstring& text) const;
  std::wstring GetWideText() const;
  void EnableWindow(bool on) const;
  bool IsWindowEnabled() const;
  void ShowWindow(int how) const;
  void SetFocus() const;
  HWND GetDlgItem(int id) const;

 protected:
  // Messages of a subclassed control; the default hands them to the control's own
  // procedure. Derived controls handle what they need and call this for the rest.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);

  // Makes FromHandle(hwnd) answer this object (dialogs call it on WM_INITDIALOG).
  void AttachObject(HWND hwnd);
  void DetachObject();

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  WNDPROC m_oldProc = nullptr;
};

// Plain controls: attach them with SubclassDlgItem to reach their windows.
class CStatic : public CWnd {};
class CButton : public CWnd {
 public:
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int state) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};
class CEdit : public CWnd {};
class CComboBox : public CWnd {
 public:
  int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int index) const { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
  int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
  int AddString(const char* text) const;
  int AddString(const std::wstring& text) const;
  void ResetContent() const { SendMessage(CB_RESETCONTENT); }
};
class CTabCtrl : public CWnd {
 public:
  int GetCurSel() const;
  int SetCurSel(int index) const;
  int InsertItem(int index, const char* text) const;
};

}  // namespace k470
