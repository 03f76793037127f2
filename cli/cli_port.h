// Opening the port that a command's --port names: COMn, n or a device path.
#pragma once

#include <string>

namespace k470 {
class CComPort;
class JobTarget;
}

namespace k470::cli {

// Opens the port at 38400 bit/s, 8N1 (the board monitor's line). On failure shows through
// `target` a message naming the port as typed, with the system's reason as its detail,
// and returns false.
bool OpenPortArgument(const std::string& argument, CComPort* port, JobTarget* target);

// Says on stderr that the go command could not be sent, and why when the port was lost.
void NoteGoFailed(const CComPort& port);

}  // namespace k470::cli
