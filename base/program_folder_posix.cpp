// The program's path and folder natively: /proc/self/exe and its folder part. Installed, the program
// lies in <prefix>/bin/ and its data in <prefix>/share/k470/; in a build the data lie in
// bin/ beside the program.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "base/program_folder.h"

namespace k470 {

namespace {

constexpr const char kInstalledBinFolder[] = "/bin/";
constexpr const char kInstalledDataFolder[] = "share/k470/";

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// "<prefix>/share/k470/" when `folder` is "<prefix>/bin/" and that folder exists, else "".
std::string InstalledDataFolder(const std::string& folder) {
  const size_t binLength = sizeof kInstalledBinFolder - 1;
  if (folder.size() < binLength ||
      folder.compare(folder.size() - binLength, binLength, kInstalledBinFolder) != 0) {
    return std::string();
  }
  const std::string data = folder.substr(0, folder.size() - binLength + 1) + kInstalledDataFolder;
  return IsDirectory(data) ? data : std::string();
}

}  // namespace

std::string ProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length <= 0 ? std::string() : std::string(path, static_cast<size_t>(length));
}

std::string ProgramFolder() {
  const std::string full = ProgramPath();
  const size_t slash = full.find_last_of('/');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

const char* PathSeparator() { return "/"; }

std::string BinFilePath(const std::string& folder, const char* name) {
  const std::string installed = InstalledDataFolder(folder);
  return installed.empty() ? folder + "bin/" + name : installed + name;
}

}  // namespace k470
