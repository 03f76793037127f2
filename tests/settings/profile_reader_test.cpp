// The portable profile reader and writer: the answers the system's profile functions give
// for the same files (code page 932), held here so that the native build checks them too.
#include "settings/profile_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "tests/settings/ini_test_files.h"

namespace k470 {
namespace {

constexpr TextCoding kSjis = TextCoding::kCp932;

// What a read gives: the count it returns and the text in the buffer.
struct Answer {
  int count;
  std::string text;
  bool operator==(const Answer& o) const { return count == o.count && text == o.text; }
};

void PrintTo(const Answer& a, std::ostream* os) {
  *os << a.count << " \"";
  for (unsigned char c : a.text) {
    if (c >= 0x20 && c < 0x7F) {
      *os << c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      *os << hex;
    }
  }
  *os << "\"";
}

Answer Read(const std::string& file, const char* section, const char* key, int size = 64,
            const char* def = "") {
  char buffer[300];
  std::memset(buffer, 0, sizeof buffer);
  int n = ProfileTextGetString(kSjis, file, section, key, def, buffer, size);
  return Answer{n, buffer};
}


TEST(ProfileReader, LinesNamesAndBlanks) {
  const std::string file =
      "top=0\r\n"
      "[  X  ]\r\na=1\r\n"
      "[X Y]\r\nb=2\r\n"
      "[Z]abc\r\nc=3\r\n"
      "[Q]a]\r\nd=4\r\n[W\r\ne=5\r\n"
      "[S]\r\n  a b = 1 2  \r\n=v\r\nk==x\r\n; c=3\r\nk2 = ;x\r\n\tk3\t=\tv\t\r\nK4=up\r\n"
      "v1=\x1Av\x1A\r\nv2=\x1Cv\x1C\r\nv3=\x0Bv\x0C\r\nv4=\x81\x40v\x81\x40\r\n";
  EXPECT_EQ(Read(file, "", "top"), (Answer{1, "0"}));
  EXPECT_EQ(Read(file, "X", "a"), (Answer{1, "1"}));
  EXPECT_EQ(Read(file, " x ", " A "), (Answer{1, "1"}));
  EXPECT_EQ(Read(file, "X Y", "b"), (Answer{1, "2"}));
  EXPECT_EQ(Read(file, "X  Y", "b"), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "Z", "c"), (Answer{1, "3"}));
  EXPECT_EQ(Read(file, "Q]a", "d"), (Answer{1, "4"}));
  EXPECT_EQ(Read(file, "Q]a", "e"), (Answer{1, "5"})) << "[W has no ]: an entry line";
  EXPECT_EQ(Read(file, "W", "e"), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "S", "a b"), (Answer{3, "1 2"}));
  EXPECT_EQ(Read(file, "S", ""), (Answer{1, "v"}));
  EXPECT_EQ(Read(file, "S", "k"), (Answer{2, "=x"}));
  EXPECT_EQ(Read(file, "S", "; c"), (Answer{1, "3"})) << "no comment rule in the reader";
  EXPECT_EQ(Read(file, "S", "k2"), (Answer{2, ";x"}));
  EXPECT_EQ(Read(file, "S", "k3"), (Answer{1, "v"}));
  EXPECT_EQ(Read(file, "s", "k4"), (Answer{2, "up"}));
  EXPECT_EQ(Read(file, "S", "v1"), (Answer{1, "v"}));
  EXPECT_EQ(Read(file, "S", "v2"), (Answer{3, "\x1Cv\x1C"}));
  EXPECT_EQ(Read(file, "S", "v3"), (Answer{1, "v"}));
  EXPECT_EQ(Read(file, "S", "v4"), (Answer{5, "\x81\x40v\x81\x40"})) << "full-width blanks stay";
  EXPECT_EQ(Read(file, "Missing", "a"), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "S", "Missing", 64, "de  "), (Answer{2, "de"}));
  EXPECT_EQ(Read(file, "S", "Missing", 64, " "), (Answer{1, " "}));
}

TEST(ProfileReader, FirstSectionAndFirstEntryWin) {
  const std::string file =
      "[T]\r\nx=1\r\ndup\r\n[t]\r\ny=2\r\n[T]\r\nz=3\r\n"
      "[D]\r\nk=first\r\nK=second\r\n";
  EXPECT_EQ(Read(file, "T", "x"), (Answer{1, "1"}));
  EXPECT_EQ(Read(file, "t", "x"), (Answer{1, "1"}));
  EXPECT_EQ(Read(file, "T", "y"), (Answer{0, ""})) << "only the first [T] is searched";
  EXPECT_EQ(Read(file, "T", "z"), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "D", "k"), (Answer{5, "first"}));
  // A line without "=" is a key without a value, and it hides a later entry.
  EXPECT_EQ(Read("[S]\r\ndup\r\ndup=1\r\n", "S", "dup"), (Answer{0, ""}));
}

