// Starting the external application of the options (started on Go) through the shell.
#pragma once

#include <string>

namespace k470 {

// Starts `path` (system code page; blanks in it allowed) as the shell opens it. True when
// it started; else false with the status text in `failure`: kAppNotStarted with the path,
// then the system's reason ("C:\tools\term.exe cannot be started. The system cannot find
// the file specified").
bool RunApplication(const std::string& path, std::wstring* failure);

}  // namespace k470
