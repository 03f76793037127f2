// k470: the command-line tool. Picks the command named by the first argument.
#include <cstdio>
#include <cstring>

#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/job_runner.h"
#include "base/build_info.h"
#include "base/language.h"
#include "base/std_descriptors.h"

namespace {

void PrintToolUsage(FILE* out) {
  std::fprintf(out, "usage: k470 <command> [arguments]   (k470 <command> --help for more)\n"
                   "       k470 --version                the program's version and commit\n\n");
  for (size_t i = 0; i < k470::cli::kCommandCount; ++i) {
    std::fprintf(out, "  %-9s %s\n", k470::cli::kCommands[i].name, k470::cli::kCommands[i].summary);
  }
}

// A command whose output did not arrive (a full disk, a closed pipe) has not done its
// work, whatever its job did: it ends with status 1.
int WithOutputChecked(int status) {
  using namespace k470::cli;
  const bool stdoutLost = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  if (stdoutLost) std::fputs("k470: the output could not be written\n", stderr);
  const bool lost = stdoutLost || std::fflush(stderr) != 0 || OutputFailed();
  return lost && status == kExitOk ? kExitFailed : status;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace k470::cli;
  // Before anything is opened: no port may take the number of a closed stdout.
  k470::OpenClosedStdDescriptors();
  InstallInterruptHandler();
  // The job messages in the user's language, before any job's thread runs.
  k470::SetLanguage(k470::LanguageOfUser());
  if (argc < 2) {
    PrintToolUsage(stderr);
    return WithOutputChecked(kExitUsage);
  }
  if (IsHelpArgument(argv[1]) || std::strcmp(argv[1], "help") == 0) {
    PrintToolUsage(stdout);
    return WithOutputChecked(kExitOk);
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s\n", k470::VersionLine("k470").c_str());
    return WithOutputChecked(kExitOk);
  }
  const CliCommand* command = FindCommand(argv[1]);
  if (!command) {
    std::fprintf(stderr, "k470: unknown command: %s\n\n", EscapeControls(argv[1]).c_str());
    PrintToolUsage(stderr);
    return WithOutputChecked(kExitUsage);
  }
  return WithOutputChecked(command->run(argc - 1, argv + 1));
}
