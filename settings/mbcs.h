// Byte classes of the system's multibyte code page (Shift-JIS, code page 932): every text,
// file name and INI value of the program is in it. Path and name scanners step over
// two-byte characters with these, so that a second byte that happens to equal "\" or "]"
// or an ASCII letter is never taken for one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k470 {

// First byte of a two-byte character.
constexpr bool IsMbcsLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Length in bytes of the character that starts at text[i] (text is `size` bytes long):
// a lead byte takes the byte after it along, whatever that byte is, as the system's
// converter does; a lead byte at the very end stands alone.
inline size_t MbcsCharLength(const char* text, size_t size, size_t i) {
  if (IsMbcsLead(static_cast<uint8_t>(text[i])) && i + 1 < size && text[i + 1] != '\0') return 2;
  return 1;
}

}  // namespace k470
