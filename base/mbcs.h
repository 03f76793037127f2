// Byte classes of the program's texts. The Windows build's texts, file names and INI values
// are in the system's multibyte code page (Shift-JIS, code page 932); the native build's are
// in UTF-8. Path, name and line scanners step over whole characters with these, so that a
// second byte that happens to equal "\" or "]" or an ASCII letter is never taken for one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k470 {

enum class TextCoding { kCp932, kUtf8 };

// First byte of a two-byte character of code page 932.
constexpr bool IsMbcsLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Length in bytes of the code page 932 character that starts at text[i] (text is `size`
// bytes long): a lead byte takes the byte after it along, except a line end (CR, LF) or
// NUL, so that every CR and LF byte ends a line for the readers and the writers alike; a
// lead byte at the very end stands alone.
inline size_t MbcsCharLength(const char* text, size_t size, size_t i) {
  if (!IsMbcsLead(static_cast<uint8_t>(text[i])) || i + 1 >= size) return 1;
  char next = text[i + 1];
  return (next == '\0' || next == '\r' || next == '\n') ? 1 : 2;
}

// Length in bytes of the UTF-8 character that starts at text[i]: a start byte and the
// continuation bytes (0x80-0xBF) that follow it, at most four in all. A continuation byte
// is never an ASCII byte, so no character takes a line end, "]" or "=" along; a stray
// continuation byte stands alone.
inline size_t Utf8CharLength(const char* text, size_t size, size_t i) {
  uint8_t b = static_cast<uint8_t>(text[i]);
  size_t want = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  size_t n = 1;
  while (n < want && i + n < size && (static_cast<uint8_t>(text[i + n]) & 0xC0) == 0x80) ++n;
  return n;
}

inline size_t CharLength(TextCoding coding, const char* text, size_t size, size_t i) {
  return coding == TextCoding::kUtf8 ? Utf8CharLength(text, size, i)
                                     : MbcsCharLength(text, size, i);
}

}  // namespace k470
