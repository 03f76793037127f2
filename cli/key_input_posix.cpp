// Keys on POSIX systems: termios raw mode on a terminal, poll() and read() on stdin. A
// second interrupting signal ends the program at once: the handler in front of the
// tool's own gives the terminal back first.
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "cli/console.h"
#include "cli/key_input.h"

namespace k470::cli {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr size_t kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr size_t kReadChunkBytes = 256;

// The terminal's settings while raw mode is on; read by the signal handler.
struct termios g_saved;
volatile sig_atomic_t g_rawOn = 0;
struct sigaction g_previous[kSignalCount];

void RestoreOnSignal(int signal) {
  // A second signal ends the program inside the previous handler: give the terminal back
  // before (tcsetattr may be called in a signal handler).
  if (InterruptRequested() && g_rawOn) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
  for (size_t i = 0; i < kSignalCount; ++i) {
    if (kSignals[i] == signal && g_previous[i].sa_handler != SIG_DFL &&
        g_previous[i].sa_handler != SIG_IGN) {
      g_previous[i].sa_handler(signal);
    }
  }
}

}  // namespace

void StdoutAsBytes() {}  // POSIX writes bytes as they are

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

void KeyInput::Begin() {
  if (isatty(STDIN_FILENO) != 1 || tcgetattr(STDIN_FILENO, &g_saved) != 0) return;
  struct termios raw = g_saved;
  // Each key at once, not echoed; Ctrl-C, Ctrl-Z and Ctrl-S are bytes for the board, and
  // Enter stays CR. The output's processing stays as it was.
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
  raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL | INLCR | IGNCR | ISTRIP));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  struct sigaction action {};
  action.sa_handler = RestoreOnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &action, &g_previous[i]);
  g_rawOn = 1;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
    Restore();
    return;
  }
  m_raw = true;
}

void KeyInput::Restore() {
  if (!g_rawOn) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
  g_rawOn = 0;
  for (size_t i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  m_raw = false;
}

bool KeyInput::Read(std::string* bytes) {
  while (!m_ended) {
    struct pollfd in = {STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, 0) <= 0 || !(in.revents & (POLLIN | POLLHUP | POLLERR))) return false;
    char chunk[kReadChunkBytes];
    const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
      // The end of a piped stdin (or a terminal that went away): the monitor goes on
      // without keys.
      m_ended = true;
      if (!m_raw && !m_line.empty()) *bytes += m_line;
      return false;
    }
    if (!m_raw) {
      if (TakeLines(chunk, static_cast<size_t>(n), bytes)) return true;
      continue;
    }
    for (ssize_t i = 0; i < n; ++i) {
      if (chunk[i] == kMonitorQuitKey) return true;
      *bytes += chunk[i];
    }
  }
  return false;
}

}  // namespace k470::cli
