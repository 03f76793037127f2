// LookAtTableFile on Windows: the file is opened for its attributes only (which never
// waits, not even on a pipe) and asked for its type and size: a folder, a device (CON,
// NUL, COM1) or a pipe is no disk file and is refused.
#include "flash/table_file.h"

#include <windows.h>

#include "serial/system_error_text.h"

namespace k470 {

TableFileKind LookAtTableFile(const std::string& path, uint64_t* bytes, std::string* reason) {
  const HANDLE handle =
      CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return TableFileKind::kMissing;
    }
    *reason = SystemErrorText(error);
    return TableFileKind::kFailed;
  }
  BY_HANDLE_FILE_INFORMATION info;
  TableFileKind kind = TableFileKind::kNotRegular;
  if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    *bytes = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    kind = TableFileKind::kRegular;
  }
  CloseHandle(handle);
  return kind;
}

}  // namespace k470
