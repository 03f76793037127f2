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
#include "cli/board_runner.h"
#include "cli/monitor_session.h"
#include "cli/reload_watch.h"
#include "jobs/job_target.h"
#include "monitor/thread_load.h"

namespace k470::cli {
namespace {

constexpr const char* kUsage =
    "usage: k470 ramload --port P [--port P2 ...] [--address HEX] [--go] [--timeout SECONDS]\n"
    "                    [--monitor [--watch] [--log FILE] [--raw]] [--json] FILE\n"
    "  Loads the S-record FILE into the RAM of the board on port P (COMn, n, a device\n"
    "  path, rfc2217://HOST:PORT or socket://HOST:PORT) through its monitor; with more\n"
    "  ports (--port repeated or P,P2,...) into every board at once, with a summary. --address is the start address (default 200000; it\n"
    "  must not lie below 200000); with --go the program is started there after a\n"
    "  successful load. --timeout is the longest wait for the board's \"end!\" after one\n"
    "  chunk (default 10; 0 waits for ever). With --json the job's reports are JSON\n"
    "  events on stdout. With --go --monitor the board's output is shown from the go\n"
    "  command on, as k470 monitor does (one port; Ctrl-] ends it); with --watch the\n"
    "  file is loaded and started again when it has changed and the board's prompt is\n"
    "  back (press reset). Exit status 0 loaded (the monitor ended by Ctrl-]), 1 failed,\n"
    "  130 interrupted.\n";

constexpr uint32_t kDefaultStartAddress = kRamBase;
constexpr uint32_t kDefaultAckTimeoutS = 10;
constexpr uint32_t kMaxAckTimeoutS = 1000000;

}  // namespace

int CmdRamload(int argc, char** argv) {
  ArgParser args;
  std::vector<std::string> ports;
  const int parsed = BoardArguments(argc, argv,
                                    {{"--port", true}, {"--address", true}, {"--go", false},
                                     {"--timeout", true}, {"--json", false},
                                     {"--monitor", false}, {"--watch", false},
                                     {"--log", true}, {"--raw", false}},
                                    kUsage, 1, &args, &ports);
  if (parsed != kArgumentsGoOn) return parsed;
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
  const bool monitor = args.Has("--monitor");
  const bool watch = args.Has("--watch");
  if (!monitor && (watch || args.Has("--log") || args.Has("--raw"))) {
    return UsageError(kUsage, "--watch, --log and --raw go with --monitor");
  }
  if (monitor && (!go || ports.size() != 1)) {
    return UsageError(kUsage, "--monitor needs --go and one port");
  }
  MonitorOptions monitorOptions;
  uint32_t bps = 0;
  if (monitor) {
    const int checked = MonitorArguments(args, kUsage, &monitorOptions, &bps);
    if (checked != kArgumentsGoOn) return checked;
  }
  FileStamp loadedStamp;
  BoardWork work;
  work.start = [&](Board& board) {
    if (!OpenPortArgument(board.port, &board.comPort, board.target.get())) return false;
    loadedStamp = StampOf(file);  // the version this load reads
    auto job = std::make_unique<CThreadLoad>();
    job->SetAckTimeout(timeoutS * 1000);
    if (!job->Start(&board.comPort, file, address, board.target.get())) {
      board.target->ShowMessage("cannot start the load", MessageIcon::Error);
      return false;
    }
    board.job = std::move(job);
    return true;
  };
  work.after = [&](Board& board) {
    const JobProgress loaded = board.target->LastProgress();
    char done[128];
    std::snprintf(done, sizeof done, "loaded %u bytes (%08X - %08X) in %u.%03u s",
                  static_cast<unsigned>(loaded.done), static_cast<unsigned>(kRamBase),
                  static_cast<unsigned>(loaded.address - 1),
                  static_cast<unsigned>(board.elapsedMs / 1000),
                  static_cast<unsigned>(board.elapsedMs % 1000));
    board.target->Note(done);
    if (!go) return true;
    if (monitor) {
      // The monitor reads from the go command on, on the same open port: nothing the
      // program prints is lost. Its end is the command's.
      MonitorSession session(&board.comPort, board.target.get(), monitorOptions);
      if (!session.Begin()) return false;
      ReloadWatch reload(file, loadedStamp, address, timeoutS * 1000, &board.comPort,
                         board.target.get());
      const int status = session.Run(
          [&] { return GoWhenQuiet(&board.comPort, board.target.get(), address); },
          watch ? &reload : nullptr);
      if (status == kExitFailed) return false;
      board.status = status;
      return true;
    }
    if (!SendGo(board, address)) return false;
    char started[32];
    std::snprintf(started, sizeof started, "go %X", static_cast<unsigned>(address));
    board.target->Note(started);
    return true;
  };
  work.cancelled = "load cancelled";
  return RunBoards(ports, ConsoleModeFor(args.Has("--json")), work);
}

}  // namespace k470::cli
