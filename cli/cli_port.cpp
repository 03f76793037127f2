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
  std::vector<std::string> identities;
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
      // Two names of one device (a link, another spelling) would have two jobs fight
      // over one line.
      const std::string identity = PortIdentity(port);
      if (std::find(identities.begin(), identities.end(), identity) != identities.end()) {
        *problem = "port " + port + " is named twice";
        return false;
      }
      identities.push_back(identity);
      ports->push_back(port);
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
  }
  if (ports->empty()) {
    *problem = "--port is needed";
    return false;
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

bool OpenPortArgument(const std::string& argument, CComPort* port, JobTarget* target,
                      const LineSettings& line) {
  port->SetCancel(InterruptFlag());  // Ctrl-C ends a network port's connect at once
  if (port->Reopen(argument, line)) {
    return true;
  }
  if (InterruptRequested()) return false;  // cancelled, no failure of the port
  const std::string text = "cannot open port " + argument;
  target->ShowMessage(text.c_str(), MessageIcon::Error, port->OpenError().c_str());
  return false;
}

bool SendGo(Board& board, uint32_t address) {
  if (SendGoCommand(&board.comPort, address)) return true;
  const std::string lost = board.comPort.Lost() ? PortLostMessage(board.comPort.Name()) : "";
  board.target->ShowMessage("the go command could not be sent", MessageIcon::Error,
                            lost.empty() ? nullptr : lost.c_str());
  return false;
}

}  // namespace k470::cli
