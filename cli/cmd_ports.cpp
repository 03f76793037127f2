// k470 ports: the serial ports present, one "COMn  <device>" a line.
#include <cstdio>

#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/json_line.h"
#include "serial/port_names.h"

namespace k470::cli {
namespace {
constexpr const char* kUsage =
    "usage: k470 ports [--json]\n"
    "  Lists the serial ports present, one \"COMn  <device>\" a line (with --json one\n"
    "  {\"event\":\"port\",\"name\":...,\"device\":...} a line).\n";
}

int CmdPorts(int argc, char** argv) {
  ArgParser args;
  if (!args.Parse(argc, argv, {{"--json", false}})) return UsageError(kUsage, args.Error());
  if (args.HelpRequested()) return PrintUsage(kUsage);
  if (!args.Positionals().empty()) return UsageError(kUsage, "unexpected argument: " + args.Positionals()[0]);
  for (const PortEntry& entry : EnumeratePorts()) {
    if (args.Has("--json")) {
      JsonLine("port").Text("name", "COM" + std::to_string(entry.number))
          .Text("device", entry.device).Emit();
    } else {
      std::printf("COM%d  %s\n", entry.number, EscapeControls(entry.device).c_str());
    }
  }
  return kExitOk;
}

}  // namespace k470::cli
