// The go command.
#include "monitor/go_command.h"

#include <cstdio>

#include "serial/com_port.h"

namespace k470 {

int SendGoCommand(CComPort* port, uint32_t address) {
  char command[kGoCommandBytes];
  std::snprintf(command, sizeof command, "G %X\r", static_cast<unsigned>(address));
  return port->WriteString(command);
}

}  // namespace k470
