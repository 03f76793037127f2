// ConsoleTarget: a job's reports on the console, as text or as JSON events.
#include "cli/console_target.h"

#include <cstdio>

#include "cli/cli_args.h"
#include "cli/console.h"
#include "cli/job_runner.h"
#include "cli/json_line.h"
#include "base/ticks.h"
#include "monitor/board_state.h"

namespace k470::cli {
namespace {

const char* ResultName(int exitStatus) {
  if (exitStatus == kExitOk) return "succeeded";
  return IsCancelledStatus(exitStatus) ? "cancelled" : "failed";
}

const char* VerifyResultName(VerifyResult result) {
  switch (result) {
    case VerifyResult::Verified: return "verified";
    case VerifyResult::Failed: return "failed";
    case VerifyResult::Unavailable: return "unavailable";
    default: return "skipped";
  }
}
}  // namespace

ConsoleMode ConsoleModeFor(bool json) {
  if (json) return ConsoleMode::Json;
  return StderrIsTerminal() ? ConsoleMode::Bar : ConsoleMode::Lines;
}

ConsoleTarget::ConsoleTarget(ConsoleMode mode) : m_mode(mode) {}

namespace {

// "[####......]  45%": the bar of `cells` cells and the percentage.
std::string BarHead(int percent, int cells) {
  const int filled = percent * cells / 100;
  std::string bar = "[";
  for (int i = 0; i < cells; ++i) bar += i < filled ? '#' : '.';
  char head[16];
  std::snprintf(head, sizeof head, "] %3d%%", percent);
  return bar + head;
}

}  // namespace

std::string ConsoleTarget::FormatBar(const ProgressMeter& meter, int cells) {
  return BarHead(meter.Percent(), cells) + "  " + meter.Line();
}

std::string ConsoleTarget::FitBar(const ProgressMeter& meter, int columns) {
  if (columns <= 0) return FormatBar(meter);
  const int percent = meter.Percent();
  const std::string sizes = "  " + ProgressMeter::Size(meter.DoneBytes()) + " of " +
                            ProgressMeter::Size(meter.TotalBytes());
  char alone[8];
  std::snprintf(alone, sizeof alone, "%d%%", percent);
  // From the whole line to the percentage alone: the first that fits is drawn.
  const std::string choices[] = {
      FormatBar(meter),
      BarHead(percent, kBarCells) + sizes,
      BarHead(percent, kNarrowBarCells) + sizes,
      BarHead(percent, kNarrowBarCells),
      alone,
  };
  const int room = columns - 1;
  for (const std::string& line : choices) {
    if (TextColumns(line) <= room) return line;
  }
  return CutToColumns(alone, room);
}

std::string PadToColumns(const std::string& text, int columns) {
  const int used = TextColumns(text);
  return used >= columns ? text : text + std::string(static_cast<size_t>(columns - used), ' ');
}

void ConsoleTarget::ForBoard(const std::string& port, BarBlock* block, int row) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_port = port;
  m_block = block;
  m_row = row;
  if (block != nullptr) {
    const int width = block->Columns() / 4;
    m_rowLabel = CutToColumns(EscapeControls(port),
                              width > kBoardLabelMinColumns ? width : kBoardLabelMinColumns);
  }
}

std::string ConsoleTarget::RowText(const std::string& text) const {
  return m_rowLabel + ": " + EscapeControls(text);
}

std::string ConsoleTarget::FailureText() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_failure;
}

void ConsoleTarget::EndBarLine() {
  if (m_barShown) std::fputc('\n', stderr);
  m_barShown = false;
}

JsonLine ConsoleTarget::Event(const char* name) const {
  JsonLine line(name);
  if (!m_port.empty()) line.SystemText("port", m_port);
  return line;
}

std::string ConsoleTarget::Prefixed(const char* text) const {
  return EscapeControls(m_port.empty() ? std::string(text) : m_port + ": " + text);
}

void ConsoleTarget::PrintLines(const std::string& lines) {
  if (m_block != nullptr) {
    m_block->PrintAbove(lines);
    return;
  }
  EndBarLine();
  std::fputs(lines.c_str(), stderr);
  std::fflush(stderr);
}

void ConsoleTarget::PostStatus(const char* text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_mode == ConsoleMode::Json) {
    Event("status").Text("text", text).Emit();
    return;
  }
  // With a bar the progress tells more than the statuses of each chunk or block.
  if (m_mode == ConsoleMode::Bar && m_last.total != 0) return;
  if (m_block != nullptr) {
    m_block->SetRow(m_row, RowText(text));
    return;
  }
  PrintLines(Prefixed(text) + "\n");
}

void ConsoleTarget::PostProgress(const JobProgress& progress) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_last = progress;
  m_meter.Update(progress, TickCountMs());
  if (m_mode == ConsoleMode::Json) {
    Event("progress")
        .Text("unit", progress.unit == ProgressUnit::Blocks ? "blocks" : "bytes")
        .Number("done", static_cast<int64_t>(progress.done))
        .Number("total", static_cast<int64_t>(progress.total))
        .Hex8("address", progress.address)
        .Emit();
  } else if (m_mode == ConsoleMode::Bar && m_block != nullptr) {
    m_block->SetRow(m_row, RowText(FormatBar(m_meter, kBoardBarCells)));
  } else if (m_mode == ConsoleMode::Bar) {
    // Fitted to the terminal's width as it is now (it may have been resized), and blanks
    // up to its last column but one wipe a longer line drawn before.
    const int columns = TerminalColumns();
    const std::string line = FitBar(m_meter, columns);
    const std::string drawn = columns > 0 ? PadToColumns(line, columns - 1) : line + "  ";
    std::fprintf(stderr, "\r%s", drawn.c_str());
    std::fflush(stderr);
    m_barShown = true;
  }
}

