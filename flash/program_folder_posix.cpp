// The program folder natively: the folder part of /proc/self/exe.
#include <unistd.h>

#include <climits>

#include "flash/program_folder.h"

namespace k470 {

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  std::string full(path, static_cast<size_t>(length));
  const size_t slash = full.find_last_of('/');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

const char* PathSeparator() { return "/"; }

std::string BinFilePath(const std::string& folder, const char* name) {
  return folder + "bin/" + name;
}

}  // namespace k470
