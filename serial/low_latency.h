// A serial driver's low-latency mode. A USB serial adapter holds what the line brings
// until its latency timer fires (16 ms by default); in low-latency mode the driver sets
// that timer to 1 ms, which request/answer protocols need. The port asks for it at
// every open and gives the driver its own flags back at close; a driver that has no
// such mode (a pseudo-terminal, a network port) is left as it is, without a word.
#pragma once

namespace k470 {

// The driver's flags before the port changed them: nothing to give back.
constexpr int kDriverFlagsUnchanged = -1;

// The ioctl through which the port reads and sets the driver's flags; tests replace it.
using SerialIoctl = int (*)(int fd, unsigned long request, void* arg);
void SetSerialIoctl(SerialIoctl io);  // nullptr: the system's ioctl

// Turns on low latency on `fd`. Returns the flags to give back at close, or
// kDriverFlagsUnchanged when the driver refused or was in that mode already.
int EnterLowLatency(int fd);
// Gives the driver `savedFlags` back (nothing for kDriverFlagsUnchanged).
void LeaveLowLatency(int fd, int savedFlags);

}  // namespace k470
