// k470 ramload: loads an S-record file into a board's RAM through its monitor, showing the
// progress, and with --go starts it afterwards.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_port.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/console_target.h"
#include "cli/job_runner.h"
#include "cli/many_boards.h"
#include "jobs/job_target.h"
#include "base/ticks.h"
#include "monitor/go_command.h"
#include "monitor/thread_load.h"
#include "serial/com_port.h"

namespace k470::cli {
namespace {

constexpr const char* kUsage =
    "usage: k470 ramload --port P [--port P2 ...] [--address HEX] [--go] [--timeout SECONDS]\n"
    "                    [--json] FILE\n"
    "  Loads the S-record FILE into the RAM of the board on port P (COMn, n, a device\n"
    "  path, rfc2217://HOST:PORT or socket://HOST:PORT) through its monitor; with more\n"
    "  ports (--port repeated or P,P2,...) into every board at once, with a summary. --address is the start address (default 200000; it\n"
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
  std::vector<std::string> ports;
  std::string problem;
  if (!PortArguments(args, &ports, &problem)) return UsageError(kUsage, problem);
  uint32_t address = kDefaultStartAddress;
  if (args.Has("--address") && !ParseHex(args.Value("--address"), &address)) {
    return UsageError(kUsage, "--address needs a hexadecimal address");
  }
  uint32_t timeoutS = kDefaultAckTimeoutS;
  if (args.Has("--timeout") &&
      (!ParseDecimal(args.Value("--timeout"), &timeoutS) || timeoutS > kMaxAckTimeoutS)) {
    return UsageError(kUsage, "--timeout needs a number of seconds (0 .. 1000000)");
  }

  const std::string file = args.Positionals()[0];
  const bool go = args.Has("--go");
  if (ports.size() > 1) {
    auto start = [&](Board& board) {
      if (!OpenPortArgument(board.port, &board.comPort, board.target.get())) return false;
      auto job = std::make_unique<CThreadLoad>();
      job->SetAckTimeout(timeoutS * 1000);
      if (!job->Start(&board.comPort, file, address, board.target.get())) {
        board.target->ShowMessage("cannot start the load", MessageIcon::Error);
        return false;
      }
      board.job = std::move(job);
      return true;
    };
    auto after = [&](Board& board) { return !go || SendGo(board, address); };
    return RunOnEveryBoard(ports, ConsoleModeFor(args.Has("--json")), start, after);
  }

  CComPort port;
  ConsoleTarget target(ConsoleModeFor(args.Has("--json")));
  if (!OpenPortArgument(ports[0], &port, &target)) {
    const int status = OpenFailedStatus();
    target.Finish(status, 0);
    return status;
  }
  CThreadLoad job;
  job.SetAckTimeout(timeoutS * 1000);
  const uint32_t started = TickCountMs();
  auto seconds = [started] { return (TickCountMs() - started) / 1000.0; };
  if (!job.Start(&port, file, address, &target)) {
    target.Note("cannot start the load");
    target.Finish(kExitFailed, seconds());
    return kExitFailed;
  }
  const JobWait wait = WaitForJob(job);
  const int status = ExitStatusFor(wait, target.Result());
  if (status != kExitOk) {
    if (IsCancelledStatus(status)) target.Note("load cancelled");
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

  if (go) {
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
