// k470 detect: runs the board detection on a port for a while and prints each state it
// reports, as the RAM load page shows it.
#include <cstdio>

#include "cli/cli_args.h"
#include "cli/cli_port.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/console_target.h"
#include "cli/job_runner.h"
#include "base/ticks.h"
#include "monitor/thread_cchk.h"
#include "serial/com_port.h"
#include "serial/port_texts.h"

namespace k470::cli {
namespace {

constexpr const char* kUsage =
    "usage: k470 detect --port P [--seconds N] [--json]\n"
    "  Watches the board monitor on port P (COMn, n, a device path, rfc2217://HOST:PORT\n"
    "  or socket://HOST:PORT) for N seconds (default 10) and prints each state found:\n"
    "  \"no reply\", \"exist K470L\",\n"
    "  \"exist K471L\", \"exist K472L\" or \"non K47xL\". Exit status 0 when the time is up,\n"
    "  1 when the port was lost (the adapter unplugged, say).\n";

constexpr uint32_t kDefaultSeconds = 10;
constexpr uint32_t kMaxSeconds = 1000000;

}  // namespace

int CmdDetect(int argc, char** argv) {
  ArgParser args;
  if (!args.Parse(argc, argv, {{"--port", true}, {"--seconds", true}, {"--json", false}})) {
    return UsageError(kUsage, args.Error());
  }
  if (args.HelpRequested()) return PrintUsage(kUsage);
  if (!args.Positionals().empty()) return UsageError(kUsage, "unexpected argument: " + args.Positionals()[0]);
  if (!args.Has("--port") || args.Value("--port").empty()) return UsageError(kUsage, "--port is needed");
  uint32_t seconds = kDefaultSeconds;
  if (args.Has("--seconds") &&
      (!ParseDecimal(args.Value("--seconds"), &seconds) || seconds == 0 || seconds > kMaxSeconds)) {
    return UsageError(kUsage, "--seconds needs a number of seconds (1 .. 1000000)");
  }

  CComPort port;
  ConsoleTarget target(ConsoleModeFor(args.Has("--json")));
  if (!OpenPortArgument(args.Value("--port"), &port, &target)) {
    return target.Finish(OpenFailedStatus(), 0);
  }
  CThreadCchk job;
  const uint32_t started = TickCountMs();
  if (!job.Start(&port, &target)) return target.FailBeforeJob("cannot start the detection", "");
  const JobWait wait = WaitForJob(job, seconds * 1000, [](void* t) {
    static_cast<ConsoleTarget*>(t)->MuteBoardStates();
  }, &target);
  int status = wait == JobWait::Interrupted    ? InterruptExitStatus()
               : wait == JobWait::OutputFailed ? kExitFailed
                                               : kExitOk;
  if (status == kExitOk && job.State() == BOARD_PORT_LOST) {
    target.ShowMessage(PortLostMessage(port.Name()).c_str(), MessageIcon::Error);
    status = kExitFailed;
  }
  return target.Finish(status, (TickCountMs() - started) / 1000.0);
}

}  // namespace k470::cli
