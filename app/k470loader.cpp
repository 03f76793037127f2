// CK470Loader: construct the main window, run it modally, destroy it, end the program.
#include "app/k470loader.h"

#include "ui/dlg_main.h"

namespace k470 {

BOOL CK470Loader::InitInstance() {
  CDlgMain dialog(nullptr);
  SetMainWnd(&dialog);
  dialog.DoModal();
  SetMainWnd(nullptr);
  return FALSE;
}

}  // namespace k470
