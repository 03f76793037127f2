// iniacs: reads through the profile functions, writes either directly or by editing the
// file's lines in memory and writing them all back when the batch ends.
#include "settings/iniacs.h"

#include <cstdio>
#include <cstring>

#include "base/numbers.h"
#include "settings/profile.h"
#include "settings/profile_reader.h"

namespace k470 {
namespace {

// GetHex reads the value through a buffer of this many bytes (at most 15 characters).
constexpr int kHexBufferBytes = 16;

bool StartsWith(const std::string& line, const std::string& prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

iniacs::~iniacs() {
  if (m_rewrite != 0 && m_loaded != 0) SaveLines();
}

void iniacs::SetFile(const std::string& path, int rewrite) {
  m_path = path;
  m_rewrite = rewrite;
}

void iniacs::SetFile(const char* path, int rewrite) {
  SetFile(std::string(path != nullptr ? path : ""), rewrite);
}

void iniacs::SetText(const std::string& bytes) {
  m_text = bytes;
  m_fromText = true;
  m_rewrite = 0;
}

int32_t iniacs::GetInt(const char* section, const char* key) {
  if (m_fromText) return ProfileTextGetInt(ProgramTextCoding(), m_text, section, key, kIniAbsent);
  return ProfileGetInt(section, key, kIniAbsent, m_path.c_str());
}

int iniacs::ReadString(const char* section, const char* key, char* buffer, int size) {
  if (m_fromText) {
    return ProfileTextGetString(ProgramTextCoding(), m_text, section, key, "", buffer, size);
  }
  return ProfileGetString(section, key, "", buffer, size, m_path.c_str());
}

int32_t iniacs::GetInt(const char* section, const char* key, int32_t absent) {
  const int32_t value = GetInt(section, key);
  return value == kIniAbsent ? absent : value;
}

uint32_t iniacs::GetHex(const char* section, const char* key) {
  char buffer[kHexBufferBytes] = {};
  if (ReadString(section, key, buffer, kHexBufferBytes) <= 0) return 0;
  buffer[kHexBufferBytes - 1] = '\0';
  uint32_t value = 0;
  for (const char* p = buffer; *p != '\0'; ++p) {
    int digit = HexDigit(*p);
    if (digit < 0) return 0;
    value = value * 16u + static_cast<uint32_t>(digit);  // wraps: the last eight digits count
  }
  return value;
}

bool iniacs::GetString(const char* section, const char* key, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return false;
  // Zeroed first: where the buffer ends inside a two-byte character, the system's reader
  // leaves that byte as it was.
  std::memset(buffer, 0, static_cast<size_t>(size));
  if (ReadString(section, key, buffer, size) <= 0) return false;
  buffer[size - 1] = '\0';

  // Comment cut as the C library's token splitter does it on ";": leading ";" bytes are
  // passed over (and stay), the first ";" after another byte ends the value.
  char* p = buffer;
  while (*p == ';') ++p;
  if (*p != '\0') {
    char* semicolon = std::strchr(p, ';');
    if (semicolon != nullptr) *semicolon = '\0';
  }
  if (buffer[0] == '\0') return false;

  // Trailing blanks, byte by byte: ASCII blanks and the full-width blank 0x81 0x40. The
  // first byte is never tested alone.
  int last = static_cast<int>(std::strlen(buffer)) - 1;
  while (last > 0) {
    unsigned char b = static_cast<unsigned char>(buffer[last]);
    if (b == 0x40 && static_cast<unsigned char>(buffer[last - 1]) == 0x81) {
      buffer[last - 1] = '\0';
      last -= 2;
    } else if (b == 0x20) {
      buffer[last] = '\0';
      last -= 1;
    } else {
      break;
    }
  }
  return true;
}

int iniacs::WriteInt(const char* section, const char* key, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return Write(section, key, text);
}

int iniacs::WriteHex(const char* section, const char* key, uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
  return Write(section, key, text);
}

int iniacs::WriteString(const char* section, const char* key, const char* text) {
  return Write(section, key, text != nullptr ? text : "");
}

int iniacs::Write(const char* section, const char* key, const char* text) {
  if (m_fromText) return 0;  // a copy read once has no file to write
  if (m_rewrite == 0) {
    ProfileWriteString(section, key, text, m_path.c_str());
    return 1;
  }
  return WriteLine(section, key, text);
}

int iniacs::WriteLine(const char* section, const char* key, const char* value) {
  if (m_loaded == 0) {
    if (!LoadLines()) return 0;
    m_loaded = 1;
  }
  EntryPosition found = FindEntry(section, key);
  std::string entry = std::string(key) + "=" + value;
  if (found.sectionFound) {
    auto at = m_lines.begin() + found.position;
    if (found.keyFound) at = m_lines.erase(at);
    m_lines.insert(at, entry);
  } else {
    m_lines.push_back("[" + std::string(section) + "]");
    m_lines.push_back(entry);
  }
  return 1;
}

iniacs::EntryPosition iniacs::FindEntry(const char* section, const char* key) const {
  EntryPosition result;
  const std::string header = "[" + std::string(section) + "]";
  const std::string keyText(key);
  for (size_t i = 0; i < m_lines.size(); ++i) {
    const std::string& line = m_lines[i];
    if (!result.sectionFound) {
      if (StartsWith(line, header)) result.sectionFound = true;
      continue;
    }
    if (StartsWith(line, keyText)) {
      result.position = static_cast<int>(i);
      result.keyFound = true;
      return result;
    }
    if (!line.empty() && line[0] == '[') {
      result.position = static_cast<int>(i);
      return result;
    }
  }
  if (result.sectionFound) result.position = static_cast<int>(m_lines.size());
  return result;
}

bool iniacs::LoadLines() {
  // "a+b": opened for reading and writing, created when missing, never truncated. Binary,
  // so that the line ends are split here the same way on every platform.
  FILE* f = std::fopen(m_path.c_str(), "a+b");
  if (f == nullptr) return false;
  std::fseek(f, 0, SEEK_SET);
  std::string line;
  bool pending = false;
  int c;
  while ((c = std::fgetc(f)) != EOF) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      m_lines.push_back(line);
      line.clear();
      pending = false;
    } else {
      line.push_back(static_cast<char>(c));
      pending = true;
    }
  }
  if (pending) m_lines.push_back(line);
  std::fclose(f);
  return true;
}

void iniacs::SaveLines() {
  FILE* f = std::fopen(m_path.c_str(), "wb");
  if (f == nullptr) return;
  for (const std::string& line : m_lines) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fwrite("\r\n", 1, 2, f);
  }
  std::fclose(f);
}

}  // namespace k470
