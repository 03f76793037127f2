// The program's path and folder, and the files the program expects below it (bin/fw.dat,
// bin/36077.mot). The platform half (program_folder_win32.cpp / _posix.cpp) knows how to
// find the executable and which path separator the platform uses.
#pragma once

#include <string>

namespace k470 {

// The running executable's full path, as the system gives it (on Windows at most 259
// bytes): the INI file beside the program and the main window's INI path are made from it.
std::string ProgramPath();

// The folder of the running executable, ending with the platform's separator; empty when
// it cannot be found.
std::string ProgramFolder();

// The platform's path separator: "\\" on Windows, "/" elsewhere.
const char* PathSeparator();

// `folder` (ending with a separator, or empty) + "bin" + separator + `name`; natively, for
// an installed program (`folder` is <prefix>/bin/ and <prefix>/share/k470/ exists),
// <prefix>/share/k470/`name`.
std::string BinFilePath(const std::string& folder, const char* name);

}  // namespace k470
