// Low latency through the Linux serial driver's flags (TIOCGSERIAL/TIOCSSERIAL).
#include "serial/low_latency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace k470 {

namespace {

int SystemIoctl(int fd, unsigned long request, void* arg) { return ioctl(fd, request, arg); }

SerialIoctl g_ioctl = SystemIoctl;

}  // namespace

void SetSerialIoctl(SerialIoctl io) { g_ioctl = io ? io : SystemIoctl; }

int EnterLowLatency(int fd) {
  serial_struct serial{};
  if (g_ioctl(fd, TIOCGSERIAL, &serial) != 0) return kDriverFlagsUnchanged;
  const int old = serial.flags;
  if (old & ASYNC_LOW_LATENCY) return kDriverFlagsUnchanged;
  serial.flags = old | ASYNC_LOW_LATENCY;
  if (g_ioctl(fd, TIOCSSERIAL, &serial) != 0) return kDriverFlagsUnchanged;
  return old;
}

void LeaveLowLatency(int fd, int savedFlags) {
  if (savedFlags == kDriverFlagsUnchanged) return;
  serial_struct serial{};
  if (g_ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
  // Only the flag the port changed goes back: the rest is as the driver has it now.
  serial.flags = (serial.flags & ~ASYNC_LOW_LATENCY) | (savedFlags & ASYNC_LOW_LATENCY);
  (void)g_ioctl(fd, TIOCSSERIAL, &serial);
}

}  // namespace k470
