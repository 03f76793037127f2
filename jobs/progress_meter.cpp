// ProgressMeter: rate and time left from a job's progress reports.
#include "jobs/progress_meter.h"

#include <cstdio>

#include "base/texts.h"

namespace k470 {
namespace {
constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = 1024 * 1024;
constexpr size_t kLineBytes = 128;
}  // namespace

void ProgressMeter::Update(const JobProgress& progress, uint32_t nowMs) {
  // The rate counts from the first report of a run: reading the file is no sending.
  if (!m_started || progress.done < m_last.done) {
    m_started = true;
    m_firstDone = progress.done;
    m_firstMs = nowMs;
  }
  m_last = progress;
  m_lastMs = nowMs;
}

int ProgressMeter::Percent() const {
  if (m_last.total == 0) return 0;
  const uint64_t done = m_last.done > m_last.total ? m_last.total : m_last.done;
  return static_cast<int>(done * 100 / m_last.total);
}

uint64_t ProgressMeter::BytesPerSecond() const {
  const uint32_t elapsedMs = m_lastMs - m_firstMs;
  if (!m_started || elapsedMs == 0 || m_last.done <= m_firstDone) return 0;
  return Bytes(m_last.done - m_firstDone) * 1000 / elapsedMs;
}

std::string ProgressMeter::Size(uint64_t bytes) {
  char text[32];
  if (bytes < kKiB) {
    std::snprintf(text, sizeof text, "%llu B", static_cast<unsigned long long>(bytes));
  } else if (bytes < kMiB) {
    // Whole KiB without a fraction: "256 KiB", else one decimal: "12.5 KiB".
    if (bytes % kKiB == 0) {
      std::snprintf(text, sizeof text, "%llu KiB", static_cast<unsigned long long>(bytes / kKiB));
    } else {
      std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / kKiB);
    }
  } else {
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / kMiB);
  }
  return text;
}

std::string ProgressMeter::Line() const {
  std::string line = Size(DoneBytes()) + " of " + Size(TotalBytes());
  const uint64_t rate = BytesPerSecond();
  if (rate == 0) return line;
  char tail[kLineBytes];
  const uint64_t left = TotalBytes() > DoneBytes() ? TotalBytes() - DoneBytes() : 0;
  const uint64_t seconds = (left + rate - 1) / rate;
  const std::string dot = Text(TextId::kProgressSeparator);
  std::snprintf(tail, sizeof tail, "%s/s%s%llu:%02llu left", Size(rate).c_str(), dot.c_str(),
                static_cast<unsigned long long>(seconds / 60),
                static_cast<unsigned long long>(seconds % 60));
  return line + dot + tail;
}

std::string ProgressMeter::LineAt(uint32_t nowMs, const char* who) const {
  const uint32_t quietMs = nowMs - m_lastMs;
  if (!m_started || m_last.done >= m_last.total || quietMs < kLateAnswerMs) return Line();
  char tail[kLineBytes];
  std::snprintf(tail, sizeof tail, "waiting for %s: %u s", who,
                static_cast<unsigned>(quietMs / 1000));
  return Size(DoneBytes()) + " of " + Size(TotalBytes()) + Text(TextId::kProgressSeparator) + tail;
}

}  // namespace k470
