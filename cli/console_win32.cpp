// Console side for Windows: SetConsoleCtrlHandler, console detection, and stderr on a
// console written as UTF-16 (WriteConsoleW), so that the program's code page 932 texts read
// the same whatever code page the console or the system uses. Redirected, stderr carries
// the code page 932 bytes as they are; stdout is never touched (the JSON events are UTF-8).
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/mbcs.h"
#include "cli/cli_args.h"
#include "cli/console.h"

namespace k470::cli {
namespace {

std::atomic<int> g_interrupts{0};
// Set while an InterruptEndsProgram lives.
std::atomic<int> g_endAtOnce{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (g_interrupts.exchange(1) != 0) ExitProcess(kExitInterrupted);  // second Ctrl-C
  if (g_endAtOnce.load() != 0) ExitProcess(kExitInterrupted);
  return TRUE;
}

// The program's texts are in code page 932, whatever the system's code page.
constexpr UINT kProgramCodePage = 932;
constexpr DWORD kPipeBytes = 4096;
constexpr DWORD kDrainWaitMs = 2000;  // at exit, for the last texts to reach the console

// stderr on a console: fd 2 becomes a pipe whose far end a thread reads, converting the
// bytes from code page 932 and writing them with WriteConsoleW. A character cut in two by
// the pipe is kept until its second byte arrives.
class ConsoleWriter {
 public:
  ConsoleWriter() {
    DWORD mode = 0;
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    if (console == nullptr || console == INVALID_HANDLE_VALUE) return;
    if (GetConsoleMode(console, &mode) == 0) return;
    // A handle of our own: moving the pipe onto fd 2 closes the one fd 2 held.
    HANDLE own = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), console, GetCurrentProcess(), &own, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
      return;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, kPipeBytes)) {
      CloseHandle(own);
      return;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_BINARY);
    if (fd < 0) {
      CloseHandle(readEnd);
      CloseHandle(writeEnd);
      CloseHandle(own);
      return;
    }
    m_console = own;
    m_readEnd = readEnd;
    m_thread = CreateThread(nullptr, 0, &ConsoleWriter::Pump, this, 0, nullptr);
    if (m_thread == nullptr) CloseHandle(readEnd);
    if (m_thread == nullptr || _dup2(fd, _fileno(stderr)) != 0) {
      // stderr stays as it was: the thread, if any, sees the pipe's end and stops.
      _close(fd);
      if (m_thread != nullptr) {
        WaitForSingleObject(m_thread, kDrainWaitMs);
        CloseHandle(m_thread);
        m_thread = nullptr;
      }
      CloseHandle(own);
      m_console = nullptr;
      return;
    }
    _close(fd);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::atexit(&ConsoleWriter::Drain);
  }

  bool IsConsole() const { return m_console != nullptr; }
  HANDLE Console() const { return m_console; }

  // Ends the pipe and waits for the thread to write what is left.
  static void Drain();

 private:
  static DWORD WINAPI Pump(void* self) {
    static_cast<ConsoleWriter*>(self)->Run();
    return 0;
  }

  void Run() {
    std::vector<char> bytes;
    char chunk[kPipeBytes];
    DWORD got = 0;
    while (ReadFile(m_readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
      bytes.insert(bytes.end(), chunk, chunk + got);
      size_t whole = 0;
      while (whole < bytes.size()) {
        const bool lead = IsMbcsLead(static_cast<unsigned char>(bytes[whole]));
        if (lead && whole + 1 == bytes.size()) break;  // the second byte is still to come
        whole += lead ? 2 : 1;
      }
      Write(bytes.data(), whole);
      bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(whole));
    }
    Write(bytes.data(), bytes.size());
    CloseHandle(m_readEnd);
  }

  void Write(const char* bytes, size_t size) {
    if (size == 0) return;
    const int length = MultiByteToWideChar(kProgramCodePage, 0, bytes, static_cast<int>(size),
                                           nullptr, 0);
    if (length <= 0) return;
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(kProgramCodePage, 0, bytes, static_cast<int>(size), wide.data(), length);
    DWORD written = 0;
    WriteConsoleW(m_console, wide.data(), static_cast<DWORD>(length), &written, nullptr);
  }

  HANDLE m_console = nullptr;
  HANDLE m_readEnd = nullptr;
  HANDLE m_thread = nullptr;
};

