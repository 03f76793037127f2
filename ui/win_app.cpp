// CWinApp: one application object, started by RunApplication.
#include "ui/win_app.h"

#include <commctrl.h>

#include "ui/dialog.h"

namespace k470 {
namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

void CWinApp::SetMainWnd(CWnd* wnd) { CDialog::SetMainWindow(wnd); }

CWinApp* CWinApp::Instance() { return g_app; }

int RunApplication() {
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  CWinApp* app = CWinApp::Instance();
  if (app == nullptr) return 1;
  BOOL keepRunning = FALSE;
  try {
    keepRunning = app->InitInstance();
  } catch (...) {
    return 1;
  }
  if (!keepRunning) return 0;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace k470
