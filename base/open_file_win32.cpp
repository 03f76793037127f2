// OpenRegularFile on Windows: a folder does not open at all; a name that opens a device
// (CON, NUL, COM1, a pipe) is refused by its file type before it is read.
#include "base/open_file.h"

#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

namespace k470 {
namespace {

constexpr DWORD kReasonBytes = 256;

// The system's words for a GetLastError code, in English where the system has them.
std::string SystemReason(DWORD error) {
  constexpr DWORD kFlags =
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  char text[kReasonBytes];
  DWORD length = FormatMessageA(kFlags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                text, kReasonBytes, nullptr);
  if (length == 0) length = FormatMessageA(kFlags, nullptr, error, 0, text, kReasonBytes, nullptr);
  if (length == 0 || length >= kReasonBytes) return "system error " + std::to_string(error);
  while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '.')) --length;
  return std::string(text, length);
}

}  // namespace

FILE* OpenRegularFile(const std::string& path, std::string* reason) {
  std::string ignored;
  if (reason == nullptr) reason = &ignored;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    *reason = SystemReason(GetLastError());
    return nullptr;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *reason = kTextNotRegularFile;
    return nullptr;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    *reason = kTextNotRegularFile;
    std::fclose(file);
    return nullptr;
  }
  return file;
}

}  // namespace k470
