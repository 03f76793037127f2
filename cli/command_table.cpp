// The table of the tool's commands, in the order the usage text lists them.
#include "cli/commands.h"

#include <cstring>

namespace k470::cli {

const CliCommand kCommands[] = {
    {"ports", CmdPorts, "list the serial ports"},
    {"image", CmdImage, "read an S-record file into an image window"},
    {"detect", CmdDetect, "watch a board monitor's prompt"},
    {"ramload", CmdRamload, "load an S-record file into a board's RAM (and start it)"},
    {"go", CmdGo, "start the program in a board's RAM"},
    {"monitor", CmdMonitor, "a terminal on a board's line"},
    {"devices", CmdDevices, "list the device types for flash writing"},
    {"flash", CmdFlash, "write an S-record file into an H8's flash in boot mode"},
};
const size_t kCommandCount = sizeof kCommands / sizeof kCommands[0];

const CliCommand* FindCommand(const char* name) {
  for (size_t i = 0; i < kCommandCount; ++i) {
    if (std::strcmp(kCommands[i].name, name) == 0) return &kCommands[i];
  }
  return nullptr;
}

}  // namespace k470::cli
