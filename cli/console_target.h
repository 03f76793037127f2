// ConsoleTarget: the JobTarget of the command-line tool. Statuses go to stderr, as a
// progress bar (percent, bytes, bytes/s) when stderr is a terminal and the command can
// read its progress from the status text, else one line a status; messages go to stderr
// in the console's encoding; board states go to stdout as the page shows them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "jobs/job_target.h"

namespace k470::cli {

struct ProgressPoint {
  uint64_t done = 0;   // bytes sent so far
  uint64_t total = 0;  // bytes to send
};

// Reads a status text; false when the text tells no progress.
using ProgressReader = std::function<bool(const char* status, ProgressPoint* out)>;

class ConsoleTarget : public JobTarget {
 public:
  explicit ConsoleTarget(bool drawBar);

  void SetProgressReader(ProgressReader reader);

  void PostStatus(unsigned message, const char* text) override;
  void PostEnded(unsigned message, int result) override;
  void PostBoardState(int state) override;
  void ShowMessage(const char* text, MessageIcon icon, const char* detail = nullptr) override;

  // From now on board states are no longer printed: a look cut short by the stop of the
  // detection reports what it had read so far, which is no finding about the board.
  void MuteBoardStates() { m_boardStatesMuted = true; }

  // A line of the tool's own on stderr ("k470: " in front), ending a bar first.
  void Note(const std::string& text);

  bool Ended() const { return m_result.load() >= 0; }
  int Result() const { return m_result.load(); }  // -1 before the end

  // The bar line: "[####......]  45%  118784/262144 bytes  3840 bytes/s".
  static std::string FormatBar(const ProgressPoint& p, uint32_t bytesPerSecond);

 private:
  void EndBarLine();  // with the mutex held

  const bool m_drawBar;
  ProgressReader m_reader;
  std::mutex m_mutex;
  bool m_barShown = false;
  bool m_rateStarted = false;
  uint64_t m_rateStartBytes = 0;
  uint32_t m_rateStartMs = 0;
  std::atomic<int> m_result{-1};
  std::atomic<bool> m_boardStatesMuted{false};
};

}  // namespace k470::cli
