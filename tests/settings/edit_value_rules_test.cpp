// The entry fields' checks: what the address field (radix 16) and the clock field accept,
// what they put back, and their character filters.
#include "ui/edit_value_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace k470 {
namespace {

// Types text into the field one character at a time as the control would see it: the
// filter first, then the check of the new text; a rejected text is replaced by the last
// accepted one. Returns the text the field shows.
template <typename Rules>
std::string Type(Rules* rules, std::string shown, const std::string& keys) {
  for (char c : keys) {
    if (!rules->CharPasses(static_cast<unsigned char>(c))) continue;
    std::string next = shown + c;
    shown = rules->CheckText(next) ? next : rules->LastText();
  }
  return shown;
}

TEST(DwordEditRules, AddressTextsAcceptedAndRejected) {
  DwordEditRules r(0, 16);
  EXPECT_TRUE(r.CheckText("00200000"));
  EXPECT_EQ(r.GetValue(), 0x200000u);
  EXPECT_TRUE(r.CheckText("FFFFFFFF"));
  EXPECT_EQ(r.GetValue(), 0xFFFFFFFFu);
  EXPECT_FALSE(r.CheckText("123456789")) << "nine digits, above 32 bits";
  EXPECT_EQ(r.GetValue(), 0xFFFFFFFFu);
  EXPECT_EQ(r.LastText(), "FFFFFFFF");
  EXPECT_FALSE(r.CheckText("00000000001")) << "eleven characters";
  EXPECT_TRUE(r.CheckText("00FFFFFFFF"));
  EXPECT_EQ(r.GetValue(), 0xFFFFFFFFu);
  EXPECT_FALSE(r.CheckText("12Z4"));
  EXPECT_FALSE(r.CheckText("0x"));
  EXPECT_FALSE(r.CheckText(" "));
  EXPECT_FALSE(r.CheckText("-"));
  EXPECT_TRUE(r.CheckText("0x1F"));
  EXPECT_EQ(r.GetValue(), 0x1Fu);
  EXPECT_TRUE(r.CheckText(" +ab"));
  EXPECT_EQ(r.GetValue(), 0xABu);
  EXPECT_TRUE(r.CheckText("-1")) << "a minus sign wraps as in a 32-bit strtoul";
  EXPECT_EQ(r.GetValue(), 0xFFFFFFFFu);
  EXPECT_TRUE(r.CheckText(""));
  EXPECT_EQ(r.GetValue(), 0u);
  EXPECT_EQ(r.LastText(), "");
}

TEST(DwordEditRules, RangeAndRadix) {
  DwordEditRules r(7, 10);
  EXPECT_EQ(r.GetValue(), 7u);
  EXPECT_EQ(r.SetRange(10, 5), 0);
  EXPECT_EQ(r.SetRange(10, 20), 1);
  EXPECT_FALSE(r.CheckText("9"));
  EXPECT_TRUE(r.CheckText("20"));
  EXPECT_FALSE(r.CheckText("21"));
  EXPECT_FALSE(r.CheckText("1A"));
  EXPECT_EQ(r.GetValue(), 20u);
  EXPECT_FALSE(r.CharPasses('A'));
  EXPECT_TRUE(r.CharPasses('9'));
  DwordEditRules big(0, 10);
  EXPECT_TRUE(big.CheckText("4294967295"));
  EXPECT_FALSE(big.CheckText("4294967296"));
  EXPECT_EQ(big.GetValue(), 4294967295u);
}

TEST(DwordEditRules, TypingIntoTheAddressField) {
  DwordEditRules r(0, 16);
  std::string shown = "00200000";
  ASSERT_TRUE(r.CheckText(shown));
  EXPECT_EQ(Type(&r, shown, "G "), "00200000") << "G and space are filtered out";
  EXPECT_EQ(Type(&r, shown, "1"), "002000001");
  EXPECT_EQ(r.GetValue(), 0x2000001u);
  EXPECT_EQ(Type(&r, "002000001", "23"), "0020000012");
  EXPECT_EQ(Type(&r, "0020000012", "3"), "0020000012") << "an eleventh character";
  for (unsigned ch : {0x1Au, 0x1Bu, static_cast<unsigned>('x')})
    EXPECT_FALSE(r.CharPasses(ch)) << ch;
  // Backspace, digits and the clipboard keys (Ctrl+A, C, V, X).
  for (unsigned ch : {kCharBackspace, static_cast<unsigned>('a'), static_cast<unsigned>('F'), 0x01u,
                      0x03u, 0x16u, 0x18u})
    EXPECT_TRUE(r.CharPasses(ch)) << ch;
  // Pasted text is filtered as typed text is.
  const auto typed = [&r](unsigned ch) { return ch != kCharBackspace && r.CharPasses(ch); };
  EXPECT_EQ(KeepPassing(" 0x20-00 00\r\n", typed), "0200000");
  EXPECT_EQ(KeepPassing("\x16zz", [](unsigned ch) { return !IsEditingControlChar(ch) &&
                                                          DoubleEditRules::CharPasses(ch); }),
            "");
  EXPECT_EQ(KeepPassing("clock: 19.6608 MHz", DoubleEditRules::CharPasses), "19.6608");
}

TEST(DoubleEditRules, TypingIntoTheClockField) {
  DoubleEditRules r;
  EXPECT_EQ(Type(&r, "", "1.5"), "1.5");
  EXPECT_DOUBLE_EQ(r.GetValue(), 1.5);
  EXPECT_EQ(Type(&r, "1.5", "."), "1.5") << "1.5. is no number";
  EXPECT_EQ(Type(&r, "", "."), "1.5") << "the last accepted text comes back";

  DoubleEditRules empty;
  EXPECT_EQ(Type(&empty, "", "-"), "");
  EXPECT_EQ(Type(&empty, "", "."), "");
  EXPECT_TRUE(empty.CheckText("-12.5"));
  EXPECT_DOUBLE_EQ(empty.GetValue(), -12.5);
  EXPECT_TRUE(empty.CheckText(""));
  EXPECT_DOUBLE_EQ(empty.GetValue(), 0.0);
  EXPECT_FALSE(empty.CheckText("1e999"));
  EXPECT_FALSE(empty.CheckText("inf"));
  EXPECT_FALSE(empty.CheckText("nan"));
  EXPECT_FALSE(empty.CheckText("12,5"));
  EXPECT_EQ(empty.LastText(), "");
  EXPECT_FALSE(DoubleEditRules::CharPasses('e'));
  EXPECT_FALSE(DoubleEditRules::CharPasses('+'));
  EXPECT_TRUE(DoubleEditRules::CharPasses('-'));
  EXPECT_TRUE(DoubleEditRules::CharPasses(kCharBackspace));
}

TEST(DoubleEditRules, SetValueShowsSixDecimals) {
  DoubleEditRules r;
  std::string shown = r.SetValue(20.0);
  EXPECT_EQ(shown, "20.000000");
  EXPECT_EQ(r.LastText(), "20.000000");
  EXPECT_TRUE(r.CheckText(shown));
  EXPECT_DOUBLE_EQ(r.GetValue(), 20.0);
  shown = r.SetValue(19.66080049);
  EXPECT_EQ(shown, "19.660800");
  EXPECT_TRUE(r.CheckText(shown));
  EXPECT_DOUBLE_EQ(r.GetValue(), 19.6608) << "the value of the shown text";
  EXPECT_EQ(r.SetValue(1e300).size(), 308u);
}

}  // namespace
}  // namespace k470
