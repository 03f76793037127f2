// The system side of locating the INI file: a file search, the companion library's two
// calls and the message boxes of their failures.
#include "ui/ini_location.h"

#include <windows.h>

#include "spl/spl.h"
#include "ui/shell_rules.h"
#include "ui/wide_text.h"

namespace k470 {
namespace {
constexpr int kSplBufferBytes = 520;
constexpr const char* kMessageTitle = "K470Loader";

class WindowsIniLocationEnv : public IniLocationEnv {
 public:
  bool FileExists(const std::string& path) override {
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  int GetAppDataFolder(std::string* folder) override {
    char buffer[kSplBufferBytes] = {};
    const int result = spl_GetOsAndAppPath(buffer, kSplBufferBytes);
    buffer[kSplBufferBytes - 1] = '\0';
    *folder = buffer;
    return result == -1 ? -1 : 0;
  }

  int MakeFolder(const std::string& folder) override {
    char buffer[kSplBufferBytes] = {};
    if (folder.size() >= static_cast<size_t>(kSplBufferBytes)) return -1;
    folder.copy(buffer, folder.size());
    return spl_MakeFolder(buffer);
  }

  void ShowMessage(const char* text) override {
    MessageBoxW(GetActiveWindow(), Widen(text).c_str(), Widen(kMessageTitle).c_str(),
                MB_OK | MB_ICONERROR);
  }
};
}  // namespace

std::string LocateProgramIniFile(const std::string& programPath) {
  WindowsIniLocationEnv env;
  return LocateIniFile(programPath, env);
}

}  // namespace k470
