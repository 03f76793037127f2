// The board runner of the commands that work on boards (ramload, go, flash): one job a
// port, all running at the same time, each with its own port, job and target. One port
// is reported as the command's own; many ports carry their port on every line and end
// with a table of what each board did.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/console_target.h"
#include "cli/job_runner.h"
#include "jobs/thread_vl.h"
#include "serial/com_port.h"

namespace k470::cli {

struct Board {
  std::string port;  // as typed
  CComPort comPort;  // for jobs that run on an open port
  std::unique_ptr<ConsoleTarget> target;
  std::unique_ptr<CThreadVl> job;  // null when the board's work was done at its start
  JobWait stopped = JobWait::Ended;  // why the runner stopped the job, if it did
  int status = -1;                 // its exit status once it has ended
  uint64_t bytes = 0;
  uint32_t elapsedMs = 0;          // from the command's start to the board's end
};

// Starts the board's work (opens its port, starts its job); false when that failed.
using BoardStart = std::function<bool(Board&)>;
// What follows a board's success (the go command after a load); false when it failed.
using BoardAfter = std::function<bool(Board&)>;

struct BoardWork {
  BoardStart start;
  BoardAfter after;                   // may be empty
  const char* cancelled = nullptr;    // the line for a job that was cancelled, or null
};

// Runs `work.start` for every port, waits for all the jobs (Ctrl-C cancels them all),
// runs `work.after` for each board that succeeded and returns the exit status: 0 when
// every board succeeded, 130 (143, 129) after Ctrl-C (SIGTERM, SIGHUP), else 1. With
// many ports it prints the summary table to stdout (the per-board "end" events with
// --json); with --json the last event is the command's "end".
int RunBoards(const std::vector<std::string>& ports, ConsoleMode mode, const BoardWork& work);

// The summary table's text: a heading and one row a board (port, result, bytes,
// seconds, what went wrong).
std::string SummaryTable(const std::vector<std::unique_ptr<Board>>& boards);

}  // namespace k470::cli
