// Console side for POSIX systems: SIGINT through sigaction, isatty, UTF-8 texts as they are.
#include <signal.h>
#include <unistd.h>

#include <atomic>

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

std::string ToConsoleText(const char* text) { return text; }

std::string ToUtf8Text(const char* text) { return text; }

}  // namespace k470::cli
