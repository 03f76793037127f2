// RunApplication over ShellExecuteExW, whose failure keeps the system's error code.
#include "ui/run_application.h"

#include <windows.h>
#include <shellapi.h>

#include "base/texts.h"
#include "serial/system_error_text.h"
#include "ui/wide_text.h"

namespace k470 {

bool RunApplication(const std::string& path, std::wstring* failure) {
  // The path in double quotes, so that blanks in it do not split it.
  const std::wstring quoted = L"\"" + WidenName(path) + L"\"";
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;  // the status line says it, not a box of the shell
  info.lpFile = quoted.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info)) return true;
  const DWORD error = GetLastError();
  if (failure != nullptr) {
    *failure = FillWide(Text(TextId::kAppNotStarted), WidenName(path)) + L" " +
               WidenName(SystemErrorText(error));
  }
  return false;
}

}  // namespace k470
