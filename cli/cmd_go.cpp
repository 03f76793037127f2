// k470 go: sends the monitor's go command alone.
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_port.h"
#include "cli/commands.h"
#include "cli/board_runner.h"

namespace k470::cli {
namespace {
constexpr const char* kUsage =
    "usage: k470 go --port P [--port P2 ...] --address HEX [--json]\n"
    "  Starts the program in the RAM of the board on port P (COMn, n, a device path,\n"
    "  rfc2217://HOST:PORT or socket://HOST:PORT) at the address: sends the monitor's go\n"
    "  command; nothing is read back. With more ports, every board, with a summary.\n";
}

int CmdGo(int argc, char** argv) {
  ArgParser args;
  std::vector<std::string> ports;
  const int parsed =
      BoardArguments(argc, argv, {{"--port", true}, {"--address", true}, {"--json", false}},
                     kUsage, 0, &args, &ports);
  if (parsed != kArgumentsGoOn) return parsed;
  uint32_t address = 0;
  if (!args.Has("--address") || !ParseHex(args.Value("--address"), &address)) {
    return UsageError(kUsage, "--address needs a hexadecimal address");
  }
  BoardWork work;
  work.start = [address](Board& board) {
    return OpenPortArgument(board.port, &board.comPort, board.target.get()) &&
           SendGo(board, address);
  };
  return RunBoards(ports, ConsoleModeFor(args.Has("--json")), work);
}

}  // namespace k470::cli
