// OpenRegularFile on POSIX systems: opened without waiting (O_NONBLOCK, so that a FIFO
// without a writer does not block), then looked at with fstat before it is read.
#include "base/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace k470 {

FILE* OpenRegularFile(const std::string& path, std::string* reason) {
  std::string ignored;
  if (reason == nullptr) reason = &ignored;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    *reason = kTextNotRegularFile;
    ::close(fd);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    *reason = std::strerror(errno);
    ::close(fd);
  }
  return file;
}

}  // namespace k470
