// Console side for POSIX systems: SIGINT, SIGTERM and SIGHUP through sigaction, isatty,
// UTF-8 texts as they are.
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/cli_args.h"
#include "cli/console.h"

namespace k470::cli {
namespace {

// The first interrupting signal's number; 0 while none came. Lock-free, so the handler
// may store it.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler stores it");

// Set while an InterruptEndsProgram lives.
std::atomic<int> g_endAtOnce{0};

void OnInterrupt(int signal) {
  int none = 0;
  // A second signal: do not wait any more.
  if (!g_signal.compare_exchange_strong(none, signal)) _exit(128 + signal);
  // A wait that nothing else would end; the handler runs on any of the threads.
  if (g_endAtOnce.load() != 0) _exit(128 + signal);
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  // A closed pipe on stdout or stderr makes the write fail, which the command then sees.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

InterruptEndsProgram::InterruptEndsProgram() {
  std::fflush(stdout);
  std::fflush(stderr);
  // Raised before the flag is looked at: a signal in between is seen by one of the two.
  g_endAtOnce.store(1);
  if (g_signal.load() != 0) _exit(InterruptExitStatus());
}

InterruptEndsProgram::~InterruptEndsProgram() { g_endAtOnce.store(0); }

bool InterruptRequested() { return g_signal.load() != 0; }

const std::atomic<int>* InterruptFlag() { return &g_signal; }

int InterruptExitStatus() {
  const int signal = g_signal.load();
  return signal == 0 ? kExitInterrupted : 128 + signal;
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool EnableTerminalSequences() { return StderrIsTerminal(); }

int TerminalColumns() {
  struct winsize size {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

namespace {

// The UTF-8 character at `at`: its length in bytes and its cells. The lead byte tells the
// length; from U+1100 on, most characters of the texts (kana, kanji, the middle dot) are
// wide.
size_t CharAt(const std::string& text, size_t at, int* cells) {
  constexpr uint32_t kFirstWideCodePoint = 0x1100;
  const auto lead = static_cast<unsigned char>(text[at]);
  const size_t length =
      lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  uint32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length && at + i < text.size(); ++i) {
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  }
  *cells = codePoint >= kFirstWideCodePoint ? 2 : 1;
  return length;
}

}  // namespace

std::string CutToColumns(const std::string& text, int columns) {
  size_t at = 0;
  int used = 0;
  while (at < text.size()) {
    int cells = 0;
    const size_t length = CharAt(text, at, &cells);
    if (used + cells > columns || at + length > text.size()) break;
    used += cells;
    at += length;
  }
  return text.substr(0, at);
}

int TextColumns(const std::string& text) {
  int used = 0;
  for (size_t at = 0; at < text.size();) {
    int cells = 0;
    at += CharAt(text, at, &cells);
    used += cells;
  }
  return used;
}

std::string ToUtf8Text(const char* text) { return text; }

std::string SystemTextToUtf8(const char* text) { return text; }

std::string EscapeControls(const std::string& text) {
  // C0 controls and DEL, and the C1 controls that UTF-8 writes as C2 80 .. C2 9F (a
  // terminal takes U+009B for the start of a sequence).
  constexpr unsigned char kDelete = 0x7F;
  constexpr unsigned char kC1Lead = 0xC2;
  constexpr unsigned char kC1First = 0x80;
  constexpr unsigned char kC1Last = 0x9F;
  std::string out;
  out.reserve(text.size());
  char escaped[8];
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == kDelete) {
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else if (c == kC1Lead && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= kC1First &&
               static_cast<unsigned char>(text[i + 1]) <= kC1Last) {
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(text[++i]));
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace k470::cli
