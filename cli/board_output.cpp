// Rendering the board's output for the terminal, JSON and the log.
#include "cli/board_output.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "cli/utf8.h"

namespace k470::cli {
namespace {

constexpr uint8_t kBackspace = 0x08;
constexpr uint8_t kTab = 0x09;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kDelete = 0x7F;

void AppendEscaped(std::string* out, uint8_t byte) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
  *out += escaped;
}

}  // namespace

std::string EscapedForTerminal(const uint8_t* bytes, size_t n) {
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = bytes[i];
    const bool shown = c == kCr || c == kLf || c == kTab || c == kBackspace;
    if ((c < 0x20 && !shown) || c == kDelete) {
      AppendEscaped(&out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Utf8Pieces::Take(const uint8_t* bytes, size_t n) {
  std::string in = m_tail;
  in.append(reinterpret_cast<const char*>(bytes), n);
  m_tail.clear();
  std::string out;
  out.reserve(in.size());
  size_t at = 0;
  while (at < in.size()) {
    bool cut = false;
    const size_t length = Utf8Length(in, at, &cut);
    if (length != 0) {
      out.append(in, at, length);
      at += length;
    } else if (cut) {
      m_tail = in.substr(at);  // cut by the piece's end: the rest comes with the next
      break;
    } else {
      AppendEscaped(&out, static_cast<uint8_t>(in[at]));
      ++at;
    }
  }
  return out;
}

std::string Utf8Pieces::Rest() {
  std::string out;
  for (char c : m_tail) AppendEscaped(&out, static_cast<uint8_t>(c));
  m_tail.clear();
  return out;
}

bool LogLines::Open(const std::string& path, std::string* reason) {
  m_file = std::fopen(path.c_str(), "ab");
  if (!m_file) {
    *reason = std::strerror(errno);
    return false;
  }
  return true;
}

void LogLines::EndLine() {
  m_line += '\n';
  if (std::fputs(m_line.c_str(), m_file) < 0 || std::fflush(m_file) != 0) m_failed = true;
  m_line.clear();
  m_lineOpen = false;
}

void LogLines::Take(const uint8_t* bytes, size_t n, const std::string& stamp) {
  if (!m_file) return;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = bytes[i];
    if (c == kCr) continue;  // a line ends with LF; CR LF is one end
    if (!m_lineOpen) {
      m_line = stamp + " ";
      m_lineOpen = true;
    }
    if (c == kLf) {
      EndLine();
      continue;
    }
    if ((c < 0x20 && c != kTab) || c == kDelete || c == 0) {
      AppendEscaped(&m_line, c);
    } else {
      m_line += static_cast<char>(c);
    }
    if (m_line.size() >= kMaxLineBytes) EndLine();
  }
}

void LogLines::Close() {
  if (!m_file) return;
  if (m_lineOpen) EndLine();
  if (std::fclose(m_file) != 0) m_failed = true;
  m_file = nullptr;
}

std::string LogStamp() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  // One thread stamps the lines: the shared result of localtime is not raced.
  const std::tm* local = std::localtime(&seconds);
  char text[40] = "";
  if (local) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%s.%03d", text, static_cast<int>(ms));
  return stamp;
}

}  // namespace k470::cli
