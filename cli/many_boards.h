// Many boards at once: one job a port, all running at the same time, each with its own
// port, its own job and its own target; at the end a table of what each board did.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/console_target.h"
#include "jobs/thread_vl.h"
#include "serial/com_port.h"

namespace k470::cli {

struct Board {
  std::string port;  // as typed
  CComPort comPort;  // for jobs that run on an open port
  std::unique_ptr<ConsoleTarget> target;
  std::unique_ptr<CThreadVl> job;  // null when the board's work was done at its start
  int status = -1;                 // its exit status once it has ended
  uint64_t bytes = 0;
  double seconds = 0;
};

// Starts the board's work (opens its port, starts its job); false when that failed.
using BoardStart = std::function<bool(Board&)>;
// What follows a board's success (the go command after a load); false when it failed.
using BoardAfter = std::function<bool(Board&)>;

// Runs `start` for every port, waits for all the jobs (Ctrl-C cancels them all), runs
// `after` (may be empty) for each board that succeeded, prints the summary table to
// stdout (the per-board "end" events with --json) and returns the exit status: 0 when
// every board succeeded, 130 after Ctrl-C, else 1.
int RunOnEveryBoard(const std::vector<std::string>& ports, ConsoleMode mode,
                    const BoardStart& start, const BoardAfter& after);

// The summary table's text: a heading and one row a board (port, result, bytes,
// seconds, what went wrong).
std::string SummaryTable(const std::vector<std::unique_ptr<Board>>& boards);

}  // namespace k470::cli
