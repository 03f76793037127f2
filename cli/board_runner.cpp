// The board runner: the boards' jobs run side by side; the wait is for one signal that
// the end of any of them raises.
#include "cli/board_runner.h"

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

double Seconds(uint32_t ms) { return ms / 1000.0; }

}  // namespace

std::string SummaryTable(const std::vector<std::unique_ptr<Board>>& boards) {
  // The port column is as wide as its widest name in cells: a Japanese name fills two a
  // character.
  int width = 4;
  for (const auto& b : boards) width = std::max(width, TextColumns(EscapeControls(b->port)));
  char line[256];
  std::snprintf(line, sizeof line, "  %-9s  %10s  %8s  %s\n", "RESULT", "BYTES", "SECONDS",
                "DETAIL");
  std::string table = PadToColumns("PORT", width) + line;
  for (const auto& b : boards) {
    // The port may be longer than the line: it goes in as it is, the numbers after it.
    std::snprintf(line, sizeof line, "  %-9s  %10llu  %8.2f  ", ResultWord(b->status),
                  static_cast<unsigned long long>(b->bytes), Seconds(b->elapsedMs));
    const std::string port = PadToColumns(EscapeControls(b->port), width);
    std::string detail;
    if (b->status != kExitOk && !IsCancelledStatus(b->status)) {
      detail = EscapeControls(b->target->FailureText());
      if (detail.empty()) detail = "failed";
    }
    // A board whose chip refused garbled frames has a noisy line, whatever its result.
    if (b->target->Resent() > 0) {
      char resent[48];
      std::snprintf(resent, sizeof resent, "%s%lld sent again", detail.empty() ? "" : "; ",
                    static_cast<long long>(b->target->Resent()));
      detail += resent;
    }
    table += port + line + detail + "\n";
  }
  return table;
}

int RunBoards(const std::vector<std::string>& ports, ConsoleMode mode, const BoardWork& work) {
  const bool many = ports.size() > 1;
  if (many && mode == ConsoleMode::Bar && !EnableTerminalSequences()) mode = ConsoleMode::Lines;
  // One board draws its own bar; many share a block of rows.
  BarBlock block(many ? static_cast<int>(ports.size()) : 0,
                 mode == ConsoleMode::Bar ? TerminalColumns() : 0);
  // Declared before the boards: their jobs raise it until their threads are joined.
  JobEndSignal anyEnded;
  std::vector<std::unique_ptr<Board>> boards;
  const uint32_t started = TickCountMs();
  for (size_t i = 0; i < ports.size(); ++i) {
    auto board = std::make_unique<Board>();
    board->port = ports[i];
    board->target = std::make_unique<ConsoleTarget>(mode);
    if (many) {
      board->target->ForBoard(ports[i], mode == ConsoleMode::Bar ? &block : nullptr,
                              static_cast<int>(i));
    }
    boards.push_back(std::move(board));
  }
  // Every board starts (opens its port) at the same time: a port that is slow to open, a
  // network server that does not answer, holds back no other.
  std::vector<char> startedOk(boards.size(), 0);
  {
    std::vector<std::thread> starting;
    for (size_t i = 0; i < boards.size(); ++i) {
      starting.emplace_back([&work, &startedOk, &boards, i] {
        startedOk[i] = work.start(*boards[i]) ? 1 : 0;
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
    if (board.status != -1) board.elapsedMs = TickCountMs() - started;
  }

  bool interrupted = false;
  bool outputFailed = false;
  auto stopAll = [&boards](JobWait why) {
    for (auto& b : boards) {
      if (b->status != -1) continue;
      b->stopped = why;
      b->job->RequestCancel();
    }
  };
  for (;;) {
    if (!outputFailed && OutputFailed()) {
      outputFailed = true;
      stopAll(JobWait::OutputFailed);
    }
    if (InterruptRequested() && !interrupted) {
      interrupted = true;
      stopAll(JobWait::Interrupted);
    }
    bool running = false;
    for (auto& b : boards) {
      if (b->status != -1) continue;
      if (!b->job->IsDone()) {
        running = true;
        continue;
      }
      b->elapsedMs = TickCountMs() - started;
      b->status = ExitStatusFor(b->stopped, b->target->Result());
    }
    if (!running) break;
    // Ctrl-C and a failed output are flags without a signal: looked at every cancel slice.
    anyEnded.WaitFor(kCancelSliceMs);
  }

  for (auto& b : boards) {
    b->bytes = BytesOf(b->target->LastProgress());
    if (b->job && work.cancelled && IsCancelledStatus(b->status)) b->target->Note(work.cancelled);
    if (b->status == kExitOk && work.after && !work.after(*b)) b->status = kExitFailed;
  }
  block.Close();

  int status = kExitOk;
  for (auto& b : boards) {
    if (b->status != kExitOk && !IsCancelledStatus(status)) status = b->status;
    if (many && mode == ConsoleMode::Json) b->target->Finish(b->status, Seconds(b->elapsedMs));
  }
  if (interrupted) status = InterruptExitStatus();
  if (outputFailed) status = kExitFailed;
  const double seconds = Seconds(TickCountMs() - started);
  if (!many) return boards[0]->target->Finish(status, seconds);
  if (mode == ConsoleMode::Json) return ConsoleTarget(mode).Finish(status, seconds);
  std::fputs(SummaryTable(boards).c_str(), stdout);
  std::fflush(stdout);
  return status;
}

}  // namespace k470::cli
