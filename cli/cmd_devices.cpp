// k470 devices: not part of this build yet.
#include <cstdio>

#include "cli/cli_args.h"
#include "cli/commands.h"

namespace k470::cli {

int CmdDevices(int, char**) {
  std::fprintf(stderr, "k470 devices: not available\n");
  return kExitFailed;
}

}  // namespace k470::cli
