// Port names and numbers: parsing "COM7"/"7" and the names of what the user typed. Pure
// functions over texts; the platform's own numbering lives in port_list_win32.cpp /
// port_list_posix.cpp.
#include "serial/port_names.h"

#include <cctype>

namespace k470 {
namespace {

constexpr char kPortPrefix[] = "COM";
constexpr size_t kPortPrefixLength = 3;
constexpr size_t kMaxPortDigits = 3;  // 255 at most

bool StartsWithPortPrefix(const char* text) {
  for (size_t i = 0; i < kPortPrefixLength; ++i) {
    if (text[i] == '\0') return false;
    if (std::toupper(static_cast<unsigned char>(text[i])) != kPortPrefix[i]) return false;
  }
  return true;
}

bool InPortRange(int n) { return n >= kFirstPort && n <= kLastPort; }

}  // namespace

int ParsePortName(const std::string& text) {
  size_t start = StartsWithPortPrefix(text.c_str()) ? kPortPrefixLength : 0;
  size_t digits = text.size() - start;
  if (digits == 0 || digits > kMaxPortDigits) return 0;
  int n = 0;
  for (size_t i = start; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
    n = n * 10 + (text[i] - '0');
  }
  return InPortRange(n) ? n : 0;
}

int SerialCommDataToPort(const char* data) {
  if (data == nullptr || !StartsWithPortPrefix(data)) return 0;
  // The number after the prefix, read like atoi reads it up to the first non-digit;
  // capped so that a long run of digits cannot overflow.
  int n = 0;
  for (const char* p = data + kPortPrefixLength; std::isdigit(static_cast<unsigned char>(*p));
       ++p) {
    n = n * 10 + (*p - '0');
    if (n > kLastPort) return 0;
  }
  return InPortRange(n) ? n : 0;
}

bool IsDevicePath(const std::string& text) {
  return text.find('/') != std::string::npos || text.find('\\') != std::string::npos;
}

std::string PortNameOf(const std::string& text) {
  const int number = ParsePortName(text);
  return number != 0 ? kPortPrefix + std::to_string(number) : text;
}

}  // namespace k470
