// ProgramPath from GetModuleFileNameA.
#include "ui/program_path.h"

#include <windows.h>

namespace k470 {
namespace {
constexpr DWORD kModulePathBytes = 260;
}  // namespace

std::string ProgramPath() {
  char path[kModulePathBytes] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, kModulePathBytes);
  if (length == 0 || length >= kModulePathBytes) path[kModulePathBytes - 1] = '\0';
  return std::string(path);
}

}  // namespace k470
