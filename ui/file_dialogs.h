// The open-file dialogs of the browse buttons (the pages' file selectors and the options
// dialog's application name), their filters, and the names the user gives through them,
// through a drop or by typing.
#pragma once

#include <string>

#include "ui/wnd.h"

#include <shellapi.h>

namespace k470 {

// The open-file dialog as both browse buttons use it. filter: entries separated by "|"
// and ended by "||"; initialFolder (system code page) may be empty. Returns true with the
// path on OK; a name refused by TakeUserPath returns false.
bool RunOpenFileDialog(const char* filter, const std::string& initialFolder, std::string* path);

// A file name from the user (UTF-16) as the program's path, in the system's ANSI code page.
// A name that code page cannot hold (テスト.mot on an English Windows: the program's file
// functions could not open it) is refused with kNameNotInCodePage over `owner` and false:
// it never becomes a path that opens a different file.
bool TakeUserPath(HWND owner, const wchar_t* name, std::string* path);

// The first file of a drop through TakeUserPath; the drop is finished (DragFinish) here.
bool TakeDroppedFile(HWND owner, HDROP drop, std::string* path);

// An error box over `owner`: the program's `text`, the name on the line below it.
void ShowRefusedName(HWND owner, const char* text, const std::wstring& name);

// Filters of the two open-file dialogs.
constexpr const char* kMotFileFilter = "Motorola S Format (*.mot)|*.mot|All Files (*.*)|*.*||";
constexpr const char* kAppFileFilter =
    "exe file (*.exe)|*.exe|com file (*.com)|*.com|bat file (*.bat)|*.bat|All Files (*.*)|*.*||";

}  // namespace k470
