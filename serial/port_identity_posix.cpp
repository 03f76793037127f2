// Device identities on POSIX systems: a device special file by its device number, any
// other file by its file system and inode, a path that is not there by its text.
#include <sys/stat.h>

#include <string>

#include "serial/port_names.h"

namespace k470 {

std::string DeviceIdentity(const std::string& device) {
  struct stat status;
  if (stat(device.c_str(), &status) != 0) return "path:" + device;
  if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
    return "device:" + std::to_string(static_cast<unsigned long long>(status.st_rdev));
  }
  return "file:" + std::to_string(static_cast<unsigned long long>(status.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(status.st_ino));
}

bool NamesExistingPath(const std::string& text) {
  struct stat status;
  return !text.empty() && stat(text.c_str(), &status) == 0;
}

}  // namespace k470
