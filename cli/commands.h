// The commands of the command-line tool k470: one function a command, each in a file of
// its own (cmd_<name>.cpp), listed in the table of command_table.cpp.
#pragma once

#include <cstddef>

namespace k470::cli {

// argv[0] is the command's name, the rest its arguments. Returns the exit status.
using CommandFunction = int (*)(int argc, char** argv);

struct CliCommand {
  const char* name;
  CommandFunction run;
  const char* summary;  // one line for the tool's usage text
};

int CmdPorts(int argc, char** argv);
int CmdImage(int argc, char** argv);
int CmdDetect(int argc, char** argv);
int CmdRamload(int argc, char** argv);
int CmdGo(int argc, char** argv);
int CmdDevices(int argc, char** argv);
int CmdFlash(int argc, char** argv);
int CmdMonitor(int argc, char** argv);

extern const CliCommand kCommands[];
extern const size_t kCommandCount;

// The command of that name, or nullptr.
const CliCommand* FindCommand(const char* name);

}  // namespace k470::cli
