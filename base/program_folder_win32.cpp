// The program's path and folder on Windows: GetModuleFileNameA's path and its folder part.
#include <windows.h>

#include "base/program_folder.h"

namespace k470 {

namespace {
constexpr DWORD kModulePathBytes = 260;

// The executable's path into `path`; its length, kModulePathBytes or more when cut short.
DWORD ModulePath(char (&path)[kModulePathBytes]) {
  const DWORD length = GetModuleFileNameA(nullptr, path, kModulePathBytes);
  path[kModulePathBytes - 1] = '\0';
  return length;
}
}  // namespace

std::string ProgramPath() {
  char path[kModulePathBytes] = {};
  ModulePath(path);
  return std::string(path);
}

std::string ProgramFolder() {
  char path[kModulePathBytes] = {};
  const DWORD length = ModulePath(path);
  if (length == 0 || length >= kModulePathBytes) return std::string();
  std::string full(path, length);
  const size_t slash = full.find_last_of('\\');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

const char* PathSeparator() { return "\\"; }

std::string BinFilePath(const std::string& folder, const char* name) {
  return folder + "bin\\" + name;
}

}  // namespace k470
