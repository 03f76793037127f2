// Opening a port argument as the user typed it.
#include "cli/cli_port.h"

#include <algorithm>
#include <cstdio>

#include "cli/cli_args.h"

#include "cli/many_boards.h"
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
    size_t from = 0;
    while (true) {
      const size_t comma = value.find(',', from);
      const std::string port = value.substr(from, comma == std::string::npos ? comma : comma - from);
      if (port.empty()) {
        *problem = "--port needs a port (COMn, n, a device path, rfc2217:// or socket://)";
        return false;
      }
      const auto sameDevice = [&port](const std::string& p) { return PortNameOf(p) == PortNameOf(port); };
      if (std::find_if(ports->begin(), ports->end(), sameDevice) != ports->end()) {
        *problem = "port " + port + " is named twice";
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
  return true;
}

bool OpenPortArgument(const std::string& argument, CComPort* port, JobTarget* target) {
  if (port->Reopen(argument, kMonitorBaud, kMonitorByteSize, kMonitorParityNone,
                   kMonitorOneStopBit)) {
    return true;
  }
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

void NoteGoFailed(const CComPort& port) {
  if (port.Lost()) {
    std::fprintf(stderr, "k470: %s\n",
                 PortLostMessage(port.Name()).c_str());
  }
  std::fprintf(stderr, "k470: the go command could not be sent\n");
}

}  // namespace k470::cli
