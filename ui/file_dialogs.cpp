// The open-file dialog.
#include "ui/file_dialogs.h"

#include <commdlg.h>

#include <vector>

namespace k470 {
namespace {
// Room for what the dialog reports, a multiple selection included.
constexpr size_t kFileNameBufferBytes = 8192;
constexpr const char* kDefaultExtension = "ext";
}  // namespace

bool RunOpenFileDialog(const char* filter, const std::string& initialFolder, std::string* path) {
  // The filter's "|" separators become the NULs the dialog expects.
  std::string filters(filter);
  for (char& c : filters) {
    if (c == '|') c = '\0';
  }
  std::vector<char> file(kFileNameBufferBytes, '\0');
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = filters.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  ofn.lpstrDefExt = kDefaultExtension;
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ALLOWMULTISELECT | OFN_EXPLORER;
  if (!GetOpenFileNameA(&ofn)) return false;
  *path = std::string(file.data());
  return true;
}

}  // namespace k470
