// What the two checked entry fields accept: the typed-character filters, the check of the
// whole text after every change, and the clock field's shown text. The window controls
// (CEditDword, CEditDouble) keep the window text; these classes keep the value and the last
// accepted text, and tell the control when to put that text back.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

constexpr unsigned kCharBackspace = 8;

// The clipboard keys as the edit control receives them as characters: Ctrl+A (select
// all), Ctrl+C, Ctrl+V, Ctrl+X. They pass every field's filter; what Ctrl+V pastes is
// filtered as typed text is (KeepPassing).
bool IsEditingControlChar(unsigned ch);

// The characters of `text` that `passes` lets through, in their order: pasted text as if
// it had been typed.
template <typename Filter>
std::string KeepPassing(const std::string& text, Filter passes) {
  std::string kept;
  for (char c : text) {
    if (passes(static_cast<unsigned char>(c))) kept += c;
  }
  return kept;
}
// The window controls read their text through a buffer of this size (127 characters).
constexpr int kEditTextBufferBytes = 128;
// CEditDword rejects longer texts outright.
constexpr size_t kDwordTextMaxChars = 10;

// An unsigned 32-bit whole number in a number base (16 for the RAM load address).
class DwordEditRules {
 public:
  DwordEditRules(uint32_t initial, int radix) : m_value(initial), m_radix(radix) {}

  // 0 and no change when max < min.
  int SetRange(uint32_t min, uint32_t max);
  uint32_t GetValue() const { return m_value; }
  const std::string& LastText() const { return m_lastText; }
  int Radix() const { return m_radix; }

  // The character filter: the digits of the radix, backspace and the clipboard keys pass.
  bool CharPasses(unsigned ch) const;

  // The check after every change of the text. true: accepted, value and last text taken
  // from it. false: the control puts LastText() back (whose own check then accepts it).
  bool CheckText(const std::string& text);

 private:
  uint32_t m_value;
  uint32_t m_min = 0;
  uint32_t m_max = 0xFFFFFFFFu;
  std::string m_lastText;
  int m_radix;
};

// A floating-point number (the clock in MHz of the flash settings dialog).
class DoubleEditRules {
 public:
  double GetValue() const { return m_value; }
  const std::string& LastText() const { return m_lastText; }

  // Digits, "-", ".", backspace and the clipboard keys pass.
  static bool CharPasses(unsigned ch);

  // As DwordEditRules::CheckText: the whole text must be a finite number; empty is 0.0.
  bool CheckText(const std::string& text);

  // SetValue: keeps x and returns the text to show, "%f" (six decimals), which becomes
  // the last accepted text. The control sets it as its window text; the check that follows
  // takes the value of the shown text.
  std::string SetValue(double x);

 private:
  double m_value = 0.0;
  std::string m_lastText;
};

// The parse rules on their own.
// Whole text as an unsigned number in radix by the C library's strtoul rules on a 32-bit
// unsigned long (leading white space, one sign, "0x" for radix 16; a minus sign negates
// modulo 2^32); false when the text is not consumed whole or the number needs more than
// 32 bits. Empty text is 0.
bool ParseDwordText(const char* text, int radix, uint32_t* value);
// Whole text by strtod; false when not consumed whole or not finite. Empty text is 0.0.
bool ParseDoubleText(const char* text, double* value);
// "%f" of x.
std::string FormatDoubleText(double x);

}  // namespace k470
