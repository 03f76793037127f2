// A job that must not be cut short keeps the session from ending: while it runs, the main
// window carries a reason that the system shows at logoff or shutdown, and the window
// answers the end-session query with no.
#pragma once

#include <windows.h>

namespace k470 {

// The names under which the system lists a running job (the progress dialogs' titles).
constexpr const char* kJobNameRamLoad = "RAM LOAD";
constexpr const char* kJobNameFlashWrite = "FLASH WRITE";

// `window` is any window of the program; the reason goes to its top-level window.
void BlockSessionEnd(HWND window, const char* jobName);
void UnblockSessionEnd(HWND window);

}  // namespace k470
