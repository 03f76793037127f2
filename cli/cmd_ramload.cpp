// k470 ramload: loads an S-record file into a board's RAM through its monitor, showing the
// progress, and with --go starts it afterwards.
#include <cstdio>

#include "cli/cli_args.h"
#include "cli/cli_port.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/console_target.h"
#include "cli/job_runner.h"
#include "jobs/job_target.h"
#include "jobs/ticks.h"
#include "monitor/go_command.h"
#include "monitor/thread_load.h"
#include "serial/com_port.h"

namespace k470::cli {
namespace {

constexpr const char* kUsage =
    "usage: k470 ramload --port P [--address HEX] [--go] [--timeout SECONDS] [--json] FILE\n"
    "  Loads the S-record FILE into the RAM of the board on port P (COMn, n or a device\n"
    "  path) through its monitor. --address is the start address (default 200000; it\n"
    "  must not lie below 200000); with --go the program is started there after a\n"
    "  successful load. --timeout is the longest wait for the board's \"end!\" after one\n"
    "  chunk (default 10; 0 waits for ever). With --json the job's reports are JSON\n"
    "  events on stdout. Exit status 0 loaded, 1 failed, 130 interrupted.\n";

constexpr uint32_t kDefaultStartAddress = 0x200000;
constexpr uint32_t kDefaultAckTimeoutS = 10;
constexpr uint32_t kMaxAckTimeoutS = 1000000;

}  // namespace

int CmdRamload(int argc, char** argv) {
  ArgParser args;
  if (!args.Parse(argc, argv,
                  {{"--port", true}, {"--address", true}, {"--go", false}, {"--timeout", true},
                   {"--json", false}})) {
    return UsageError(kUsage, args.Error());
  }
  if (args.HelpRequested()) return PrintUsage(kUsage);
  if (args.Positionals().size() != 1) return UsageError(kUsage, "one FILE is needed");
  if (!args.Has("--port") || args.Value("--port").empty()) return UsageError(kUsage, "--port is needed");
  uint32_t address = kDefaultStartAddress;
  if (args.Has("--address") && !ParseHex(args.Value("--address"), &address)) {
    return UsageError(kUsage, "--address needs a hexadecimal address");
  }
  uint32_t timeoutS = kDefaultAckTimeoutS;
  if (args.Has("--timeout") &&
      (!ParseDecimal(args.Value("--timeout"), &timeoutS) || timeoutS > kMaxAckTimeoutS)) {
    return UsageError(kUsage, "--timeout needs a number of seconds (0 .. 1000000)");
  }

  CComPort port;
  ConsoleTarget target(ConsoleModeFor(args.Has("--json")));
  if (!OpenPortArgument(args.Value("--port"), &port, &target)) {
    target.Finish(kExitFailed, 0);
    return kExitFailed;
  }
  CThreadLoad job;
  job.SetAckTimeout(timeoutS * 1000);
  const uint32_t started = TickCountMs();
  auto seconds = [started] { return (TickCountMs() - started) / 1000.0; };
  if (!job.Start(&port, args.Positionals()[0], address, &target)) {
    target.Note("cannot start the load");
    target.Finish(kExitFailed, seconds());
    return kExitFailed;
  }
  const JobWait wait = WaitForJob(job);
  const int status = ExitStatusFor(wait, target.Result());
  if (status != kExitOk) {
    if (wait == JobWait::Interrupted || target.Result() == JOB_CANCELLED) target.Note("load cancelled");
    target.Finish(status, seconds());
    return status;
  }
  const uint32_t elapsedMs = TickCountMs() - started;
  const JobProgress loaded = target.LastProgress();
  char done[128];
  std::snprintf(done, sizeof done, "loaded %u bytes (%08X - %08X) in %u.%03u s",
                static_cast<unsigned>(loaded.done), static_cast<unsigned>(kRamBase),
                static_cast<unsigned>(loaded.address - 1),
                static_cast<unsigned>(elapsedMs / 1000), static_cast<unsigned>(elapsedMs % 1000));
  target.Note(done);

  if (args.Has("--go")) {
    if (!SendGoCommand(&port, address)) {
      NoteGoFailed(port);
      target.Finish(kExitFailed, seconds());
      return kExitFailed;
    }
    char go[32];
    std::snprintf(go, sizeof go, "go %X", static_cast<unsigned>(address));
    target.Note(go);
  }
  target.Finish(kExitOk, seconds());
  return kExitOk;
}

}  // namespace k470::cli