TEST(ProfileReader, LineEndsOfEveryKind) {
  EXPECT_EQ(Read("[S]\ra=1\rb=2\r", "S", "b"), (Answer{1, "2"}));
  EXPECT_EQ(Read("[S]\na=1\nb=2", "S", "b"), (Answer{1, "2"}));
  EXPECT_EQ(Read("[S]\r\n\r\n\r\nb=2", "S", "b"), (Answer{1, "2"}));
  EXPECT_EQ(Read("[S]\r\nk=\rv\r\n", "S", "k"), (Answer{0, ""})) << "CR ends the line";
  EXPECT_EQ(Read("[S]\r\nk=\rv\r\n", "S", "v"), (Answer{0, ""}));
}

TEST(ProfileReader, QuotesAndBufferSizes) {
  const std::string file =
      "[S]\r\nq1=\"abc\"\r\nq2='abc'\r\nq3=\"abc'\r\nq4=\"\r\nq5=\"\"\r\nq6= \" abc \" \r\n"
      "q7=\"q\" x \"\r\nlong=0123456789\r\n";
  // The system drops one character more when the buffer is exactly as large as the text
  // after the opening quote (size 4 for "abc").
  const char* q1[] = {"", "a", "ab", "ab", "abc", "abc"};
  for (int size = 1; size <= 6; ++size) {
    SCOPED_TRACE(size);
    Answer a = Read(file, "S", "q1", size);
    EXPECT_EQ(a.text, q1[size - 1]);
    EXPECT_EQ(a.count, static_cast<int>(a.text.size()));
    EXPECT_EQ(Read(file, "S", "q2", size).text, q1[size - 1]);
  }
  EXPECT_EQ(Read(file, "S", "q3"), (Answer{5, "\"abc'"}));
  EXPECT_EQ(Read(file, "S", "q4"), (Answer{1, "\""}));
  EXPECT_EQ(Read(file, "S", "q5"), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "S", "q6"), (Answer{5, " abc "}));
  EXPECT_EQ(Read(file, "S", "q6", 6), (Answer{4, " abc"}));
  EXPECT_EQ(Read(file, "S", "q7"), (Answer{5, "q\" x "}));
  EXPECT_EQ(Read(file, "S", "long", 1), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "S", "long", 5), (Answer{4, "0123"}));
  EXPECT_EQ(Read(file, "S", "long", 11), (Answer{10, "0123456789"}));

  char untouched[4] = {'Z', 'Z', 'Z', '\0'};
  EXPECT_EQ(ProfileTextGetString(kSjis, file, "S", "q1", "", untouched, 0), 0);
  EXPECT_STREQ(untouched, "ZZZ");
}

TEST(ProfileReader, TwoByteCharactersStayWhole) {
  // 0x83 0x41 and 0x83 0x61 are two different katakana, not an upper- and lower-case
  // pair; "[" 0x83 0x5D has no closing bracket, its 0x5D is a second byte.
  const std::string file =
      "[S]\r\n\x83\x41=1\r\n[\x83\x5D\r\na=2\r\n[T]\r\n"
      "s=\x82\xA0\x82\xA2\x82\xA4\r\nq=\"\x82\xA0\x82\xA2\"\r\n";
  EXPECT_EQ(Read(file, "S", "\x83\x61"), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "S", "\x83\x41"), (Answer{1, "1"}));
  EXPECT_EQ(Read(file, "\x83", "a"), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "S", "a"), (Answer{1, "2"}));
  const char* s[] = {"", "", "\x82\xA0", "\x82\xA0", "\x82\xA0\x82\xA2", "\x82\xA0\x82\xA2",
                     "\x82\xA0\x82\xA2\x82\xA4"};
  for (int size = 1; size <= 7; ++size) {
    SCOPED_TRACE(size);
    Answer a = Read(file, "T", "s", size);
    EXPECT_EQ(a.text, s[size - 1]);
    EXPECT_EQ(a.count, static_cast<int>(a.text.size()));
  }
  EXPECT_EQ(Read(file, "T", "q", 2), (Answer{0, ""}));
  EXPECT_EQ(Read(file, "T", "q", 3), (Answer{2, "\x82\xA0"}));
  EXPECT_EQ(Read(file, "T", "q", 4), (Answer{2, "\x82\xA0"}));
  EXPECT_EQ(Read(file, "T", "q", 5), (Answer{4, "\x82\xA0\x82\xA2"}));
}

