// JsonLine: escaping, and one line at a time on stdout.
#include "cli/json_line.h"

#include <cstdio>
#include <mutex>

#include "cli/console.h"
#include "cli/utf8.h"

namespace k470::cli {
namespace {

std::mutex g_stdoutMutex;

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The text as a JSON string: valid UTF-8 whatever the bytes (a byte that starts no
// character becomes U+FFFD), controls escaped.
std::string Quoted(const std::string& text) {
  std::string utf8;
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8Length(text, at);
    if (length == 0) {
      utf8 += kReplacement;
      ++at;
    } else {
      utf8.append(text, at, length);
      at += length;
    }
  }
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace

JsonLine::JsonLine(const char* event) { m_text = "{\"event\":" + Quoted(event); }

void JsonLine::Key(const char* key) { m_text += "," + Quoted(key) + ":"; }

JsonLine& JsonLine::Text(const char* key, const std::string& value) {
  Key(key);
  m_text += Quoted(ToUtf8Text(value.c_str()));
  return *this;
}

JsonLine& JsonLine::SystemText(const char* key, const std::string& value) {
  Key(key);
  m_text += Quoted(SystemTextToUtf8(value.c_str()));
  return *this;
}

JsonLine& JsonLine::Utf8(const char* key, const std::string& value) {
  Key(key);
  m_text += Quoted(value);
  return *this;
}

JsonLine& JsonLine::Number(const char* key, int64_t value) {
  Key(key);
  m_text += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::Seconds(const char* key, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  Key(key);
  m_text += text;
  return *this;
}

JsonLine& JsonLine::Hex8(const char* key, uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
  return Text(key, text);
}

JsonLine& JsonLine::Flag(const char* key, bool value) {
  Key(key);
  m_text += value ? "true" : "false";
  return *this;
}

void JsonLine::Emit() {
  std::lock_guard<std::mutex> lock(g_stdoutMutex);
  std::fputs((m_text + "}\n").c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace k470::cli
