// iniacs: reads through the profile functions, writes either directly or by editing the
// file's lines in memory and writing them all back when the batch ends.
#include "settings/iniacs.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/numbers.h"
#include "settings/profile.h"
#include "settings/profile_reader.h"

namespace k470 {
namespace {

// GetHex reads the value through a buffer of this many bytes (at most 15 characters).
constexpr int kHexBufferBytes = 16;

bool IsBlank(char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }

// [begin, end) of `line` without the blanks on either side.
void Trim(const std::string& line, size_t* begin, size_t* end) {
  while (*begin < *end && IsBlank(line[*begin])) ++*begin;
  while (*end > *begin && IsBlank(line[*end - 1])) --*end;
}

// Names compare as the reader compares them: ASCII letters without regard to case. The
// names the program asks for are ASCII, so a byte of a two-byte character never matches.
bool SameName(const std::string& line, size_t begin, size_t end, const char* name) {
  const size_t length = std::strlen(name);
  if (end - begin != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (std::toupper(static_cast<unsigned char>(line[begin + i])) !=
        std::toupper(static_cast<unsigned char>(name[i])))
      return false;
  }
  return true;
}

// A section header as the reader takes it: "[" after optional blanks and a "]" later on
// the line; `name` receives the blank-trimmed text between them.
bool HeaderName(const std::string& line, size_t* begin, size_t* end) {
  size_t b = 0;
  size_t e = line.size();
  Trim(line, &b, &e);
  if (b == e || line[b] != '[') return false;
  const size_t close = line.rfind(']', e - 1);
  if (close == std::string::npos || close <= b) return false;
  *begin = b + 1;
  *end = close;
  Trim(line, begin, end);
  return true;
}

// The key of an entry line: the blank-trimmed text before its first "=" (the whole line
// when it holds none).
void KeyName(const std::string& line, size_t* begin, size_t* end) {
  *begin = 0;
  *end = line.size();
  Trim(line, begin, end);
  const size_t equals = line.find('=', *begin);
  if (equals != std::string::npos && equals < *end) {
    *end = equals;
    Trim(line, begin, end);
  }
}

}  // namespace

iniacs::~iniacs() { Commit(); }

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

int iniacs::DeleteLine(const char* section, const char* key) {
  if (m_loaded == 0) {
    if (!LoadLines()) return 0;
    m_loaded = 1;
  }
  const EntryPosition found = FindEntry(section, key);
  if (found.keyFound) m_lines.erase(m_lines.begin() + found.position);
  return 1;
}

iniacs::EntryPosition iniacs::FindEntry(const char* section, const char* key) const {
  EntryPosition result;
  for (size_t i = 0; i < m_lines.size(); ++i) {
    const std::string& line = m_lines[i];
    size_t begin = 0;
    size_t end = 0;
    const bool header = HeaderName(line, &begin, &end);
    if (!result.sectionFound) {
      if (header && SameName(line, begin, end, section)) result.sectionFound = true;
      continue;
    }
    if (header) {
      result.position = static_cast<int>(i);
      return result;
    }
    KeyName(line, &begin, &end);
    if (begin < end && SameName(line, begin, end, key)) {
      result.position = static_cast<int>(i);
      result.keyFound = true;
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
  if (f == nullptr) {
    NoteFailure();
    return false;
  }
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

bool iniacs::SaveLines() {
  FILE* f = std::fopen(m_path.c_str(), "wb");
  if (f == nullptr) {
    NoteFailure();
    return false;
  }
  for (const std::string& line : m_lines) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fwrite("\r\n", 1, 2, f);
  }
  // A full disk shows at the latest when the buffered lines go out.
  const bool written = std::ferror(f) == 0;
  if (!written) NoteFailure();
  if (std::fclose(f) != 0 && written) {
    NoteFailure();
    return false;
  }
  return written;
}

bool iniacs::Commit() {
  if (m_rewrite != 0 && m_loaded != 0 && !m_committed) {
    m_committed = true;
    SaveLines();
  }
  return m_failure.empty();
}

void iniacs::NoteFailure() {
  if (m_failure.empty()) m_failure = std::strerror(errno);
  if (m_failure.empty()) m_failure = "unknown error";
}

}  // namespace k470
