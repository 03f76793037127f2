// Portable INI reader and direct writer; the rules are listed in profile_reader.h.
// The text is handled as characters of its coding (code page 932: one or two bytes each,
// as the system does after converting the file; UTF-8: one to four), so that a second
// byte equal to "]", "=" or a letter is never mistaken for one.
#include "settings/profile_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/mbcs.h"

namespace k470 {
namespace {

// The system converts an integer value through a 30-character buffer.
constexpr int kIntBufferChars = 30;

// One character: its bytes packed first byte highest (a single byte, lead << 8 | second
// byte, or up to four bytes of UTF-8). The first byte of a longer character is never 0.
using Char = uint32_t;
using Chars = std::vector<Char>;

struct Decoded {
  Chars chars;
  std::vector<size_t> offset;  // byte offset of every character, and one past the last
};

Decoded Decode(TextCoding coding, const char* text, size_t size) {
  Decoded d;
  d.chars.reserve(size);
  d.offset.reserve(size + 1);
  for (size_t i = 0; i < size;) {
    size_t n = CharLength(coding, text, size, i);
    Char c = 0;
    for (size_t k = 0; k < n; ++k) c = c << 8 | static_cast<uint8_t>(text[i + k]);
    d.chars.push_back(c);
    d.offset.push_back(i);
    i += n;
  }
  d.offset.push_back(size);
  return d;
}

Chars DecodeName(TextCoding coding, const char* name) {
  if (name == nullptr) return Chars();
  return Decode(coding, name, std::strlen(name)).chars;
}

size_t EncodedLength(Char c) { return c > 0xFFFFFF ? 4 : c > 0xFFFF ? 3 : c > 0xFF ? 2 : 1; }

void AppendEncoded(std::string* out, Char c) {
  for (size_t k = EncodedLength(c); k > 0; --k)
    out->push_back(static_cast<char>(c >> (8 * (k - 1)) & 0xFF));
}

std::string Encode(const Chars& chars) {
  std::string out;
  for (Char c : chars) AppendEncoded(&out, c);
  return out;
}

bool IsBlank(Char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }

Char FoldCase(Char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

bool SameName(const Chars& a, const Chars& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

Chars Trimmed(const Chars& s, size_t begin, size_t end) {
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return Chars(s.begin() + static_cast<std::ptrdiff_t>(begin),
               s.begin() + static_cast<std::ptrdiff_t>(end));
}

// One physical line, in characters: [begin, end) is its text, next is where the following
// line starts (after CR LF, LF or CR).
struct Line {
  size_t begin;
  size_t end;
  size_t next;
};

struct Entry {
  Chars name;
  bool hasValue;
  Chars value;
  size_t line;
};

struct Section {
  Chars name;
  std::vector<Entry> entries;
  size_t lastLine;      // the last line that belongs to the section's text (header or entry)
  bool hasLine;         // false for an empty top section
};

struct Profile {
  Decoded text;
  std::vector<Line> lines;
  std::vector<Section> sections;  // [0] is the unnamed part before the first header
};

Profile Parse(TextCoding coding, const std::string& bytes) {
  Profile p;
  p.text = Decode(coding, bytes.data(), bytes.size());
  const Chars& s = p.text.chars;
  p.sections.push_back(Section{Chars(), {}, 0, false});
  for (size_t i = 0; i < s.size();) {
    Line line{i, i, i};
    while (line.end < s.size() && s[line.end] != '\r' && s[line.end] != '\n') ++line.end;
    line.next = line.end;
    if (line.next < s.size() && s[line.next] == '\r') {
      ++line.next;
      if (line.next < s.size() && s[line.next] == '\n') ++line.next;
    } else if (line.next < s.size()) {
      ++line.next;  // LF
    }
    i = line.next;
    size_t index = p.lines.size();
    p.lines.push_back(line);

    size_t b = line.begin, e = line.end;
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    if (b == e) continue;

    if (s[b] == '[') {
      size_t close = e;
      for (size_t k = e; k > b + 1; --k) {
        if (s[k - 1] == ']') {
          close = k - 1;
          break;
        }
      }
      if (close != e) {
        p.sections.push_back(Section{Trimmed(s, b + 1, close), {}, index, true});
        continue;
      }
    }
    Entry entry;
    entry.line = index;
    size_t eq = b;
    while (eq < e && s[eq] != '=') ++eq;
    if (eq < e) {
      entry.name = Trimmed(s, b, eq);
      entry.hasValue = true;
      entry.value = Trimmed(s, eq + 1, e);
    } else {
      entry.name = Chars(s.begin() + static_cast<std::ptrdiff_t>(b),
                         s.begin() + static_cast<std::ptrdiff_t>(e));
      entry.hasValue = false;
    }
    Section& current = p.sections.back();
    current.entries.push_back(std::move(entry));
    current.lastLine = index;
    current.hasLine = true;
  }
  return p;
}

// The first section of the name, or -1.
int FindSection(TextCoding coding, const Profile& p, const char* section) {
  Chars name = DecodeName(coding, section);
  name = Trimmed(name, 0, name.size());
  for (size_t i = 0; i < p.sections.size(); ++i)
    if (SameName(p.sections[i].name, name)) return static_cast<int>(i);
  return -1;
}

// The first entry of the key in that section, or null.
const Entry* FindEntry(TextCoding coding, const Section& section, const char* key) {
  Chars name = DecodeName(coding, key);
  name = Trimmed(name, 0, name.size());
  for (const Entry& e : section.entries)
    if (SameName(e.name, name)) return &e;
  return nullptr;
}

// The value as the system's wide-character function hands it over for a buffer of `size`
// characters: cut to size - 1 characters, enclosing quotes removed. When the buffer is
// exactly as large as the text after the opening quote, the system drops one more
// character than the quote itself; that is kept, so that both answer alike.
Chars CopyEntry(const Chars& value, size_t size) {
  size_t from = 0;
  bool quoted = false;
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    quoted = true;
    from = 1;
  }
  size_t rest = value.size() - from;
  size_t count = std::min(size - 1, rest);
  Chars out(value.begin() + static_cast<std::ptrdiff_t>(from),
            value.begin() + static_cast<std::ptrdiff_t>(from + count));
  if (quoted && size >= rest && !out.empty()) out.pop_back();
  return out;
}

Chars DefaultChars(TextCoding coding, const char* def) {
  Chars d = DecodeName(coding, def);
  while (d.size() > 1 && d.back() == ' ') d.pop_back();
  return d;
}

Chars LookUp(TextCoding coding, const std::string& text, const char* section, const char* key,
             const char* def, size_t size) {
  Profile p = Parse(coding, text);
  const Entry* entry = nullptr;
  int s = FindSection(coding, p, section);
  if (s >= 0) entry = FindEntry(coding, p.sections[static_cast<size_t>(s)], key);
  if (entry != nullptr && entry->hasValue) return CopyEntry(entry->value, size);
  return CopyEntry(DefaultChars(coding, def), size);
}

bool ReadFile(const char* path, std::string* text) {
  text->clear();
  if (path == nullptr) return false;
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text->append(chunk, n);
  std::fclose(f);
  return true;
}

std::string ReadFileOrEmpty(const char* path) {
  std::string text;
  ReadFile(path, &text);
  return text;
}

}  // namespace

int ProfileTextGetString(TextCoding coding, const std::string& text, const char* section,
                         const char* key, const char* def, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  Chars value = LookUp(coding, text, section, key, def, static_cast<size_t>(size));
  // Only whole characters go into the buffer.
  size_t limit = static_cast<size_t>(size) - 1;
  std::string bytes;
  for (Char c : value) {
    size_t n = EncodedLength(c);
    if (bytes.size() + n > limit) break;
    AppendEncoded(&bytes, c);
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  buffer[bytes.size()] = '\0';
  return static_cast<int>(bytes.size());
}

int ProfileTextGetInt(TextCoding coding, const std::string& text, const char* section,
                      const char* key, int def) {
  Chars value = LookUp(coding, text, section, key, "", kIntBufferChars);
  if (value.empty()) return def;
  size_t i = 0;
  while (i < value.size() && value[i] <= ' ') ++i;
  bool minus = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    minus = value[i] == '-';
    ++i;
  }
  // The system reads the number with base prefixes "0x", "0o" and "0b" (lower case only).
  uint32_t base = 10;
  if (i + 1 < value.size() && value[i] == '0') {
    if (value[i + 1] == 'x') base = 16;
    if (value[i + 1] == 'o') base = 8;
    if (value[i + 1] == 'b') base = 2;
    if (base != 10) i += 2;
  }
  uint32_t total = 0;
  for (; i < value.size(); ++i) {
    uint32_t digit = base;
    Char c = value[i];
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'Z') digit = c - 'A' + 10u;
    else if (c >= 'a' && c <= 'z') digit = c - 'a' + 10u;
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (minus) total = 0u - total;
  return static_cast<int>(total);
}

std::string ProfileTextWriteString(TextCoding coding, const std::string& text,
                                   const char* section, const char* key, const char* value) {
  if (section == nullptr || key == nullptr || value == nullptr) return text;
  Profile p = Parse(coding, text);
  const std::vector<size_t>& at = p.text.offset;
  Chars keyName = DecodeName(coding, key);
  keyName = Trimmed(keyName, 0, keyName.size());

  int s = FindSection(coding, p, section);
  if (s >= 0) {
    const Section& sec = p.sections[static_cast<size_t>(s)];
    if (const Entry* entry = FindEntry(coding, sec, key)) {
      const Line& line = p.lines[entry->line];
      std::string out = text.substr(0, at[line.begin]);
      out += Encode(entry->name) + "=" + value;
      out += text.substr(at[line.end]);
      return out;
    }
    std::string added = Encode(keyName) + "=" + value + "\r\n";
    if (!sec.hasLine) return added + text;
    const Line& last = p.lines[sec.lastLine];
    if (last.next == last.end) added = "\r\n" + added;  // the file's last line had no end
    return text.substr(0, at[last.next]) + added + text.substr(at[last.next]);
  }

  Chars sectionName = DecodeName(coding, section);
  sectionName = Trimmed(sectionName, 0, sectionName.size());
  std::string out = text;
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
  out += "[" + Encode(sectionName) + "]\r\n" + Encode(keyName) + "=" + value + "\r\n";
  return out;
}

int PortableProfileGetString(TextCoding coding, const char* section, const char* key,
                             const char* def, char* buffer, int size, const char* path) {
  return ProfileTextGetString(coding, ReadFileOrEmpty(path), section, key, def, buffer, size);
}

int PortableProfileGetInt(TextCoding coding, const char* section, const char* key, int def,
                          const char* path) {
  return ProfileTextGetInt(coding, ReadFileOrEmpty(path), section, key, def);
}

bool PortableProfileWriteString(TextCoding coding, const char* section, const char* key,
                                const char* value, const char* path) {
  if (path == nullptr) return false;
  std::string text = ReadFileOrEmpty(path);
  std::string updated = ProfileTextWriteString(coding, text, section, key, value);
  FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(updated.data(), 1, updated.size(), f) == updated.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

}  // namespace k470
