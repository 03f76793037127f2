// LookAtTableFile on POSIX systems: stat follows links to what the profile reader opens.
#include "flash/table_file.h"

#include <sys/stat.h>

#include <cerrno>

#include "serial/system_error_text.h"

namespace k470 {

TableFileKind LookAtTableFile(const std::string& path, uint64_t* bytes, std::string* reason) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return TableFileKind::kMissing;
    *reason = SystemErrorText(static_cast<unsigned long>(errno));
    return TableFileKind::kFailed;
  }
  if (!S_ISREG(status.st_mode)) return TableFileKind::kNotRegular;
  *bytes = static_cast<uint64_t>(status.st_size);
  return TableFileKind::kRegular;
}

}  // namespace k470
