// OpenClosedStdDescriptors on POSIX systems: descriptors 0, 1 and 2 onto /dev/null.
#include "base/std_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace k470 {

void OpenClosedStdDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is taken: `fd` itself, since the lower ones are open by now.
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      close(null);
    }
  }
}

}  // namespace k470
