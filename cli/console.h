// The console's platform side: Ctrl-C, whether stderr is a terminal and how wide it is,
// and the texts' cells and UTF-8 (console_posix.cpp, console_win32.cpp).
#pragma once

#include <atomic>
#include <string>

namespace k470::cli {

// From now on Ctrl-C (and on POSIX systems SIGTERM and SIGHUP: a stopped service, a
// closed terminal) only raises the interrupt flag, so that the running job can be
// cancelled and waited for; a second one ends the program at once with its status. A
// write into a closed pipe fails as a write (no SIGPIPE).
void InstallInterruptHandler();

// While one lives, Ctrl-C (SIGTERM, SIGHUP) ends the program at once with the interrupt's
// status, and one that came before ends it as it is made: for a wait of the command's own
// thread that no cancel flag reaches and that holds nothing to give back, such as the
// open of a FIFO that no reader has opened yet. stdout and stderr are flushed first.
class InterruptEndsProgram {
 public:
  InterruptEndsProgram();
  ~InterruptEndsProgram();
  InterruptEndsProgram(const InterruptEndsProgram&) = delete;
  InterruptEndsProgram& operator=(const InterruptEndsProgram&) = delete;
};

// True once Ctrl-C (or SIGTERM, SIGHUP) has come.
bool InterruptRequested();

// The interrupt flag itself, non-zero once InterruptRequested(): the cancel flag of waits
// that run on the command's own thread (a network port's connect).
const std::atomic<int>* InterruptFlag();

// The exit status of an interrupted command: 130 for Ctrl-C, 143 for SIGTERM, 129 for
// SIGHUP (128 and the signal's number, as a shell reports it).
int InterruptExitStatus();

// A text from a file, a port or the command line as the console shows it: control
// characters as \xNN, so that none of them reaches the terminal (an escape sequence in a
// table's name, a bell in a port's name).
std::string EscapeControls(const std::string& text);

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

// The cells that a text of the program (its own encoding) fills on a terminal: a wide
// (Japanese) character two, any other one.
int TextColumns(const std::string& text);

// A text of the program in UTF-8, whatever the build's own encoding (the JSON events).
std::string ToUtf8Text(const char* text);

// A text of the system in UTF-8: a file or port name as the user typed it, the system's
// reason for a failure, a value of the device table. On Windows such texts are in the
// system's code page, which need not be the program's own.
std::string SystemTextToUtf8(const char* text);

}  // namespace k470::cli
