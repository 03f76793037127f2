// ProgressMeter: the figures a front end shows beside a job's progress: how much of how
// much, the rate since the first report, and the time left at that rate, as the line
// "12.0 KiB of 256 KiB ・ 3.2 KiB/s ・ 0:41 left" (the Japanese middle dot, which the
// system's code page holds; in English "12.0 KiB of 256 KiB, 3.2 KiB/s, 0:41 left").
// Flash blocks count 128 bytes each.
#pragma once

#include <cstdint>
#include <string>

#include "jobs/job_target.h"

namespace k470 {

constexpr uint32_t kBytesPerBlock = 128;
// A report this late after the last one means the target is not answering.
constexpr uint32_t kLateAnswerMs = 2000;

class ProgressMeter {
 public:
  // Takes a report, made at `nowMs` (a tick count).
  void Update(const JobProgress& progress, uint32_t nowMs);

  // The last report taken.
  const JobProgress& Last() const { return m_last; }
  uint64_t DoneBytes() const { return Bytes(m_last.done); }
  uint64_t TotalBytes() const { return Bytes(m_last.total); }
  // Whole percent done, 0..100.
  int Percent() const;
  // Bytes a second since the first report; 0 until time has passed.
  uint64_t BytesPerSecond() const;
  // "12.0 KiB of 256 KiB ・ 3.2 KiB/s ・ 0:41 left" (the separator is the catalogue's
  // kProgressSeparator); the rate and the time left once known.
  std::string Line() const;
  // Line() while reports keep coming; once the next one is kLateAnswerMs overdue at
  // `nowMs`, "19 KiB of 64 KiB ・ waiting for <who>: 12 s" instead, so that a stalled
  // target does not look as if data still flowed at the last rate.
  std::string LineAt(uint32_t nowMs, const char* who) const;

  // "12.0 KiB", "256 KiB", "1.5 MiB", "900 B".
  static std::string Size(uint64_t bytes);

 private:
  uint64_t Bytes(uint64_t count) const {
    return m_last.unit == ProgressUnit::Blocks ? count * kBytesPerBlock : count;
  }

  JobProgress m_last;
  bool m_started = false;
  uint64_t m_firstDone = 0;
  uint32_t m_firstMs = 0;
  uint32_t m_lastMs = 0;
};

}  // namespace k470
