// The user's keys for the board during the monitor, and whether stdout is a terminal.
// With a terminal on stdin it is put into raw mode, so that each key goes at once (Enter
// as CR, Ctrl-C as its byte); piped, whole lines go, each ended by CR. Ctrl-] ends the
// monitor. Platform halves: key_input_posix.cpp, key_input_win32.cpp.
#pragma once

#include <string>

namespace k470::cli {

// The key that ends the monitor: Ctrl-] (GS).
constexpr char kMonitorQuitKey = 0x1D;

class KeyInput {
 public:
  KeyInput() = default;
  ~KeyInput() { Restore(); }
  KeyInput(const KeyInput&) = delete;
  KeyInput& operator=(const KeyInput&) = delete;

  // Takes stdin: raw mode on a terminal. The terminal's settings are given back by
  // Restore, also when a second signal ends the program at once.
  void Begin();
  // Gives the terminal its settings back; harmless when nothing was changed.
  void Restore();
  // Adds to `bytes` what the user has typed since the last look, without waiting; true
  // when Ctrl-] was among it (what came before it is still added).
  bool Read(std::string* bytes);
  bool Raw() const { return m_raw; }

 private:
  // Bytes of a piped stdin: whole lines go, LF (or CR LF) as CR.
  bool TakeLines(const char* text, size_t n, std::string* bytes);
  bool m_raw = false;
  bool m_ended = false;  // stdin reached its end (or cannot be read)
  std::string m_line;    // piped: the line not yet ended
};

// From now on stdout carries the bytes as they are written (Windows would write LF as
// CR LF): the board's output reaches a pipe or file unchanged.
void StdoutAsBytes();

// True when stdout goes to a terminal (the board's control characters are then escaped).
bool StdoutIsTerminal();

}  // namespace k470::cli
