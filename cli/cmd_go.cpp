// k470 go: sends the monitor's go command alone.
#include <cstdio>

#include "cli/cli_args.h"
#include "cli/cli_port.h"
#include "cli/commands.h"
#include "cli/console_target.h"
#include "monitor/go_command.h"
#include "serial/com_port.h"

namespace k470::cli {
namespace {
constexpr const char* kUsage =
    "usage: k470 go --port P --address HEX [--json]\n"
    "  Starts the program in the RAM of the board on port P (COMn, n or a device path)\n"
    "  at the address: sends the monitor's go command; nothing is read back.\n";
}

int CmdGo(int argc, char** argv) {
  ArgParser args;
  if (!args.Parse(argc, argv, {{"--port", true}, {"--address", true}, {"--json", false}})) {
    return UsageError(kUsage, args.Error());
  }
  if (args.HelpRequested()) return PrintUsage(kUsage);
  if (!args.Positionals().empty()) return UsageError(kUsage, "unexpected argument: " + args.Positionals()[0]);
  if (!args.Has("--port") || args.Value("--port").empty()) return UsageError(kUsage, "--port is needed");
  uint32_t address = 0;
  if (!args.Has("--address") || !ParseHex(args.Value("--address"), &address)) {
    return UsageError(kUsage, "--address needs a hexadecimal address");
  }
  CComPort port;
  ConsoleTarget target(ConsoleModeFor(args.Has("--json")));
  if (!OpenPortArgument(args.Value("--port"), &port, &target)) {
    target.Finish(kExitFailed, 0);
    return kExitFailed;
  }
  if (!SendGoCommand(&port, address)) {
    NoteGoFailed(port);
    target.Finish(kExitFailed, 0);
    return kExitFailed;
  }
  target.Finish(kExitOk, 0);
  return kExitOk;
}

}  // namespace k470::cli
