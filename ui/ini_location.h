// Locating the INI file at start: the file beside the program when it exists, else one in
// the user's application-data folder below "Velmora\K470Loader\" (made through the
// companion library). Returns that path, or empty for the file beside the program.
#pragma once

#include <string>

namespace k470 {

std::string LocateProgramIniFile(const std::string& programPath);

}  // namespace k470
