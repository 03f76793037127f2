// The program that the board monitor's go command starts, as far as the host sees it: a
// text the instant it starts, then a numbered line every period; it echoes what it
// receives, and a reset (after a time, or on demand) brings the monitor back.
#pragma once

#include <cstdint>
#include <string>

#include "target.h"

namespace k470sim {

struct ProgramBehaviour {
  std::string startText;  // sent at once after G ("" sends nothing)
  int chatterMs = 0;      // a numbered line this often; 0: none
  int resetAfterMs = 0;   // the board resets itself this long after G; 0: never
  // True when any of the above is asked for: G then starts a program that holds the line
  // until a reset, instead of returning to the monitor at once.
  bool Runs() const { return !startText.empty() || chatterMs > 0 || resetAfterMs > 0; }
};

class MonitorProgram {
 public:
  static constexpr size_t kMaxKeptInput = 4096;  // what the report keeps of the echoed bytes

  explicit MonitorProgram(const ProgramBehaviour& behaviour) : m_behaviour(behaviour) {}

  // True when G starts a program that holds the line (any behaviour was asked for).
  bool Holds() const { return m_behaviour.Runs(); }
  bool Running() const { return m_running; }
  // G has been read at `time`: the program starts, its text goes at once.
  void Start(double time, uint32_t rate, Output& out);
  // A byte while it runs: echoed at once.
  void OnByte(uint8_t value, double time, uint32_t rate, Output& out);
  // The next numbered line or reset; negative when nothing is due.
  double NextTimer() const;
  // Sends the lines that are due; true when the reset is due (the program has stopped).
  bool OnTimer(double now, uint32_t rate, Output& out);
  void Stop() { m_running = false; }

  uint64_t Lines() const { return m_lines; }
  uint64_t Echoed() const { return m_echoed; }
  const std::string& Input() const { return m_input; }  // the first bytes echoed

 private:
  ProgramBehaviour m_behaviour;
  bool m_running = false;
  double m_nextLine = -1;
  double m_resetAt = -1;
  uint64_t m_lines = 0;  // numbered lines sent over all runs
  uint64_t m_echoed = 0;
  std::string m_input;
};

}  // namespace k470sim