ConsoleWriter g_stderrWriter;

void ConsoleWriter::Drain() {
  std::fflush(stderr);
  _close(_fileno(stderr));
  if (g_stderrWriter.m_thread != nullptr) {
    WaitForSingleObject(g_stderrWriter.m_thread, kDrainWaitMs);
    CloseHandle(g_stderrWriter.m_thread);
    g_stderrWriter.m_thread = nullptr;
  }
}

}  // namespace

void InstallInterruptHandler() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

InterruptEndsProgram::InterruptEndsProgram() {
  std::fflush(stdout);
  std::fflush(stderr);
  g_endAtOnce.store(1);
  if (g_interrupts.load() != 0) ExitProcess(kExitInterrupted);
}

InterruptEndsProgram::~InterruptEndsProgram() { g_endAtOnce.store(0); }

bool InterruptRequested() { return g_interrupts.load() != 0; }

const std::atomic<int>* InterruptFlag() { return &g_interrupts; }

int InterruptExitStatus() { return kExitInterrupted; }

std::string EscapeControls(const std::string& text) {
  // Code page 932: a lead byte and its second byte go together (no second byte is a
  // control); C0 controls and DEL become \xNN.
  constexpr unsigned char kDelete = 0x7F;
  std::string out;
  out.reserve(text.size());
  char escaped[8];
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsMbcsLead(c) && i + 1 < text.size()) {
      out += text[i];
      out += text[++i];
    } else if (c < 0x20 || c == kDelete) {
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool StderrIsTerminal() { return g_stderrWriter.IsConsole(); }

int TerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  const HANDLE console = g_stderrWriter.Console();
  if (console == nullptr || !GetConsoleScreenBufferInfo(console, &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

std::string CutToColumns(const std::string& text, int columns) {
  // Code page 932: a two-byte character is two cells wide, a single byte one.
  size_t at = 0;
  int used = 0;
  while (at < text.size()) {
    const size_t length = IsMbcsLead(static_cast<unsigned char>(text[at])) ? 2 : 1;
    if (used + static_cast<int>(length) > columns || at + length > text.size()) break;
    used += static_cast<int>(length);
    at += length;
  }
  return text.substr(0, at);
}

int TextColumns(const std::string& text) {
  // Code page 932: a two-byte character is two cells wide, a single byte one.
  return static_cast<int>(text.size());
}

bool EnableTerminalSequences() {
  // Consoles before Windows 10 refuse the mode: their boards' lines are then plain lines.
  constexpr DWORD kVirtualTerminalProcessing = 0x0004;
  // The console's own handle: fd 2 and the standard handle are the writer's pipe now.
  const HANDLE err = g_stderrWriter.Console();
  DWORD mode = 0;
  if (err == nullptr) return false;
  if (!GetConsoleMode(err, &mode)) return false;
  return (mode & kVirtualTerminalProcessing) != 0 ||
         SetConsoleMode(err, mode | kVirtualTerminalProcessing) != 0;
}

namespace {

// `text` from code page `from` into code page `to`; unchanged when it cannot be converted.
std::string Recode(const char* text, UINT from, UINT to) {
  const int wide = MultiByteToWideChar(from, 0, text, -1, nullptr, 0);
  if (wide <= 0) return text;
  std::vector<wchar_t> w(static_cast<size_t>(wide));
  MultiByteToWideChar(from, 0, text, -1, w.data(), wide);
  const int narrow = WideCharToMultiByte(to, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return text;
  std::vector<char> n(static_cast<size_t>(narrow));
  WideCharToMultiByte(to, 0, w.data(), -1, n.data(), narrow, nullptr, nullptr);
  return std::string(n.data());
}

}  // namespace

std::string ToUtf8Text(const char* text) { return Recode(text, kProgramCodePage, CP_UTF8); }

std::string SystemTextToUtf8(const char* text) { return Recode(text, CP_ACP, CP_UTF8); }

}  // namespace k470::cli
