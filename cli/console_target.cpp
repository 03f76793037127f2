// ConsoleTarget: a job's reports on the console, as text or as JSON events.
#include "cli/console_target.h"

#include <cstdio>

#include "cli/cli_args.h"
#include "cli/console.h"
#include "cli/json_line.h"
#include "jobs/ticks.h"
#include "monitor/board_state.h"

namespace k470::cli {
namespace {
constexpr int kBarCells = 30;

const char* ResultName(int exitStatus) {
  switch (exitStatus) {
    case kExitOk: return "succeeded";
    case kExitInterrupted: return "cancelled";
    default: return "failed";
  }
}
}  // namespace

ConsoleMode ConsoleModeFor(bool json) {
  if (json) return ConsoleMode::Json;
  return StderrIsTerminal() ? ConsoleMode::Bar : ConsoleMode::Lines;
}

ConsoleTarget::ConsoleTarget(ConsoleMode mode) : m_mode(mode) {}

std::string ConsoleTarget::FormatBar(const ProgressMeter& meter) {
  const int percent = meter.Percent();
  const int filled = percent * kBarCells / 100;
  std::string bar = "[";
  for (int i = 0; i < kBarCells; ++i) bar += i < filled ? '#' : '.';
  char head[16];
  std::snprintf(head, sizeof head, "] %3d%%  ", percent);
  return bar + head + meter.Line();
}

void ConsoleTarget::EndBarLine() {
  if (m_barShown) std::fputc('\n', stderr);
  m_barShown = false;
}

void ConsoleTarget::PostStatus(const char* text) {
  if (m_mode == ConsoleMode::Json) {
    JsonLine("status").Text("text", text).Emit();
    return;
  }
  // With a bar the progress tells more than the statuses of each chunk or block.
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_mode == ConsoleMode::Bar && m_last.total != 0) return;
  EndBarLine();
  std::fprintf(stderr, "%s\n", ToConsoleText(text).c_str());
  std::fflush(stderr);
}

void ConsoleTarget::PostProgress(const JobProgress& progress) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_last = progress;
  m_meter.Update(progress, TickCountMs());
  if (m_mode == ConsoleMode::Json) {
    JsonLine("progress")
        .Text("unit", progress.unit == ProgressUnit::Blocks ? "blocks" : "bytes")
        .Number("done", static_cast<int64_t>(progress.done))
        .Number("total", static_cast<int64_t>(progress.total))
        .Hex8("address", progress.address)
        .Emit();
  } else if (m_mode == ConsoleMode::Bar) {
    std::fprintf(stderr, "\r%s  ", ToConsoleText(FormatBar(m_meter).c_str()).c_str());
    std::fflush(stderr);
    m_barShown = true;
  }
}

void ConsoleTarget::PostEnded(int result) {
  std::lock_guard<std::mutex> lock(m_mutex);
  EndBarLine();
  std::fflush(stderr);
  m_result = result;
}

void ConsoleTarget::PostBoardState(int state) {
  // The loss of the port is no state of the board; the command says it with the port.
  if (m_boardStatesMuted.load() || state == BOARD_PORT_LOST) return;
  if (m_mode == ConsoleMode::Json) {
    JsonLine("board").Number("state", state).Text("text", BoardStateText(state)).Emit();
    return;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  EndBarLine();
  std::fprintf(stdout, "%s\n", BoardStateText(state));
  std::fflush(stdout);
}

void ConsoleTarget::ShowMessage(const char* text, MessageIcon icon, const char* detail) {
  if (m_mode == ConsoleMode::Json) {
    JsonLine line("message");
    line.Text("icon", icon == MessageIcon::Error ? "error" : "information").Text("text", text);
    if (detail != nullptr) line.Text("detail", detail);
    line.Emit();
    return;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  EndBarLine();
  std::fprintf(stderr, "k470: %s\n", ToConsoleText(text).c_str());
  if (detail != nullptr) std::fprintf(stderr, "  %s\n", ToConsoleText(detail).c_str());
  std::fflush(stderr);
}

void ConsoleTarget::Note(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  EndBarLine();
  std::fprintf(stderr, "k470: %s\n", ToConsoleText(text.c_str()).c_str());
  std::fflush(stderr);
}

void ConsoleTarget::Finish(int exitStatus, double seconds) {
  if (m_mode != ConsoleMode::Json) return;
  JsonLine("end").Text("result", ResultName(exitStatus)).Seconds("seconds", seconds).Emit();
}

JobProgress ConsoleTarget::LastProgress() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_last;
}

}  // namespace k470::cli
