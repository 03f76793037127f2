// Messages built as strings: each "%s" of a message's format is replaced by the next text
// in turn, whatever its length (a port name, a section of the device table), so that no
// message loses its end. The texts themselves are not scanned.
#pragma once

#include <initializer_list>
#include <string>

namespace k470 {

inline std::string FillText(const char* format, std::initializer_list<std::string> texts) {
  std::string filled;
  auto next = texts.begin();
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's' && next != texts.end()) {
      filled += *next++;
      ++p;
    } else {
      filled += *p;
    }
  }
  return filled;
}

}  // namespace k470
