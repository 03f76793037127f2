// The system's words for a GetLastError or Winsock code, in English where the system has
// it, else in its own language; without the line break and full stop that end it.
#include <windows.h>

#include <cstdio>

#include "serial/system_error_text.h"

namespace k470 {
namespace {

constexpr DWORD kErrorTextBytes = 256;
constexpr DWORD kErrorTextFlags =
    FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;

}  // namespace

std::string SystemErrorText(unsigned long error) {
  char text[kErrorTextBytes];
  DWORD length = FormatMessageA(kErrorTextFlags, nullptr, error,
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
                                kErrorTextBytes, nullptr);
  if (length == 0) {
    length = FormatMessageA(kErrorTextFlags, nullptr, error, 0, text, kErrorTextBytes, nullptr);
  }
  if (length == 0 || length >= kErrorTextBytes) {
    std::snprintf(text, sizeof text, "system error %lu", error);
    return text;
  }
  while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\r' ||
                        text[length - 1] == '\n' || text[length - 1] == '.')) {
    --length;
  }
  return std::string(text, length);
}

}  // namespace k470
