// ReadTableFile on Windows: the file is opened for reading with every sharing allowed and
// asked for its type and size before a byte is read: a folder, a device (CON, NUL, COM1)
// or a pipe is no disk file and is refused (opening them never waits).
#include "flash/table_file.h"

#include <windows.h>

#include "serial/system_error_text.h"

namespace k470 {
namespace {

constexpr DWORD kReadChunkBytes = 64 * 1024;

TableFileKind ReadOpenFile(HANDLE handle, uint64_t maxBytes, std::string* bytes,
                           std::string* reason) {
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return TableFileKind::kNotRegular;
  }
  const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > maxBytes) return TableFileKind::kTooLarge;
  bytes->clear();
  char chunk[kReadChunkBytes];
  while (bytes->size() <= maxBytes) {
    DWORD got = 0;
    if (!ReadFile(handle, chunk, sizeof chunk, &got, nullptr)) {
      *reason = SystemErrorText(GetLastError());
      return TableFileKind::kFailed;
    }
    if (got == 0) return TableFileKind::kRegular;
    bytes->append(chunk, got);
  }
  return TableFileKind::kTooLarge;
}

}  // namespace

TableFileKind ReadTableFile(const std::string& path, uint64_t maxBytes, std::string* bytes,
                            std::string* reason) {
  const HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_READ,
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
  const TableFileKind kind = ReadOpenFile(handle, maxBytes, bytes, reason);
  CloseHandle(handle);
  return kind;
}

}  // namespace k470
