// What the board sends during the monitor, made fit for where it goes: a terminal (its
// control characters shown escaped), a JSON text (valid UTF-8) and a log file (lines with
// a time stamp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace k470::cli {

// The bytes as a terminal shows them safely: control characters other than CR, LF, TAB
// and BS (and DEL) as \xNN, everything else as it is.
std::string EscapedForTerminal(const uint8_t* bytes, size_t n);

// The board's bytes as UTF-8 text, piece by piece: a character cut between two pieces is
// kept for the next one; a byte that starts no character becomes the text \xNN.
class Utf8Pieces {
 public:
  std::string Take(const uint8_t* bytes, size_t n);
  // What is left at the end (a cut character, escaped).
  std::string Rest();

 private:
  std::string m_tail;  // at most the first three bytes of a character
};

// A log file that lines are appended to, each with the time its first byte arrived.
class LogLines {
 public:
  static constexpr size_t kMaxLineBytes = 4096;  // a longer line is cut into pieces
  ~LogLines() { Close(); }
  // Opens `path` for appending; false with the system's reason.
  bool Open(const std::string& path, std::string* reason);
  // Bytes that arrived at `stamp` (the text in front of each line that starts here).
  void Take(const uint8_t* bytes, size_t n, const std::string& stamp);
  // Writes a line not yet ended, and closes the file.
  void Close();
  bool Failed() const { return m_failed; }

 private:
  void EndLine();
  FILE* m_file = nullptr;
  std::string m_line;
  bool m_lineOpen = false;
  bool m_failed = false;
};

// The time stamp of a log line: local time, "2026-12-08 16:50:34.123".
std::string LogStamp();

}  // namespace k470::cli
