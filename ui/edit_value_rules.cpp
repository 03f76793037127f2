// The checks behind the address field (CEditDword) and the clock field (CEditDouble).
#include "ui/edit_value_rules.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace k470 {
namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool ParseDwordText(const char* text, int radix, uint32_t* value) {
  if (text[0] == '\0') {
    *value = 0;
    return true;
  }
  // strtoull reads the magnitude; a 32-bit strtoul would refuse anything above 2^32 - 1
  // and negate the magnitude modulo 2^32 for a minus sign.
  const char* p = text;
  while (IsCSpace(*p)) ++p;
  bool minus = *p == '-';
  char* end = nullptr;
  errno = 0;
  unsigned long long parsed = std::strtoull(text, &end, radix);
  if (end == text || *end != '\0' || errno == ERANGE) return false;
  unsigned long long magnitude = minus ? 0ull - parsed : parsed;
  if (magnitude > 0xFFFFFFFFull) return false;
  uint32_t v = static_cast<uint32_t>(magnitude);
  *value = minus ? 0u - v : v;
  return true;
}

bool ParseDoubleText(const char* text, double* value) {
  if (text[0] == '\0') {
    *value = 0.0;
    return true;
  }
  char* end = nullptr;
  double parsed = std::strtod(text, &end);
  // Infinities and NaN (pasted "inf", "nan" or "1e999") are no clock a device can have,
  // and the dialog turns the value into a whole number of kHz.
  if (end == text || *end != '\0' || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

std::string FormatDoubleText(double x) {
  char text[kEditTextBufferBytes + 320];  // "%f" of the largest double has 316 characters
  std::snprintf(text, sizeof text, "%f", x);
  return text;
}

int DwordEditRules::SetRange(uint32_t min, uint32_t max) {
  if (max < min) return 0;
  m_min = min;
  m_max = max;
  return 1;
}

bool IsEditingControlChar(unsigned ch) {
  constexpr unsigned kCtrlA = 0x01, kCtrlC = 0x03, kCtrlV = 0x16, kCtrlX = 0x18;
  return ch == kCtrlA || ch == kCtrlC || ch == kCtrlV || ch == kCtrlX;
}

bool DwordEditRules::CharPasses(unsigned ch) const {
  if (ch == kCharBackspace || IsEditingControlChar(ch)) return true;
  int digit = -1;
  if (ch >= '0' && ch <= '9') digit = static_cast<int>(ch - '0');
  else if (ch >= 'A' && ch <= 'Z') digit = static_cast<int>(ch - 'A') + 10;
  else if (ch >= 'a' && ch <= 'z') digit = static_cast<int>(ch - 'a') + 10;
  return digit >= 0 && digit < m_radix;
}

bool DwordEditRules::CheckText(const std::string& text) {
  if (text.size() > kDwordTextMaxChars) return false;
  uint32_t v = 0;
  if (!ParseDwordText(text.c_str(), m_radix, &v)) return false;
  if (v < m_min || v > m_max) return false;
  m_value = v;
  m_lastText = text;
  return true;
}

bool DoubleEditRules::CharPasses(unsigned ch) {
  return ch == kCharBackspace || IsEditingControlChar(ch) || (ch >= '0' && ch <= '9') ||
         ch == '-' || ch == '.';
}

bool DoubleEditRules::CheckText(const std::string& text) {
  double v = 0.0;
  if (!ParseDoubleText(text.c_str(), &v)) return false;
  m_value = v;
  m_lastText = text;
  return true;
}

std::string DoubleEditRules::SetValue(double x) {
  m_value = x;
  m_lastText = FormatDoubleText(x);
  return m_lastText;
}

}  // namespace k470
