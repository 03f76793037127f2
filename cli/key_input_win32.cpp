// Keys on Windows: a console's input without line input, echo and Ctrl-C processing (each
// key event's character at once); a pipe or file read as far as it holds bytes.
#include <windows.h>

#include "cli/key_input.h"

namespace k470::cli {
namespace {

constexpr DWORD kReadChunkBytes = 256;
constexpr DWORD kRawOff = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;

DWORD g_savedMode = 0;
bool g_modeChanged = false;

HANDLE StdinHandle() { return GetStdHandle(STD_INPUT_HANDLE); }

}  // namespace

bool StdoutIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void KeyInput::Begin() {
  HANDLE in = StdinHandle();
  if (!GetConsoleMode(in, &g_savedMode)) return;
  if (!SetConsoleMode(in, g_savedMode & ~kRawOff)) return;
  g_modeChanged = true;
  m_raw = true;
}

void KeyInput::Restore() {
  if (!g_modeChanged) return;
  SetConsoleMode(StdinHandle(), g_savedMode);
  g_modeChanged = false;
  m_raw = false;
}

bool KeyInput::Read(std::string* bytes) {
  HANDLE in = StdinHandle();
  if (m_ended || in == nullptr || in == INVALID_HANDLE_VALUE) return false;
  if (m_raw) {
    DWORD waiting = 0;
    while (GetNumberOfConsoleInputEvents(in, &waiting) && waiting > 0) {
      INPUT_RECORD record;
      DWORD read = 0;
      if (!ReadConsoleInputA(in, &record, 1, &read) || read == 0) return false;
      if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
      const char c = record.Event.KeyEvent.uChar.AsciiChar;
      if (c == 0) continue;  // a key without a character (shift, arrows)
      if (c == kMonitorQuitKey) return true;
      for (WORD i = 0; i < record.Event.KeyEvent.wRepeatCount; ++i) *bytes += c;
    }
    return false;
  }
  for (;;) {
    DWORD available = kReadChunkBytes;
    const DWORD type = GetFileType(in);
    if (type == FILE_TYPE_PIPE) {
      if (!PeekNamedPipe(in, nullptr, 0, nullptr, &available, nullptr)) {
        m_ended = true;  // the writer has closed the pipe
        break;
      }
      if (available == 0) return false;
    } else if (type != FILE_TYPE_DISK) {
      m_ended = true;  // the null device: no keys
      return false;
    }
    char chunk[kReadChunkBytes];
    DWORD read = 0;
    if (!ReadFile(in, chunk, available < sizeof chunk ? available : sizeof chunk, &read, nullptr) ||
        read == 0) {
      m_ended = true;
      break;
    }
    if (TakeLines(chunk, read, bytes)) return true;
  }
  if (!m_line.empty()) *bytes += m_line;
  m_line.clear();
  return false;
}

}  // namespace k470::cli
