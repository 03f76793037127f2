// The simulator's event loop: reads what the host sends, finds the rate the host's port
// is set to, hands every byte to the target as its receiver would see it, and sends the
// target's answers at their due times. Ends on SIGTERM/SIGINT or when the line is dropped.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <vector>

#include "line_noise.h"
#include "pty_line.h"
#include "sim_options.h"
#include "target.h"

namespace k470sim {

class JsonWriter;

struct LoopStats {
  uint64_t received = 0;
  uint64_t sent = 0;
  uint64_t garbled = 0;          // received at a rate or format the target did not take
  uint64_t sentGarbled = 0;      // sent while the host listened at another rate
  uint64_t lost = 0;             // sent while the host's receive buffer was full
  double lineSeconds = 0;        // 10 bit times of every byte received and sent, at its rate
  std::vector<uint32_t> rates;   // host rates at which bytes arrived, each change once
  bool dropped = false;          // the line was dropped by --drop-after
  const char* stoppedBy = "signal";
  void Write(JsonWriter& json) const;
};

// Installs the SIGTERM/SIGINT handlers and the reset button (SIGUSR1); call before RunLoop.
void InstallStopSignals();

// Seconds since the loop's clock started (the first call).
double Now();

// `parent`: the process that started the simulator; the loop ends when it is gone. Every
// byte crosses `noise` on its way, in both directions.
void RunLoop(PtyLine& line, Target& target, const SimOptions& options, pid_t parent,
             LineNoise& noise, LoopStats& stats);

}  // namespace k470sim
