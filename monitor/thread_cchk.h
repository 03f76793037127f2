// CThreadCchk: board detection. Once a second it looks at what the board has sent,
// decides which monitor prompt is there, reports every change of that finding and sends
// a carriage return so that the monitor prints its prompt again. Between the looks it
// takes the board's bytes into the line buffer as they arrive, so that it sleeps on the
// port and sees at once when the port's device goes away.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jobs/thread_vl.h"
#include "monitor/board_state.h"

namespace k470 {

class CComPort;
class JobTarget;

constexpr uint32_t kDetectPeriodMs = 1000;   // one look per period
constexpr size_t kPromptBufferBytes = 32;    // the line buffer of the prompt
constexpr int kDetectReadBytes = 64;         // bytes taken from the port at a time

class CThreadCchk : public CThreadVl {
 public:
  CThreadCchk() = default;
  ~CThreadCchk() override;

  // Stores the port (open, borrowed for the run) and the receiver of the board states,
  // and starts the job. Returns 1, or 0 when no thread could be created.
  int Start(CComPort* port, JobTarget* target);

  // The last state posted, -1 before the first post of a run.
  int State() const { return m_state.load(); }

 protected:
  int Run() override;

 private:
  // Takes received bytes into the prompt line; a '>' marks the prompt as seen.
  struct PromptLine {
    char text[kPromptBufferBytes] = {};
    size_t position = 0;
    bool promptSeen = false;
    void Take(uint8_t b);
  };

  CComPort* m_port = nullptr;
  JobTarget* m_target = nullptr;
  std::atomic<int> m_state{-1};
};

// The finding of one look: BOARD_NO_REPLY without a prompt, else the board whose name is
// the line buffer's text up to its first NUL (BOARD_OTHER for any other text).
int BoardFromPrompt(bool promptSeen, const char* line, size_t lineBytes);

}  // namespace k470
