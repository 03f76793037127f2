// BarBlock: one progress line a board at the bottom of a terminal, drawn again in place
// as the boards progress, with the tool's other lines printed above it.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace k470::cli {

// Redraws closer together than this are left out: four boards writing 128-byte blocks
// would otherwise redraw the block some two hundred times a second.
constexpr uint32_t kBarRedrawMs = 100;

class BarBlock {
 public:
  // `columns`: the terminal's width (0 unknown). A row never reaches its last column, so
  // that no row wraps and the redraw stays on its lines.
  BarBlock(int rows, int columns) : m_rows(static_cast<size_t>(rows)), m_columns(columns) {}

  int Columns() const { return m_columns; }

  // The row's new text (console encoding); drawn at once unless the last draw was less
  // than kBarRedrawMs ago.
  void SetRow(int row, const std::string& text);

  // Lines above the block (each ending with '\n'), then the block drawn again.
  void PrintAbove(const std::string& lines);

  // Draws the rows' last texts and leaves the cursor below them; later prints are plain.
  void Close();

 private:
  void Draw();  // with the mutex held

  std::mutex m_mutex;
  std::vector<std::string> m_rows;
  const int m_columns;
  bool m_drawn = false;
  bool m_closed = false;
  uint32_t m_lastDrawMs = 0;
};

}  // namespace k470::cli
