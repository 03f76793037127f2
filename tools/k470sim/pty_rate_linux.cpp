// Reads a bit rate that has no Bnnn code (set with BOTHER through termios2). Kept apart
// because the kernel's termios header clashes with the C library's.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstdint>

namespace k470sim {

uint32_t OtherRate(int fd) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return 0;
  if ((t.c_cflag & CBAUD) != BOTHER) return 0;
  return t.c_ospeed;
}

}  // namespace k470sim
