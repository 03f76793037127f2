// k470 ports: the serial ports present, one "COMn  <device>" a line.
#include <cstdio>

#include "cli/cli_args.h"
#include "cli/commands.h"
#include "serial/port_names.h"

namespace k470::cli {
namespace {
constexpr const char* kUsage =
    "usage: k470 ports\n"
    "  Lists the serial ports present, one \"COMn  <device>\" a line.\n";
}

int CmdPorts(int argc, char** argv) {
  ArgParser args;
  if (!args.Parse(argc, argv, {})) return UsageError(kUsage, args.Error());
  if (args.HelpRequested()) return PrintUsage(kUsage);
  if (!args.Positionals().empty()) return UsageError(kUsage, "unexpected argument: " + args.Positionals()[0]);
  for (const PortEntry& entry : EnumeratePorts()) {
    std::printf("COM%d  %s\n", entry.number, entry.device.c_str());
  }
  return kExitOk;
}

}  // namespace k470::cli
