// The program's path and folder on Windows: GetModuleFileNameA's path and its folder part.
#include <windows.h>

#include "base/program_folder.h"

namespace k470 {

namespace {
constexpr DWORD kModulePathBytes = 260;

// The executable's path, cut to kModulePathBytes - 1 bytes; `*whole`: it was found uncut.
std::string ModulePath(bool* whole) {
  char path[kModulePathBytes] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, kModulePathBytes);
  path[kModulePathBytes - 1] = '\0';
  *whole = length != 0 && length < kModulePathBytes;
  return std::string(path);
}
}  // namespace

std::string ProgramPath() {
  bool whole = false;
  return ModulePath(&whole);
}

std::string ProgramFolder() {
  bool whole = false;
  const std::string full = ModulePath(&whole);
  if (!whole) return std::string();
  const size_t slash = full.find_last_of('\\');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

const char* PathSeparator() { return "\\"; }

std::string BinFilePath(const std::string& folder, const char* name) {
  return folder + "bin\\" + name;
}

}  // namespace k470
