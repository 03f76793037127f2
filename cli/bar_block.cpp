// BarBlock: the rows are redrawn by moving the cursor up over them and clearing each line.
#include "cli/bar_block.h"

#include <cstdio>

#include "cli/console.h"
#include "base/ticks.h"

namespace k470::cli {

void BarBlock::Draw() {
  std::string out;
  if (m_drawn) out += "\x1b[" + std::to_string(m_rows.size()) + "A";
  for (const std::string& row : m_rows) {
    out += "\r\x1b[K" + (m_columns > 1 ? CutToColumns(row, m_columns - 1) : row) + "\n";
  }
  std::fputs(out.c_str(), stderr);
  std::fflush(stderr);
  m_drawn = true;
  m_lastDrawMs = TickCountMs();
}

void BarBlock::SetRow(int row, const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return;
  m_rows[static_cast<size_t>(row)] = text;
  if (m_closed) return;
  if (m_drawn && TickCountMs() - m_lastDrawMs < kBarRedrawMs) return;
  Draw();
}

void BarBlock::PrintAbove(const std::string& lines) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_closed || !m_drawn) {
    std::fputs(lines.c_str(), stderr);
    std::fflush(stderr);
    return;
  }
  // Up over the block, clear from there to the end of the screen, the lines, the block.
  std::string out = "\x1b[" + std::to_string(m_rows.size()) + "A\r\x1b[J" + lines;
  std::fputs(out.c_str(), stderr);
  m_drawn = false;
  Draw();
}

void BarBlock::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_closed) return;
  if (m_drawn) Draw();
  m_closed = true;
}

}  // namespace k470::cli
