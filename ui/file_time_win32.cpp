// The last modification time of a file, for the pages' update check.
#include <windows.h>

#include "ui/update_watch.h"
#include "ui/wide_text.h"

namespace k470 {

bool FileModifiedTime(const std::string& path, int64_t* modified) {
  if (path.empty()) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  // The history's names are in code page 932 and read as such, on any Windows.
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *modified = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
              data.ftLastWriteTime.dwLowDateTime;
  return true;
}

}  // namespace k470
