// The platform-neutral part of the keys: lines of a piped stdin.
#include "cli/key_input.h"

namespace k470::cli {

bool KeyInput::TakeLines(const char* text, size_t n, std::string* bytes) {
  constexpr size_t kMaxLineBytes = 4096;  // a longer line goes in pieces
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == kMonitorQuitKey) return true;
    if (c == '\n') {
      if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
      *bytes += m_line + "\r";
      m_line.clear();
    } else {
      m_line += c;
      if (m_line.size() >= kMaxLineBytes) {
        *bytes += m_line;
        m_line.clear();
      }
    }
  }
  return false;
}

}  // namespace k470::cli
