// A small streaming JSON writer for the simulator's report.
#include "json_writer.h"

#include <cmath>
#include <cstdio>

namespace k470sim {

namespace {

void AppendEscaped(std::string& out, const std::string& s) {
  out += '"';
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

}  // namespace

std::string HexText(const uint8_t* data, size_t n) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(n * 3);
  for (size_t i = 0; i < n; ++i) {
    if (i) s += ' ';
    s += kDigits[data[i] >> 4];
    s += kDigits[data[i] & 0x0F];
  }
  return s;
}

void JsonWriter::Separate(const char* key) {
  if (!m_first.empty()) {
    if (!m_first.back()) m_text += ',';
    m_first.back() = false;
  }
  if (key) {
    AppendEscaped(m_text, key);
    m_text += ':';
  }
}

void JsonWriter::BeginObject(const char* key) {
  Separate(key);
  m_text += '{';
  m_first.push_back(true);
}

void JsonWriter::EndObject() {
  m_text += '}';
  m_first.pop_back();
  if (m_first.empty()) m_text += '\n';
}

void JsonWriter::BeginArray(const char* key) {
  Separate(key);
  m_text += '[';
  m_first.push_back(true);
}

void JsonWriter::EndArray() {
  m_text += ']';
  m_first.pop_back();
}

void JsonWriter::String(const char* key, const std::string& value) {
  Separate(key);
  AppendEscaped(m_text, value);
}

void JsonWriter::Number(const char* key, double value) {
  Separate(key);
  if (!std::isfinite(value)) {
    m_text += "null";
    return;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", value);
  m_text += buf;
}

void JsonWriter::Int(const char* key, int64_t value) {
  Separate(key);
  m_text += std::to_string(value);
}

void JsonWriter::Bool(const char* key, bool value) {
  Separate(key);
  m_text += value ? "true" : "false";
}

void JsonWriter::Null(const char* key) {
  Separate(key);
  m_text += "null";
}

void JsonWriter::Hex(const char* key, const std::vector<uint8_t>& bytes) {
  String(key, HexText(bytes));
}

}  // namespace k470sim
