// The program folder on Windows: the folder part of GetModuleFileNameA's path.
#include <windows.h>

#include "flash/program_folder.h"

namespace k470 {

namespace {
constexpr DWORD kModulePathBytes = 260;
}

std::string ProgramFolder() {
  char path[kModulePathBytes] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, kModulePathBytes);
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
