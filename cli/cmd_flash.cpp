// k470 flash: not part of this build yet.
#include <cstdio>

#include "cli/cli_args.h"
#include "cli/commands.h"

namespace k470::cli {

int CmdFlash(int, char**) {
  std::fprintf(stderr, "k470 flash: not available\n");
  return kExitFailed;
}

}  // namespace k470::cli
