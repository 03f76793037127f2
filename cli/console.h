// The console's platform side: Ctrl-C, whether stderr is a terminal and how wide it is,
// and the texts' cells and UTF-8 (console_posix.cpp, console_win32.cpp).
#pragma once

#include <string>

namespace k470::cli {

// From now on Ctrl-C only raises the interrupt flag, so that the running job can be
// cancelled and waited for; a second Ctrl-C ends the program at once with status 130.
void InstallInterruptHandler();

// True once Ctrl-C has been pressed.
bool InterruptRequested();

// True when stderr goes to a terminal (progress is then drawn as a bar).
bool StderrIsTerminal();

// Lets the terminal on stderr take cursor movements (the progress lines of many boards);
// false when it cannot, and the lines are then printed one after another.
bool EnableTerminalSequences();

// The width of the terminal on stderr in columns; 0 when it is unknown.
int TerminalColumns();

// The longest start of a text of the program (its own encoding) that fills at most
// `columns` cells of a terminal: a character is never cut in two, and a wide (Japanese)
// character takes two cells.
std::string CutToColumns(const std::string& text, int columns);

// A text of the program in UTF-8, whatever the build's own encoding (the JSON events).
std::string ToUtf8Text(const char* text);

}  // namespace k470::cli
