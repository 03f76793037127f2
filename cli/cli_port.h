// Opening the port that a command's --port names: COMn, n or a device path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/monitor_line.h"

namespace k470 {
class CComPort;
}

namespace k470::cli {

class ArgParser;
class ConsoleTarget;
struct OptionSpec;

// The ports a command's --port options name: each option once or more, each value one
// port or several separated by commas ("--port A --port B,C"); a value that names an
// existing path is one port, commas and all. False with the problem when none is given,
// a piece is empty or a device is named twice, under any of its names (two jobs cannot
// share a port).
bool PortArguments(const ArgParser& args, std::vector<std::string>* ports, std::string* problem);

// A board command's arguments: the options, then --help, then `files` positionals (1: the
// FILE, 0: none), then the ports. Returns kArgumentsGoOn when the command goes on, else
// its exit status (the usage printed for --help, or a usage error).
constexpr int kArgumentsGoOn = -1;
int BoardArguments(int argc, char** argv, const std::vector<OptionSpec>& options,
                   const char* usage, size_t files, ArgParser* args,
                   std::vector<std::string>* ports);

// Opens the port at 38400 bit/s, 8N1 (the board monitor's line, or `line`); Ctrl-C ends the open of
// a network port at once. On failure shows through `target` a message naming the port as
// typed, with the system's reason as its detail (none after Ctrl-C), and returns false.
bool OpenPortArgument(const std::string& argument, CComPort* port, ConsoleTarget* target,
                      const LineSettings& line = kMonitorLine);

// The exit status of a command whose port did not open: 1, or the interrupt's status when
// Ctrl-C (SIGTERM, SIGHUP) ended the open.
int OpenFailedStatus();

struct Board;

// Sends the go command to a board; when that fails, shows why through its target.
bool SendGo(Board& board, uint32_t address);

}  // namespace k470::cli
