// CK470Loader: the application object of K470Loader.exe. Its start routine runs the main
// window as a modal dialog and then ends the program.
#pragma once

#include "ui/win_app.h"

namespace k470 {

class CK470Loader : public CWinApp {
 public:
  CK470Loader() = default;
  ~CK470Loader() override = default;

  BOOL InitInstance() override;
};

}  // namespace k470
