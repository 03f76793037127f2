// Late answers: the samples, their median and the note.
#include "jobs/late_answers.h"

#include <algorithm>
#include <cstdio>

#include "base/ticks.h"

namespace k470 {

namespace {
constexpr uint32_t kWholeSecondsFromS = 10;  // costs from 10 s on are given in whole seconds
constexpr size_t kNoteBytes = 320;
}  // namespace

void LateAnswers::Begin() { m_start = TickCountMs(); }

void LateAnswers::End(uint32_t lineMs) {
  if (m_count >= kLateAnswerSamples) return;
  const uint32_t elapsedMs = TickCountMs() - m_start;
  m_samplesMs[m_count++] = elapsedMs > lineMs ? elapsedMs - lineMs : 0;
}

uint32_t LateAnswers::MedianMs() const {
  if (m_count == 0) return 0;
  uint32_t sorted[kLateAnswerSamples];
  std::copy(m_samplesMs, m_samplesMs + m_count, sorted);
  std::sort(sorted, sorted + m_count);
  return sorted[(m_count - 1) / 2];
}

std::string LateAnswerNote(const LateAnswers& late, uint32_t roundTrips, const char* job,
                           const std::string& fix) {
  if (!late.Late()) return std::string();
  const uint32_t lateMs = late.MedianMs();
  const double costS = static_cast<double>(lateMs) * roundTrips / 1000.0;
  char cost[32];
  if (costS >= kWholeSecondsFromS) {
    std::snprintf(cost, sizeof cost, "%.0f s", costS);
  } else {
    std::snprintf(cost, sizeof cost, "%.1f s", costS);
  }
  char text[kNoteBytes];
  std::snprintf(text, sizeof text,
                "answers arrive about %u ms late (a USB adapter's latency timer?): "
                "this %s takes about %s longer; ",
                static_cast<unsigned>(lateMs), job, cost);
  // The fix names a host or a device of any length: it goes on whole.
  return text + fix;
}

}  // namespace k470
