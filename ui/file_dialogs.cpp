// The open-file dialog, dropped files, and the check that a name from either is one the
// system's code page holds.
#include "ui/file_dialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "base/texts.h"
#include "ui/centre_window.h"
#include "ui/wide_text.h"
#include "ui/win32_job_target.h"

namespace k470 {
namespace {
// Room for the one file the dialog reports: the longest path the system takes (in
// characters, with the NUL).
constexpr size_t kFileNameBufferChars = 32768;
constexpr const char* kDefaultExtension = "ext";
}  // namespace

void ShowRefusedName(HWND owner, const char* text, const std::wstring& name) {
  MessageBoxOverOwner(owner, Widen(text) + L"\n" + name, kMessageBoxTitle, MB_OK | MB_ICONERROR);
}

bool TakeUserPath(HWND owner, const wchar_t* name, std::string* path) {
  if (NarrowName(name, path)) return true;
  ShowRefusedName(owner, Text(TextId::kNameNotInCodePage), name != nullptr ? name : L"");
  return false;
}

bool TakeDroppedFile(HWND owner, HDROP drop, std::string* path) {
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::vector<wchar_t> name(static_cast<size_t>(length) + 1, L'\0');
  const UINT got = length > 0 ? DragQueryFileW(drop, 0, name.data(), length + 1) : 0;
  DragFinish(drop);
  if (got == 0) return false;
  return TakeUserPath(owner, name.data(), path);
}

bool RunOpenFileDialog(const char* filter, const std::string& initialFolder, std::string* path) {
  // The filter's "|" separators become the NULs the dialog expects.
  std::wstring filters = Widen(filter);
  for (wchar_t& c : filters) {
    if (c == L'|') c = L'\0';
  }
  const std::wstring folder = WidenName(initialFolder);
  const std::wstring extension = Widen(kDefaultExtension);
  std::vector<wchar_t> file(kFileNameBufferChars, L'\0');
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = filters.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST | OFN_EXPLORER;
  if (!GetOpenFileNameW(&ofn)) return false;
  return TakeUserPath(ofn.hwndOwner, file.data(), path);
}

}  // namespace k470
