// k470: the command-line tool. Picks the command named by the first argument.
#include <cstdio>
#include <cstring>

#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/console.h"

namespace {

void PrintToolUsage(FILE* out) {
  std::fprintf(out, "usage: k470 <command> [arguments]   (k470 <command> --help for more)\n\n");
  for (size_t i = 0; i < k470::cli::kCommandCount; ++i) {
    std::fprintf(out, "  %-9s %s\n", k470::cli::kCommands[i].name, k470::cli::kCommands[i].summary);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace k470::cli;
  if (argc < 2) {
    PrintToolUsage(stderr);
    return kExitUsage;
  }
  if (IsHelpArgument(argv[1]) || std::strcmp(argv[1], "help") == 0) {
    PrintToolUsage(stdout);
    return kExitOk;
  }
  const CliCommand* command = FindCommand(argv[1]);
  if (!command) {
    std::fprintf(stderr, "k470: unknown command: %s\n\n", argv[1]);
    PrintToolUsage(stderr);
    return kExitUsage;
  }
  InstallInterruptHandler();
  return command->run(argc - 1, argv + 1);
}
