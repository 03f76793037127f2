// CDialog: a window built from a dialog template, either modal with a message loop of its
// own (every message passes the dialog's key pre-filter first) or as a child window (the
// tab pages), from the template in the program's language. One thunk forwards every message to the virtual DialogProc, which maps the
// dialog initialisation, OK, Cancel, commands and colour requests to virtual operations.
#pragma once

#include "ui/dialog_scale.h"
#include "ui/wnd.h"

namespace k470 {

class CDialog : public CWnd {
 public:
  CDialog(int templateId, CWnd* parent);
  ~CDialog() override;

  // Runs the dialog modally: creates it, disables the owner, runs the loop until
  // EndDialog, destroys the window (DestroyWindow) and returns the EndDialog result,
  // or -1 when the window could not be created.
  INT_PTR DoModal();

  // Creates the dialog as a child of `parent` (template style WS_CHILD), hidden unless
  // the template says otherwise. Returns 1/0.
  int Create(CWnd* parent);

  // Ends the modal loop with `result`; the window goes when the loop has ended.
  void EndDialog(INT_PTR result);

  virtual BOOL DestroyWindow();

  // Key pre-filter, run for every message of the modal loop before it is dispatched.
  // Returns TRUE when the message was dealt with (the dialog keyboard handling).
  virtual BOOL PreTranslateMessage(MSG* msg);

  // Lays the dialog out again from its template at the screen scale `dpi` (the window
  // has moved to a monitor of another scale). Derived dialogs then remake what they made
  // for the old scale.
  virtual void ScaleTo(UINT dpi);

  // The program's window that modal dialogs without a parent are owned by.
  static void SetMainWindow(CWnd* wnd);
  static CWnd* MainWindow();

  // A popup without a loop of its own (a window beside the main window): the modal loops
  // hand it the messages of its controls first, so that its keys work as in a dialog.
  static void RegisterModeless(CDialog* dialog);
  static void UnregisterModeless(CDialog* dialog);

 protected:
  // Every message of the dialog. Derived dialogs handle theirs and hand the rest on.
  virtual INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp);

  // Binds the control objects to the template's controls (SubclassDlgItem).
  virtual void DoDataExchange() {}
  // Default: applies the template's list items, binds the controls, returns TRUE.
  virtual BOOL OnInitDialog();
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // A command of a menu or of a control that did not handle it itself.
  virtual bool OnCommand(int id, int code, HWND control) {
    (void)id; (void)code; (void)control;
    return false;
  }

  // A dialog that places itself (the main window, at its remembered position) answers
  // true; every other modal dialog opens centred over its owner.
  virtual bool PlacesItself() const { return false; }

  // A rectangle of the template's dialog units in pixels at the dialog's present scale.
  RECT DialogUnits(int x, int y, int width, int height) const {
    return m_scale.ToPixels(m_hWnd, x, y, width, height);
  }
  // The font of the dialog's texts at its present scale.
  HFONT DialogFont() const;

  int TemplateId() const { return m_templateId; }
  CWnd* Parent() const { return m_parent; }

 private:
  // The window of the template in the program's language (ui/dialog_template.h).
  HWND CreateFromTemplate(HWND owner);
  static INT_PTR CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandleCommand(WPARAM wp, LPARAM lp);
  void ApplyTemplateInitData();

  int m_templateId;
  CWnd* m_parent;
  bool m_modal = false;
  bool m_ended = false;
  INT_PTR m_result = 0;
  DialogScale m_scale;
};

}  // namespace k470
