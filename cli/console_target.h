// ConsoleTarget: the JobTarget of the command-line tool. By default statuses go to stderr,
// as a progress bar (percent, bytes, rate, time left) when stderr is a terminal, else one
// line a status; messages go to stderr in the console's encoding, with their detail on
// the line below; board states go to stdout as the page shows them. With --json every
// report is a JSON event on stdout instead, and nothing else goes there.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "cli/bar_block.h"
#include "cli/json_line.h"
#include "jobs/job_target.h"
#include "jobs/progress_meter.h"

namespace k470::cli {

enum class ConsoleMode { Lines, Bar, Json };

// The bar's cells: the bar of one job, and the shorter one of each of many boards.
constexpr int kBarCells = 30;
constexpr int kBoardBarCells = 10;
// The shortest bar that a narrow terminal still shows.
constexpr int kNarrowBarCells = 10;
// A board's line starts with its port, cut to a quarter of the terminal's width (at
// least this many cells), so that the bar stays in sight.
constexpr int kBoardLabelMinColumns = 12;

class ConsoleTarget : public JobTarget {
 public:
  explicit ConsoleTarget(ConsoleMode mode);

  void PostStatus(const char* text) override;
  void PostProgress(const JobProgress& progress) override;
  void PostEnded(int result) override;
  void PostBoardState(int state) override;
  // `text` is the program's own; `detail` a text of the system or of the protocol (a
  // file's name and why it cannot be read, the bytes that came back).
  void ShowMessage(const char* text, MessageIcon icon, const char* detail = nullptr) override;
  // A failure in the tool's own words that holds names the user gave ("cannot open port
  // X"): the whole text is taken as a text of the system.
  void ShowToolFailure(const std::string& text, const char* detail);
  void PostNote(const char* text) override;
  // A flash write's check: a "verify" event, or a line for a verified or skipped check.
  void PostVerify(const VerifyReport& report) override;
  // A flash write's resends: kept for the "end" event and the summary.
  void PostResent(uint32_t frames) override;

  // From now on board states are no longer reported: a look cut short by the stop of the
  // detection reports what it had read so far, which is no finding about the board.
  void MuteBoardStates() { m_boardStatesMuted = true; }

  // The target of one board among several: its lines start with the port, its JSON
  // events carry "port", and with a bar its progress is row `row` of `block` (may be null
  // without a bar).
  void ForBoard(const std::string& port, BarBlock* block, int row);

  // The first error message shown, its detail after it; empty when none was shown.
  std::string FailureText() const;

  // A line of the tool's own on stderr ("k470: " in front), ending a bar first. With
  // --json too: stdout carries only the events.
  void Note(const std::string& text);

  // The command's end: with --json the "end" event with the result ("succeeded",
  // "failed", "cancelled") and the seconds the command took. Returns the status the
  // command ends with: `exitStatus`, or 1 for a success whose output could not all be
  // written (a full disk, a closed pipe), so that the end and the status agree.
  int Finish(int exitStatus, double seconds);

  // A command that fails before its job: the message in the tool's words
  // (ShowToolFailure; with --json a "message" event), then the end. Returns 1.
  int FailBeforeJob(const std::string& text, const std::string& detail);

  int Result() const { return m_result.load(); }  // -1 before the end
  // The frames a flash write sent again; -1 when the job counts none (not a flash write,
  // or one that ended before it had a driver).
  int64_t Resent() const { return m_resent.load(); }
  JobProgress LastProgress() const;

  // The bar line: "[####......]  45%  118.0 KiB of 256 KiB ・ 3.7 KiB/s ・ 0:37 left".
  static std::string FormatBar(const ProgressMeter& meter, int cells = kBarCells);

  // The bar line for a terminal `columns` wide (0: unknown, the whole line), kept off its
  // last column so that it never wraps: the rate and the time left go first, then the
  // bar shortens, then the sizes and the bar go; the percentage stays to the last.
  static std::string FitBar(const ProgressMeter& meter, int columns);

 private:
  void EndBarLine();  // with the mutex held
  JsonLine Event(const char* name) const;
  // Lines of text for stderr (console encoding), above the board bars when there are any.
  void PrintLines(const std::string& lines);  // with the mutex held
  // ShowMessage with the text of the program (`ownText`) or of the system.
  void Message(const char* text, bool ownText, MessageIcon icon, const char* detail);
  // The text after the board's port, control characters escaped.
  std::string Prefixed(const char* text) const;
  std::string RowText(const std::string& text) const;  // a board's line in the block

  const ConsoleMode m_mode;
  mutable std::mutex m_mutex;
  ProgressMeter m_meter;
  JobProgress m_last;
  bool m_barShown = false;
  std::atomic<int> m_result{-1};
  std::atomic<bool> m_boardStatesMuted{false};
  std::atomic<int64_t> m_resent{-1};
  std::string m_port;            // empty for the only board of a command
  std::string m_rowLabel;        // the port as its line in the block shows it
  BarBlock* m_block = nullptr;
  int m_row = 0;
  std::string m_failure;
};

// `text` with blanks after it up to `columns` cells (a wide character fills two): the
// columns of a table line up whatever the characters of a port's name.
std::string PadToColumns(const std::string& text, int columns);

// The mode for a command: --json, else a bar when stderr is a terminal.
ConsoleMode ConsoleModeFor(bool json);

}  // namespace k470::cli
