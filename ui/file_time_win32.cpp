// The last modification time of a file, for the pages' update check.
#include <windows.h>

#include "ui/update_watch.h"

namespace k470 {

bool FileModifiedTime(const std::string& path, int64_t* modified) {
  if (path.empty()) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  // The history's names are in the system's code page, as the A functions read them.
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *modified = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
              data.ftLastWriteTime.dwLowDateTime;
  return true;
}

}  // namespace k470
