// SysPrepLib stand-in: the application-data folder from the shell, folders made level by
// level from the drive (or share) down.
#include "spl/spl.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace {
constexpr int kFailure = -1;
constexpr int kMakeFolderFailed = 1;
constexpr int kMakeFolderBadPath = 2;

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Index just past the part of the path that is never created: "C:\" or "\\server\share\".
size_t RootLength(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    size_t server = path.find('\\', 2);
    if (server == std::string::npos) return path.size();
    size_t share = path.find('\\', server + 1);
    return share == std::string::npos ? path.size() : share + 1;
  }
  return 0;
}
}  // namespace

extern "C" int spl_GetOsAndAppPath(char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return kFailure;
  buffer[0] = '\0';
  char folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return kFailure;
  const size_t length = std::strlen(folder);
  if (length == 0 || length + 1 > static_cast<size_t>(size)) return kFailure;
  std::memcpy(buffer, folder, length + 1);
  return 0;
}

extern "C" int spl_MakeFolder(const char* path) {
  if (path == nullptr || path[0] == '\0') return kMakeFolderBadPath;
  std::string full(path);
  while (full.size() > 1 && full.back() == '\\') full.pop_back();
  if (IsFolder(full)) return 0;
  // Walk the levels below the root; a backslash inside a two-byte character is no level.
  size_t at = RootLength(full);
  while (at <= full.size()) {
    size_t next = at;
    while (next < full.size() && full[next] != '\\') {
      next += IsDBCSLeadByte(static_cast<BYTE>(full[next])) && next + 1 < full.size() ? 2 : 1;
    }
    const std::string level = full.substr(0, next);
    if (!level.empty() && !IsFolder(level) && !CreateDirectoryA(level.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return kMakeFolderFailed;
    at = next + 1;
  }
  return IsFolder(full) ? 0 : kMakeFolderFailed;
}
