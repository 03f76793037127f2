// CWinApp: the application object. The program defines one global instance of a derived
// class; WinMain hands control to it through RunApplication, which calls its start routine.
#pragma once

#include <windows.h>

namespace k470 {

class CWnd;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The start routine. Returning FALSE ends the program without a message loop.
  virtual BOOL InitInstance() = 0;

  // Makes `wnd` the window that modal dialogs without a parent are owned by.
  void SetMainWnd(CWnd* wnd);

  static CWinApp* Instance();
};

// Initialises the common controls and runs the application object's start routine;
// returns the process exit code.
int RunApplication();

}  // namespace k470
