// Starting the external application of the options (started on Go) through the shell.
#pragma once

#include <string>

namespace k470 {

// The application's status text when it cannot be started: its name, then the system's
// reason ("C:\tools\term.exeが起動できません。 The system cannot find the file specified").
constexpr const char* kTextAppNotStarted = "が起動できません。";

// Starts `path` (system code page; blanks in it allowed) as the shell opens it. True when
// it started; else false with the status text above in `failure`.
bool RunApplication(const std::string& path, std::wstring* failure);

}  // namespace k470
