// LookAtTableFile on Windows: the attributes and size without opening the file. A device
// name (CON, NUL, COM1) is no disk file and is refused.
#include "flash/table_file.h"

#include <windows.h>

#include "serial/system_error_text.h"

namespace k470 {

TableFileKind LookAtTableFile(const std::string& path, uint64_t* bytes, std::string* reason) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return TableFileKind::kMissing;
    }
    *reason = SystemErrorText(error);
    return TableFileKind::kFailed;
  }
  if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return TableFileKind::kNotRegular;
  }
  *bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return TableFileKind::kRegular;
}

}  // namespace k470
