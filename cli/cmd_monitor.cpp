// k470 monitor: a terminal on the board's line.
#include <string>
#include <vector>

#include "base/ticks.h"
#include "cli/cli_args.h"
#include "cli/cli_port.h"
#include "cli/commands.h"
#include "cli/console_target.h"
#include "cli/monitor_session.h"
#include "monitor/monitor_line.h"
#include "serial/com_port.h"

namespace k470::cli {
namespace {

constexpr const char* kUsage =
    "usage: k470 monitor --port P [--bps N] [--log FILE] [--raw] [--json]\n"
    "  A terminal on the board's line (38400 bit/s 8N1 unless --bps): what the board\n"
    "  sends goes to stdout as it arrives (on a terminal, control characters other than\n"
    "  CR, LF, TAB and BS shown as \\xNN unless --raw); keys go to the board (from a\n"
    "  terminal each key at once, Enter as CR; piped, line by line). Ctrl-] ends it.\n"
    "  --log appends what the board sends to FILE, each line with a time stamp. With\n"
    "  --json the board's output comes as \"output\" events. Exit status 0 ended by\n"
    "  Ctrl-], 1 failed (the port lost), 130 interrupted.\n";

constexpr uint32_t kMaxBps = 4000000;

}  // namespace

int MonitorArguments(const ArgParser& args, const char* usage, MonitorOptions* options,
                     uint32_t* bps) {
  if (args.Has("--bps") &&
      (!ParseDecimal(args.Value("--bps"), bps) || *bps == 0 || *bps > kMaxBps)) {
    return UsageError(usage, "--bps needs a bit rate (1 .. 4000000)");
  }
  options->raw = args.Has("--raw");
  options->json = args.Has("--json");
  options->logPath = args.Value("--log");
  if (args.Has("--log") && options->logPath.empty()) return UsageError(usage, "--log needs a file");
  return kArgumentsGoOn;
}

int CmdMonitor(int argc, char** argv) {
  ArgParser args;
  std::vector<std::string> ports;
  const int parsed = BoardArguments(argc, argv,
                                    {{"--port", true}, {"--bps", true}, {"--log", true},
                                     {"--raw", false}, {"--json", false}},
                                    kUsage, 0, &args, &ports);
  if (parsed != kArgumentsGoOn) return parsed;
  if (ports.size() != 1) return UsageError(kUsage, "the monitor takes one port");
  MonitorOptions options;
  uint32_t bps = kMonitorLine.baud;
  const int checked = MonitorArguments(args, kUsage, &options, &bps);
  if (checked != kArgumentsGoOn) return checked;

  const uint32_t started = TickCountMs();
  ConsoleTarget target(ConsoleModeFor(options.json));
  CComPort port;
  int status = kExitFailed;
  if (!OpenPortArgument(ports[0], &port, &target, kMonitorLine.AtRate(bps))) {
    status = OpenFailedStatus();
  } else {
    MonitorSession session(&port, &target, options);
    if (session.Begin()) status = session.Run({}, nullptr);
  }
  target.Finish(status, (TickCountMs() - started) / 1000.0);
  return status;
}

}  // namespace k470::cli
