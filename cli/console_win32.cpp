// Console side for Windows: SetConsoleCtrlHandler, console detection, and texts converted
// from the system's code page to the console's output code page when they differ.
#include <windows.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "cli/cli_args.h"
#include "cli/console.h"

namespace k470::cli {
namespace {

std::atomic<int> g_interrupts{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (g_interrupts.exchange(1) != 0) ExitProcess(kExitInterrupted);  // second Ctrl-C
  return TRUE;
}

bool StderrIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace

void InstallInterruptHandler() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool InterruptRequested() { return g_interrupts.load() != 0; }

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0 && StderrIsConsole(); }

bool EnableTerminalSequences() {
  // Consoles before Windows 10 refuse the mode: their boards' lines are then plain lines.
  constexpr DWORD kVirtualTerminalProcessing = 0x0004;
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
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

std::string ToConsoleText(const char* text) {
  // Redirected output keeps the program's own code page; a console whose code page
  // differs (chcp 65001, say) gets the text converted.
  const UINT consoleCp = GetConsoleOutputCP();
  if (!StderrIsConsole() || consoleCp == 0 || consoleCp == GetACP()) return text;
  return Recode(text, CP_ACP, consoleCp);
}

std::string ToUtf8Text(const char* text) {
  // The program's own texts are in code page 932, whatever the system's code page.
  constexpr UINT kProgramCodePage = 932;
  return Recode(text, kProgramCodePage, CP_UTF8);
}

}  // namespace k470::cli
