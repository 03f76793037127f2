// Opening a port argument as the user typed it.
#include "cli/cli_port.h"

#include <algorithm>

#include "cli/cli_args.h"
#include "cli/board_runner.h"
#include "cli/console.h"
#include "monitor/go_command.h"
#include "jobs/job_target.h"
#include "monitor/monitor_line.h"
#include "serial/com_port.h"
#include "serial/port_names.h"
#include "serial/port_texts.h"

namespace k470::cli {

bool PortArguments(const ArgParser& args, std::vector<std::string>* ports, std::string* problem) {
  ports->clear();
  for (const std::string& value : args.Values("--port")) {
    // A path that exists is one port, whatever commas it holds.
    const bool whole = NamesExistingPath(value);
    size_t from = 0;
    while (true) {
      const size_t comma = whole ? std::string::npos : value.find(',', from);
      const std::string port = value.substr(from, comma == std::string::npos ? comma : comma - from);
      if (port.empty()) {
        *problem = "--port needs a port (COMn, n, a device path, rfc2217:// or socket://)";
        return false;
      }
      ports->push_back(port);
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
  }
  if (ports->empty()) {
    *problem = "--port is needed";
    return false;
  }
  // Two names of one device (a link, another spelling, another name of one server) would
  // have two jobs fight over one line. One port needs no look-up of its names.
  if (ports->size() == 1) return true;
  // A name server that does not answer holds the look-up: an interrupt ends it, as
  // nothing is open yet.
  const InterruptEndsProgram interruptible;
  std::vector<std::string> seen;
  for (const std::string& port : *ports) {
    const std::vector<std::string> keys = PortIdentities(port);
    for (const std::string& key : keys) {
      if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
        *problem = "port " + port + " is named twice";
        return false;
      }
    }
    seen.insert(seen.end(), keys.begin(), keys.end());
  }
  return true;
}

int BoardArguments(int argc, char** argv, const std::vector<OptionSpec>& options,
                   const char* usage, size_t files, ArgParser* args,
                   std::vector<std::string>* ports) {
  if (!args->Parse(argc, argv, options)) return UsageError(usage, args->Error());
  if (args->HelpRequested()) return PrintUsage(usage);
  if (files == 1 && args->Positionals().size() != 1) return UsageError(usage, "one FILE is needed");
  if (files == 0 && !args->Positionals().empty()) {
    return UsageError(usage, "unexpected argument: " + args->Positionals()[0]);
  }
  std::string problem;
  if (!PortArguments(*args, ports, &problem)) return UsageError(usage, problem);
  return kArgumentsGoOn;
}

int OpenFailedStatus() { return InterruptRequested() ? InterruptExitStatus() : kExitFailed; }

bool OpenPortArgument(const std::string& argument, CComPort* port, ConsoleTarget* target,
                      const LineSettings& line) {
  port->SetCancel(InterruptFlag());  // Ctrl-C ends a network port's connect at once
  if (port->Reopen(argument, line)) {
    return true;
  }
  if (InterruptRequested()) return false;  // cancelled, no failure of the port
  target->ShowToolFailure("cannot open port " + argument, port->OpenError().c_str());
  return false;
}

bool SendGo(Board& board, uint32_t address) {
  if (SendGoCommand(&board.comPort, address)) return true;
  // The loss of the port is the message, as a job shows it; the detail says what it cut.
  if (board.comPort.Lost()) {
    board.target->ShowMessage(PortLostMessage(board.comPort.Name()).c_str(), MessageIcon::Error,
                              "the go command could not be sent");
  } else {
    board.target->ShowMessage("the go command could not be sent", MessageIcon::Error);
  }
  return false;
}

}  // namespace k470::cli
