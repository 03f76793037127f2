// Many boards at once: the boards' jobs run side by side; the wait is for one signal that
// the end of any of them raises.
#include "cli/many_boards.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "boot/boot_base.h"
#include "cli/cli_args.h"
#include "cli/console.h"
#include "cli/job_runner.h"
#include "base/cancel_slice.h"
#include "jobs/job_end_signal.h"
#include "base/ticks.h"

namespace k470::cli {
namespace {

const char* ResultWord(int status) {
  if (status == kExitOk) return "ok";
  return IsCancelledStatus(status) ? "cancelled" : "FAILED";
}

uint64_t BytesOf(const JobProgress& progress) {
  return progress.unit == ProgressUnit::Blocks ? progress.done * kBlockBytes : progress.done;
}

}  // namespace

std::string SummaryTable(const std::vector<std::unique_ptr<Board>>& boards) {
  size_t portWidth = 4;
  for (const auto& b : boards) portWidth = std::max(portWidth, EscapeControls(b->port).size());
  const int width = static_cast<int>(portWidth);
  char line[256];
  std::snprintf(line, sizeof line, "%-*s  %-9s  %10s  %8s  %s\n", width, "PORT", "RESULT", "BYTES",
                "SECONDS", "DETAIL");
  std::string table = line;
  for (const auto& b : boards) {
    // The port may be longer than the line: it goes in as it is, the numbers after it.
    std::snprintf(line, sizeof line, "  %-9s  %10llu  %8.2f  ", ResultWord(b->status),
                  static_cast<unsigned long long>(b->bytes), b->seconds);
    std::string port = EscapeControls(b->port);
    port.resize(std::max(port.size(), portWidth), ' ');
    std::string detail;
    if (b->status != kExitOk && !IsCancelledStatus(b->status)) {
      detail = EscapeControls(b->target->FailureText());
      if (detail.empty()) detail = "failed";
    }
    table += port + line + detail + "\n";
  }
  return table;
}

int RunOnEveryBoard(const std::vector<std::string>& ports, ConsoleMode mode,
                    const BoardStart& start, const BoardAfter& after) {
  if (mode == ConsoleMode::Bar && !EnableTerminalSequences()) mode = ConsoleMode::Lines;
  BarBlock block(static_cast<int>(ports.size()), mode == ConsoleMode::Bar ? TerminalColumns() : 0);
  // Declared before the boards: their jobs raise it until their threads are joined.
  JobEndSignal anyEnded;
  std::vector<std::unique_ptr<Board>> boards;
  const uint32_t started = TickCountMs();
  auto secondsSince = [started] { return (TickCountMs() - started) / 1000.0; };
  for (size_t i = 0; i < ports.size(); ++i) {
    auto board = std::make_unique<Board>();
    board->port = ports[i];
    board->target = std::make_unique<ConsoleTarget>(mode);
    board->target->ForBoard(ports[i], mode == ConsoleMode::Bar ? &block : nullptr,
                            static_cast<int>(i));
    boards.push_back(std::move(board));
  }
  // Every board starts (opens its port) at the same time: a port that is slow to open, a
  // network server that does not answer, holds back no other.
  std::vector<char> startedOk(boards.size(), 0);
  {
    std::vector<std::thread> starting;
    for (size_t i = 0; i < boards.size(); ++i) {
      starting.emplace_back([&start, &startedOk, &boards, i] {
        startedOk[i] = start(*boards[i]) ? 1 : 0;
      });
    }
    for (std::thread& t : starting) t.join();
  }
  for (size_t i = 0; i < boards.size(); ++i) {
    Board& board = *boards[i];
    if (!startedOk[i]) {
      board.status = InterruptRequested() ? InterruptExitStatus() : kExitFailed;
      board.job.reset();
    } else if (!board.job) {
      board.status = kExitOk;
    } else {
      board.job->AlsoSignalEndTo(&anyEnded);
    }
    if (board.status != -1) board.seconds = secondsSince();
  }

  bool interrupted = false;
  bool outputFailed = false;
  for (;;) {
    bool running = false;
    if (!outputFailed && OutputFailed()) {
      outputFailed = true;
      for (auto& b : boards) {
        if (b->status == -1) b->job->RequestCancel();
      }
    }
    if (InterruptRequested() && !interrupted) {
      interrupted = true;
      for (auto& b : boards) {
        if (b->status == -1) b->job->RequestCancel();
      }
    }
    for (auto& b : boards) {
      if (b->status != -1) continue;
      if (!b->job->IsDone()) {
        running = true;
        continue;
      }
      b->seconds = secondsSince();
      b->status = ExitStatusFor(JobWait::Ended, b->target->Result());
    }
    if (!running) break;
    // Ctrl-C and a failed output are flags without a signal: looked at every cancel slice.
    anyEnded.WaitFor(kCancelSliceMs);
  }

  for (auto& b : boards) {
    b->bytes = BytesOf(b->target->LastProgress());
    if (b->status == kExitOk && after && !after(*b)) b->status = kExitFailed;
  }
  block.Close();

  int status = kExitOk;
  for (auto& b : boards) {
    if (b->status != kExitOk && !IsCancelledStatus(status)) status = b->status;
    if (mode == ConsoleMode::Json) b->target->Finish(b->status, b->seconds);
  }
  if (interrupted) status = InterruptExitStatus();
  if (outputFailed) status = kExitFailed;
  if (mode == ConsoleMode::Json) {
    ConsoleTarget(mode).Finish(status, secondsSince());
  } else {
    std::fputs(SummaryTable(boards).c_str(), stdout);
    std::fflush(stdout);
  }
  return status;
}

}  // namespace k470::cli
