// ConsoleTarget: printing a job's reports on the console.
#include "cli/console_target.h"

#include <cstdio>

#include "cli/console.h"
#include "jobs/ticks.h"
#include "monitor/board_state.h"

namespace k470::cli {
namespace {
constexpr int kBarCells = 30;
}

ConsoleTarget::ConsoleTarget(bool drawBar) : m_drawBar(drawBar) {}

void ConsoleTarget::SetProgressReader(ProgressReader reader) { m_reader = std::move(reader); }

std::string ConsoleTarget::FormatBar(const ProgressPoint& p, uint32_t bytesPerSecond) {
  const uint64_t done = p.done > p.total ? p.total : p.done;
  const int percent = p.total ? static_cast<int>(done * 100 / p.total) : 0;
  const int filled = p.total ? static_cast<int>(done * kBarCells / p.total) : 0;
  std::string bar = "[";
  for (int i = 0; i < kBarCells; ++i) bar += i < filled ? '#' : '.';
  char tail[96];
  std::snprintf(tail, sizeof tail, "] %3d%%  %llu/%llu bytes  %u bytes/s", percent,
                static_cast<unsigned long long>(done), static_cast<unsigned long long>(p.total),
                static_cast<unsigned>(bytesPerSecond));
  return bar + tail;
}

void ConsoleTarget::EndBarLine() {
  if (m_barShown) std::fputc('\n', stderr);
  m_barShown = false;
}

void ConsoleTarget::PostStatus(unsigned, const char* text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  ProgressPoint p;
  if (m_drawBar && m_reader && m_reader(text, &p)) {
    const uint32_t now = TickCountMs();
    if (!m_rateStarted) {
      m_rateStarted = true;
      m_rateStartBytes = p.done;
      m_rateStartMs = now;
    }
    const uint32_t elapsed = now - m_rateStartMs;
    const uint64_t sent = p.done - (p.done >= m_rateStartBytes ? m_rateStartBytes : p.done);
    const uint32_t rate = elapsed ? static_cast<uint32_t>(sent * 1000 / elapsed) : 0;
    std::fprintf(stderr, "\r%s  ", FormatBar(p, rate).c_str());
    std::fflush(stderr);
    m_barShown = true;
    return;
  }
  EndBarLine();
  std::fprintf(stderr, "%s\n", ToConsoleText(text).c_str());
  std::fflush(stderr);
}

void ConsoleTarget::PostEnded(unsigned, int result) {
  std::lock_guard<std::mutex> lock(m_mutex);
  EndBarLine();
  std::fflush(stderr);
  m_result = result;
}

void ConsoleTarget::PostBoardState(int state) {
  // The loss of the port is no state of the board; the command says it with the port.
  if (m_boardStatesMuted.load() || state == BOARD_PORT_LOST) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  EndBarLine();
  std::fprintf(stdout, "%s\n", BoardStateText(state));
  std::fflush(stdout);
}

void ConsoleTarget::ShowMessage(const char* text, MessageIcon, const char* detail) {
  std::lock_guard<std::mutex> lock(m_mutex);
  EndBarLine();
  std::fprintf(stderr, "k470: %s\n", ToConsoleText(text).c_str());
  if (detail != nullptr) std::fprintf(stderr, "  %s\n", ToConsoleText(detail).c_str());
  std::fflush(stderr);
}

void ConsoleTarget::Note(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  EndBarLine();
  std::fprintf(stderr, "k470: %s\n", ToConsoleText(text.c_str()).c_str());
  std::fflush(stderr);
}

}  // namespace k470::cli
