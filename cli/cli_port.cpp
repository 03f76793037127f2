// Opening a port argument as the user typed it.
#include "cli/cli_port.h"

#include <cstdio>

#include "cli/console.h"
#include "jobs/job_target.h"
#include "monitor/monitor_line.h"
#include "serial/com_port.h"
#include "serial/port_texts.h"

namespace k470::cli {

bool OpenPortArgument(const std::string& argument, CComPort* port, JobTarget* target) {
  if (port->Reopen(argument, kMonitorBaud, kMonitorByteSize, kMonitorParityNone,
                   kMonitorOneStopBit)) {
    return true;
  }
  const std::string text = "cannot open port " + argument;
  target->ShowMessage(text.c_str(), MessageIcon::Error, port->OpenError().c_str());
  return false;
}

void NoteGoFailed(const CComPort& port) {
  if (port.Lost()) {
    std::fprintf(stderr, "k470: %s\n",
                 ToConsoleText(PortLostMessage(port.Name()).c_str()).c_str());
  }
  std::fprintf(stderr, "k470: the go command could not be sent\n");
}

}  // namespace k470::cli
