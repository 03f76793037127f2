// The system's words for an error code, for the detail line of a port that could not be
// opened or a connection that could not be made ("No such file or directory",
// "Connection refused"). Platform half: system_error_text_posix.cpp (an errno value) or
// system_error_text_win32.cpp (a GetLastError or Winsock code).
#pragma once

#include <string>

namespace k470 {

std::string SystemErrorText(unsigned long error);

}  // namespace k470