TEST(ProfileReader, IntegersAsTheSystemReadsThem) {
  const std::string file =
      "[S]\r\ni1=12\r\ni2=-5\r\ni3=+7\r\ni4=12abc\r\ni5=abc\r\ni6=0x10\r\ni7=4294967297\r\n"
      "i8=\" 12\"\r\ni9=- 5\r\ni10=\r\ni11=99999999999999999999999999999999999\r\n"
      "i12=2147483648\r\ni13=\t-3\r\ni14=--3\r\ni15=1 2\r\n"
      "p1=010\r\np2=0o17\r\np3=0b101\r\np4=0X10\r\np5=-0x10\r\np6=0x1g\r\np7=0xFFFFFFFF\r\n"
      "p8=0b2\r\np9=00x10\r\n";
  struct {
    const char* key;
    int value;
  } cases[] = {{"i1", 12},   {"i2", -5},  {"i3", 7},           {"i4", 12},
               {"i5", 0},    {"i6", 16},   {"i7", 1},           {"i8", 12},
               {"i9", 0},    {"i10", -7}, {"i11", -1610612737}, {"i12", INT32_MIN},
               {"i13", -3},  {"i14", 0},  {"i15", 1},          {"none", -7},
               {"p1", 10},   {"p2", 15},  {"p3", 5},           {"p4", 0},
               {"p5", -16},  {"p6", 1},   {"p7", -1},          {"p8", 0},
               {"p9", 0}};
  for (const auto& c : cases)
    EXPECT_EQ(ProfileTextGetInt(kSjis, file, "S", c.key, -7), c.value) << c.key;
  EXPECT_EQ(ProfileTextGetInt(kSjis, file, "none", "i1", -7), -7);
}

TEST(ProfileReader, WriterReplacesAddsAndAppends) {
  std::string file = "; head\r\n[A]\r\n  Key = old ; c\r\nother=1\r\n\r\n[B]\nx=1";
  file = ProfileTextWriteString(kSjis, file, "a", "KEY", "new");
  EXPECT_EQ(file, "; head\r\n[A]\r\nKey=new\r\nother=1\r\n\r\n[B]\nx=1");
  file = ProfileTextWriteString(kSjis, file, "A", "added", "2");
  EXPECT_EQ(file, "; head\r\n[A]\r\nKey=new\r\nother=1\r\nadded=2\r\n\r\n[B]\nx=1");
  file = ProfileTextWriteString(kSjis, file, "B", "y", "2");
  EXPECT_EQ(file, "; head\r\n[A]\r\nKey=new\r\nother=1\r\nadded=2\r\n\r\n[B]\nx=1\r\ny=2\r\n");
  file = ProfileTextWriteString(kSjis, file, " C ", " k ", "v v");
  EXPECT_EQ(file,
            "; head\r\n[A]\r\nKey=new\r\nother=1\r\nadded=2\r\n\r\n[B]\nx=1\r\ny=2\r\n[C]\r\nk=v v\r\n");
  EXPECT_EQ(ProfileTextGetString(kSjis, file, "c", "K", "", nullptr, 0), 0);
  EXPECT_EQ(Read(file, "c", "K"), (Answer{3, "v v"}));
  EXPECT_EQ(ProfileTextWriteString(kSjis, "", "S", "k", ""), "[S]\r\nk=\r\n");
  EXPECT_EQ(ProfileTextWriteString(kSjis, "x=1", "", "y", "2"), "x=1\r\ny=2\r\n");
}

using ProfileFile = IniFileTest;

TEST_F(ProfileFile, WriterCreatesTheFileAndReaderReadsIt) {
  EXPECT_EQ(PortableProfileGetInt(kSjis, "S", "k", -1, Path().c_str()), -1);
  char buffer[8] = "old";
  EXPECT_EQ(
      PortableProfileGetString(kSjis, "S", "k", "", buffer, sizeof buffer, Path().c_str()), 0);
  EXPECT_STREQ(buffer, "");
  ASSERT_TRUE(PortableProfileWriteString(kSjis, "S", "k", "-12", Path().c_str()));
  ASSERT_TRUE(PortableProfileWriteString(kSjis, "S", "k", "34", Path().c_str()));
  EXPECT_EQ(Get(), "[S]\r\nk=34\r\n");
  EXPECT_EQ(PortableProfileGetInt(kSjis, "s", "K", -1, Path().c_str()), 34);
  EXPECT_FALSE(
      PortableProfileWriteString(kSjis, "S", "k", "1", (Path() + ".no/dir.ini").c_str()));
}

}  // namespace
}  // namespace k470
