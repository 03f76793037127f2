// Stepping through file names and INI values, which are in the system's ANSI code page:
// on a Japanese Windows code page 932, where a second byte may equal "\", on an English
// one code page 1252, where every byte is a character of its own ("é" is 0xE9, a first
// byte in code page 932, and must not take the "\" after it along). Platform half:
// name_bytes_win32.cpp (the system's code page) or name_bytes_posix.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k470 {

// True when `b` starts a two-byte character of the system's ANSI code page.
bool IsNameLeadByte(uint8_t b);

// Length in bytes of the character of a name that starts at text[i] (text is `size` bytes
// long): a first byte takes the byte after it along, unless that is NUL or the end.
inline size_t NameCharLength(const char* text, size_t size, size_t i) {
  if (!IsNameLeadByte(static_cast<uint8_t>(text[i])) || i + 1 >= size) return 1;
  return text[i + 1] == '\0' ? 1 : 2;
}

}  // namespace k470
