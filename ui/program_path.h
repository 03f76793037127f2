// The program file's full path (GetModuleFileNameA into 260 bytes): the INI file beside
// the program and the INI path of the main window are made from it.
#pragma once

#include <string>

namespace k470 {

std::string ProgramPath();

}  // namespace k470
