// The monitor: a terminal on the board's line. What the board sends goes to stdout as it
// arrives (or as "output" events with --json, and into a log file); the user's keys go to
// the board. It ends on Ctrl-] (status 0), a lost port (1), or Ctrl-C, SIGTERM, SIGHUP.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/cancel_slice.h"
#include "cli/board_output.h"
#include "cli/key_input.h"

namespace k470 {
class CComPort;
}

namespace k470::cli {

class ArgParser;
class ConsoleTarget;

struct MonitorOptions {
  bool raw = false;     // a terminal gets the control characters as they are
  bool json = false;    // "output" events on stdout
  std::string logPath;  // empty: no log
};

// The monitor's options of a command (--bps, --log, --raw, --json) into `options` and
// `bps`: kArgumentsGoOn, or the status of a usage error (printed).
int MonitorArguments(const ArgParser& args, const char* usage, MonitorOptions* options,
                     uint32_t* bps);

// The owner's part between the monitor's looks (the reload of `ramload --watch`).
class MonitorWatch {
 public:
  virtual ~MonitorWatch() = default;
  // A piece of the board's output, as it arrived.
  virtual void Saw(const uint8_t* bytes, size_t n) = 0;
  // After every look at the port and the keys; may use the port (the monitor waits).
  virtual void Between() = 0;
};

class MonitorSession {
 public:
  // How long one look at the port waits for the board: the cancel slice, so that the keys
  // (and Ctrl-C, the watch's file) are looked at between as often as any flag is.
  static constexpr uint32_t kLookMs = kCancelSliceMs;
  // After a piece of output the next read waits this long, so that a fast line is read
  // in pieces of some size rather than byte by byte (a human does not see the delay).
  static constexpr uint32_t kGatherMs = 10;
  static constexpr size_t kReadBytes = 4096;

  MonitorSession(CComPort* port, ConsoleTarget* target, const MonitorOptions& options);

  // Opens the log file; false with the message shown when it cannot be opened.
  bool Begin();
  // Runs the monitor until its end and returns the exit status. `start` (may be empty)
  // runs once the keys are taken and before the first read (the go command); false from
  // it ends the monitor with status 1. The terminal's settings are given back on return.
  int Run(const std::function<bool()>& start, MonitorWatch* watch);

 private:
  void Show(const uint8_t* bytes, size_t n);
  void ShowRest();
  // The port's loss or a failed write: the message, status 1.
  int PortFailed();

  CComPort* m_port;
  ConsoleTarget* m_target;
  MonitorOptions m_options;
  bool m_escape = false;  // stdout is a terminal and --raw was not given
  KeyInput m_keys;
  Utf8Pieces m_json;
  LogLines m_log;
};

}  // namespace k470::cli
