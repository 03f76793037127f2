// Resolving and opening a port argument.
#include "cli/cli_port.h"

#include <cstdio>

#include "cli/console.h"
#include "monitor/monitor_line.h"
#include "serial/com_port.h"
#include "serial/port_names.h"
#include "serial/port_texts.h"

namespace k470::cli {


bool OpenPortArgument(const std::string& argument, CComPort* port) {
  const int number = ResolvePortArgument(argument);
  if (number == 0) {
    std::fprintf(stderr, "k470: no such port: %s\n", argument.c_str());
    return false;
  }
  if (!port->Reopen(number, kMonitorBaud, kMonitorByteSize, kMonitorParityNone,
                    kMonitorOneStopBit)) {
    std::fprintf(stderr, "k470: cannot open port COM%d\n  device: %s\n", number,
                 PortDevicePath(number).c_str());
    return false;
  }
  return true;
}

void NoteGoFailed(const CComPort& port) {
  if (port.Lost()) {
    std::fprintf(stderr, "k470: %s\n",
                 ToConsoleText(PortLostMessage(port.Name()).c_str()).c_str());
  }
  std::fprintf(stderr, "k470: the go command could not be sent\n");
}

}  // namespace k470::cli
