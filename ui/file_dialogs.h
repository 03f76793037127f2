// The open-file dialogs of the browse buttons (the pages' file selectors and the options
// dialog's application name) and their filters.
#pragma once

#include <string>

#include "ui/wnd.h"

namespace k470 {

// The open-file dialog as both browse buttons use it. filter: entries separated by "|"
// and ended by "||"; initialFolder may be empty. Returns true with the path on OK.
bool RunOpenFileDialog(const char* filter, const std::string& initialFolder, std::string* path);

// Filters of the two open-file dialogs.
constexpr const char* kMotFileFilter = "Motorola S Format (*.mot)|*.mot|All Files (*.*)|*.*||";
constexpr const char* kAppFileFilter =
    "exe file (*.exe)|*.exe|com file (*.com)|*.com|bat file (*.bat)|*.bat|All Files (*.*)|*.*||";

}  // namespace k470
