// The open-file dialogs of the browse buttons (the pages' file selectors and the options
// dialog's application name) and their filters.
#pragma once

#include <string>

#include "ui/wnd.h"

#include <shellapi.h>

namespace k470 {

// The open-file dialog as both browse buttons use it. filter: entries separated by "|"
// and ended by "||"; initialFolder may be empty. Returns true with the path on OK; a name
// the program cannot open as it is shown is refused (TakeUserPath) and returns false.
bool RunOpenFileDialog(const char* filter, const std::string& initialFolder, std::string* path);

// A file name from the user (UTF-16) as the program's path. A name the program's file
// functions would not open as the file it names (a name outside the code pages, see
// UserPathToProgram) shows the message of a file that cannot be opened over `owner` and
// returns false: it never becomes a path that opens a different file.
bool TakeUserPath(HWND owner, const wchar_t* name, std::string* path);

// The first file of a drop through TakeUserPath; the drop is finished (DragFinish) here.
bool TakeDroppedFile(HWND owner, HDROP drop, std::string* path);

// Filters of the two open-file dialogs.
constexpr const char* kMotFileFilter = "Motorola S Format (*.mot)|*.mot|All Files (*.*)|*.*||";
constexpr const char* kAppFileFilter =
    "exe file (*.exe)|*.exe|com file (*.com)|*.com|bat file (*.bat)|*.bat|All Files (*.*)|*.*||";

}  // namespace k470
