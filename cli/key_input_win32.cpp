// Keys on Windows: a console's input without line input, echo and Ctrl-C processing (each
// key event's character at once); a pipe or file read by a thread of its own, since a
// pipe cannot always be asked how much it holds (Wine's pipes from the host cannot).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/key_input.h"

namespace k470::cli {
namespace {

constexpr DWORD kReadChunkBytes = 256;
constexpr DWORD kRawOff = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;

DWORD g_savedMode = 0;
bool g_modeChanged = false;

HANDLE StdinHandle() { return GetStdHandle(STD_INPUT_HANDLE); }

// What the reading thread has taken from a piped stdin. The thread blocks in ReadFile
// until the writer sends or closes; it is left to the program's end.
struct PipedKeys {
  std::mutex mutex;
  std::string bytes;
  bool ended = false;
};

std::shared_ptr<PipedKeys> StartPipeReader() {
  auto keys = std::make_shared<PipedKeys>();
  std::thread([keys] {
    HANDLE in = StdinHandle();
    char chunk[kReadChunkBytes];
    for (;;) {
      DWORD read = 0;
      const bool ok = ReadFile(in, chunk, sizeof chunk, &read, nullptr) != 0;
      std::lock_guard<std::mutex> lock(keys->mutex);
      if (!ok || read == 0) {
        keys->ended = true;
        return;
      }
      keys->bytes.append(chunk, read);
    }
  }).detach();
  return keys;
}

}  // namespace

void StdoutAsBytes() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

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
  static std::shared_ptr<PipedKeys> piped;
  const DWORD type = GetFileType(in);
  if (type != FILE_TYPE_PIPE && type != FILE_TYPE_DISK) {
    m_ended = true;  // the null device: no keys
    return false;
  }
  if (!piped) piped = StartPipeReader();
  std::string taken;
  bool ended = false;
  {
    std::lock_guard<std::mutex> lock(piped->mutex);
    taken.swap(piped->bytes);
    ended = piped->ended;
  }
  if (TakeLines(taken.data(), taken.size(), bytes)) return true;
  if (!ended) return false;
  m_ended = true;
  if (!m_line.empty()) *bytes += m_line;
  m_line.clear();
  return false;
}

}  // namespace k470::cli