void ConsoleTarget::PostEnded(int result) {
  std::lock_guard<std::mutex> lock(m_mutex);
  // A board's row that stopped short says so; the summary tells why.
  if (m_block != nullptr && result != JOB_SUCCEEDED) {
    m_block->SetRow(m_row, RowText(result == JOB_CANCELLED ? "cancelled" : "failed"));
  }
  EndBarLine();
  std::fflush(stderr);
  m_result = result;
}

void ConsoleTarget::PostBoardState(int state) {
  // The loss of the port is no state of the board; the command says it with the port.
  if (m_boardStatesMuted.load() || state == BOARD_PORT_LOST) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_mode == ConsoleMode::Json) {
    Event("board").Number("state", state).Text("text", BoardStateText(state)).Emit();
    return;
  }
  EndBarLine();
  std::fprintf(stdout, "%s\n", Prefixed(BoardStateText(state)).c_str());
  std::fflush(stdout);
}

void ConsoleTarget::ShowMessage(const char* text, MessageIcon icon, const char* detail) {
  Message(text, true, icon, detail);
}

void ConsoleTarget::ShowToolFailure(const std::string& text, const char* detail) {
  Message(text.c_str(), false, MessageIcon::Error, detail);
}

void ConsoleTarget::Message(const char* text, bool ownText, MessageIcon icon,
                            const char* detail) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (icon == MessageIcon::Error && m_failure.empty()) {
    m_failure = text;
    if (detail != nullptr && *detail != '\0') m_failure += std::string(" (") + detail + ")";
  }
  if (m_mode == ConsoleMode::Json) {
    JsonLine line = Event("message");
    line.Text("icon", icon == MessageIcon::Error ? "error" : "information");
    if (ownText) {
      line.Text("text", text);
    } else {
      line.SystemText("text", text);
    }
    if (detail != nullptr) line.SystemText("detail", detail);
    line.Emit();
    return;
  }
  std::string lines = "k470: " + Prefixed(text) + "\n";
  if (detail != nullptr) lines += "  " + EscapeControls(detail) + "\n";
  PrintLines(lines);
}

void ConsoleTarget::PostNote(const char* text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_mode == ConsoleMode::Json) {
    Event("note").Text("text", text).Emit();
    return;
  }
  PrintLines("k470: note: " + Prefixed(text) + "\n");
}

void ConsoleTarget::PostVerify(const VerifyReport& report) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_mode == ConsoleMode::Json) {
    JsonLine line = Event("verify");
    line.Text("result", VerifyResultName(report.result));
    if (report.chipSumKnown) line.Hex8("chip_sum", report.chipSum);
    if (report.result != VerifyResult::Skipped) line.Hex8("image_sum", report.imageSum);
    if (report.readBack) line.Flag("read_back", true);
    if (report.differs) {
      char chip[4], image[4];
      std::snprintf(chip, sizeof chip, "%02X", report.chipByte);
      std::snprintf(image, sizeof image, "%02X", report.imageByte);
      line.Hex8("address", report.address).Text("chip_byte", chip).Text("image_byte", image);
    }
    line.Emit();
    return;
  }
  // A failure and a check that could not run are told by the message and the note.
  char text[64];
  if (report.result == VerifyResult::Verified && report.readBack) {
    std::snprintf(text, sizeof text, "verified: every written block read back");
  } else if (report.result == VerifyResult::Verified) {
    std::snprintf(text, sizeof text, "verified: sum 0x%08X", static_cast<unsigned>(report.chipSum));
  } else if (report.result == VerifyResult::Skipped) {
    std::snprintf(text, sizeof text, "not verified (--no-verify)");
  } else {
    return;
  }
  PrintLines("k470: " + Prefixed(text) + "\n");
}

void ConsoleTarget::PostResent(uint32_t frames) { m_resent = frames; }

void ConsoleTarget::Note(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  PrintLines("k470: " + Prefixed(text.c_str()) + "\n");
}

int ConsoleTarget::Finish(int exitStatus, double seconds) {
  // What went to stderr is out of the buffer by now, or its failure is known.
  std::fflush(stderr);
  if (exitStatus == kExitOk && OutputFailed()) exitStatus = kExitFailed;
  if (m_mode != ConsoleMode::Json) return exitStatus;
  std::lock_guard<std::mutex> lock(m_mutex);
  JsonLine line = Event("end");
  line.Text("result", ResultName(exitStatus)).Seconds("seconds", seconds);
  if (m_resent >= 0) line.Number("resent", m_resent);
  line.Emit();
  return exitStatus;
}

int ConsoleTarget::FailBeforeJob(const std::string& text, const std::string& detail) {
  ShowToolFailure(text, detail.empty() ? nullptr : detail.c_str());
  return Finish(kExitFailed, 0);
}

JobProgress ConsoleTarget::LastProgress() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_last;
}

}  // namespace k470::cli
