// k470 ports: the serial ports present and what the system says of each, as a table or as
// one JSON event a port.
#include <cstdio>

#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/json_line.h"
#include "cli/port_table.h"
#include "serial/port_names.h"
#include "serial/usb_bridges.h"

namespace k470::cli {
namespace {
constexpr const char* kUsage =
    "usage: k470 ports [--json]\n"
    "  Lists the serial ports present under a header line, one a line: its COMn name,\n"
    "  device, description, USB vendor and product ids (VID:PID), the USB-serial bridge\n"
    "  those ids belong to, serial number and /dev/serial/by-id/ link; \"-\" where not\n"
    "  known. With --json one {\"event\":\"port\",\"name\":...,\"device\":...} a line, with the\n"
    "  fields \"description\", \"vid\", \"pid\", \"bridge\", \"serial\" and \"by_id\" where known.\n";

void EmitPortEvent(const PortEntry& port) {
  JsonLine event("port");
  event.Text("name", "COM" + std::to_string(port.number)).Text("device", port.device);
  if (!port.description.empty()) event.Text("description", port.description);
  const std::string ids = UsbIdsText(port);
  if (!ids.empty()) event.Text("vid", ids.substr(0, 4)).Text("pid", ids.substr(5));
  if (const char* bridge = UsbBridgeName(port.usbVendor, port.usbProduct)) {
    event.Text("bridge", bridge);
  }
  if (!port.serialNumber.empty()) event.Text("serial", port.serialNumber);
  if (!port.byIdPath.empty()) event.Text("by_id", port.byIdPath);
  event.Emit();
}
}  // namespace

int CmdPorts(int argc, char** argv) {
  ArgParser args;
  if (!args.Parse(argc, argv, {{"--json", false}})) return UsageError(kUsage, args.Error());
  if (args.HelpRequested()) return PrintUsage(kUsage);
  if (!args.Positionals().empty()) return UsageError(kUsage, "unexpected argument: " + args.Positionals()[0]);
  const std::vector<PortEntry> ports = EnumeratePorts();
  if (args.Has("--json")) {
    for (const PortEntry& port : ports) EmitPortEvent(port);
  } else {
    std::fputs(PortTable(ports).c_str(), stdout);
  }
  return kExitOk;
}

}  // namespace k470::cli
