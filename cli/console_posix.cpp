// Console side for POSIX systems: SIGINT through sigaction, isatty, UTF-8 texts as they are.
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "cli/cli_args.h"
#include "cli/console.h"

namespace k470::cli {
namespace {

volatile sig_atomic_t g_interrupts = 0;

void OnInterrupt(int) {
  if (g_interrupts != 0) _exit(kExitInterrupted);  // second Ctrl-C: do not wait any more
  g_interrupts = 1;
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return g_interrupts != 0; }

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool EnableTerminalSequences() { return StderrIsTerminal(); }

int TerminalColumns() {
  struct winsize size {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

std::string CutToColumns(const std::string& text, int columns) {
  // UTF-8: the lead byte tells the length; from U+1100 on, most characters of the texts
  // (kana, kanji, the middle dot) are wide.
  constexpr uint32_t kFirstWideCodePoint = 0x1100;
  size_t at = 0;
  int used = 0;
  while (at < text.size()) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    uint32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length && at + i < text.size(); ++i) {
      codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    }
    const int cells = codePoint >= kFirstWideCodePoint ? 2 : 1;
    if (used + cells > columns || at + length > text.size()) break;
    used += cells;
    at += length;
  }
  return text.substr(0, at);
}

std::string ToUtf8Text(const char* text) { return text; }

}  // namespace k470::cli
