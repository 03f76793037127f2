// The INI reader and writers over texts in either coding: the same files in UTF-8 (the
// native build's) and in Shift-JIS (the Windows build's). Each build reads the files of its
// own coding through the program's profile functions (natively the portable reader, under
// Wine the system's); the portable reader is also asked directly in both codings.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "settings/iniacs.h"
#include "settings/profile.h"
#include "settings/profile_reader.h"
#include "tests/settings/ini_test_files.h"

namespace k470 {
namespace {

// One text in both codings.
struct Coded {
  const char* utf8;
  const char* sjis;
  const char* In(TextCoding coding) const { return coding == TextCoding::kUtf8 ? utf8 : sjis; }
};

// テスト ends in 0x88 in UTF-8 and ソフト in 0x88 too (lead bytes of code page 932); in
// Shift-JIS ソ and 表 have the second byte 0x5C and ー the second byte 0x5B ("[").
const Coded kTest = {"\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88", "\x83\x65\x83\x58\x83\x67"};
const Coded kSoft = {"\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88", "\x83\x5C\x83\x74\x83\x67"};
const Coded kHyouji = {"\xE8\xA1\xA8\xE7\xA4\xBA", "\x95\x5C\x8E\xA6"};
const Coded kBar = {"\xE3\x83\xBC", "\x81\x5B"};

struct CorpusRow {
  const char* what;
  std::string utf8;
  std::string sjis;
  Coded section;
  Coded key;
  Coded value;  // the value read; "" for an absent entry
};

std::vector<CorpusRow> Corpus() {
  std::vector<CorpusRow> rows;
  auto add = [&](const char* what, auto make, Coded section, Coded key, Coded value) {
    rows.push_back({what, make(TextCoding::kUtf8), make(TextCoding::kCp932), section, key, value});
  };
  auto nameThenId = [](const char* end) {
    return [end](TextCoding c) {
      return std::string("[S]") + end + "Name=" + kTest.In(c) + end + "Id=1" + end;
    };
  };
  add("LF ends", nameThenId("\n"), {"S", "S"}, {"Name", "Name"}, kTest);
  add("LF ends, next key", nameThenId("\n"), {"S", "S"}, {"Id", "Id"}, {"1", "1"});
  add("CR LF ends", nameThenId("\r\n"), {"S", "S"}, {"Name", "Name"}, kTest);
  add("CR ends", nameThenId("\r"), {"S", "S"}, {"Id", "Id"}, {"1", "1"});
  auto sections = [](TextCoding c) {
    return std::string("[") + kTest.In(c) + "]\nName=" + kSoft.In(c) + "\n[" + kHyouji.In(c) +
           "]\r\nName=" + kBar.In(c) + "\r\n";
  };
  add("section name", sections, kTest, {"Name", "Name"}, kSoft);
  add("second section name", sections, kHyouji, {"Name", "Name"}, kBar);
  auto keys = [](TextCoding c) {
    return std::string("[S]\n") + kSoft.In(c) + "=1\n" + kBar.In(c) + "=2\n";
  };
  add("key name", keys, {"S", "S"}, kSoft, {"1", "1"});
  add("key after key name", keys, {"S", "S"}, kBar, {"2", "2"});
  add("last line without end",
      [](TextCoding c) { return std::string("[S]\nName=") + kTest.In(c); },
      {"S", "S"}, {"Name", "Name"}, kTest);
  return rows;
}

std::string Show(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char hex[8];
    std::snprintf(hex, sizeof hex, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    out += hex;
  }
  return out;
}

using ProgramCoding = IniFileTest;

TEST_F(ProgramCoding, EachBuildReadsTheCorpusOfItsCoding) {
  const TextCoding coding = ProgramTextCoding();
  const std::vector<CorpusRow> corpus = Corpus();
  for (size_t i = 0; i < corpus.size(); ++i) {
    const CorpusRow& row = corpus[i];
    SCOPED_TRACE(row.what);
    const std::string& bytes = coding == TextCoding::kUtf8 ? row.utf8 : row.sjis;
    // A file of its own per row: the system caches what it has read.
    std::string path = Path() + "." + std::to_string(i) + ".ini";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    iniacs ini;
    ini.SetFile(path, 0);
    char buffer[64] = {};
    ini.GetString(row.section.In(coding), row.key.In(coding), buffer, sizeof buffer);
    EXPECT_EQ(Show(buffer), Show(row.value.In(coding))) << Show(bytes);
    std::remove(path.c_str());
  }
}

TEST(PortableReaderCodings, BothCodingsReadTheCorpus) {
  for (TextCoding coding : {TextCoding::kUtf8, TextCoding::kCp932}) {
    for (const CorpusRow& row : Corpus()) {
      SCOPED_TRACE(std::string(row.what) + (coding == TextCoding::kUtf8 ? " utf8" : " sjis"));
      const std::string& bytes = coding == TextCoding::kUtf8 ? row.utf8 : row.sjis;
      char buffer[64] = {};
      ProfileTextGetString(coding, bytes, row.section.In(coding), row.key.In(coding), "",
                           buffer, sizeof buffer);
      EXPECT_EQ(Show(buffer), Show(row.value.In(coding))) << Show(bytes);
    }
  }
  // A UTF-8 value cut by a small buffer loses whole characters only.
  char buffer[5] = {};
  EXPECT_EQ(ProfileTextGetString(TextCoding::kUtf8, std::string("[S]\nk=") + kTest.utf8, "S",
                                 "k", "", buffer, sizeof buffer),
            3);
  EXPECT_EQ(Show(buffer), Show("\xE3\x83\x86"));
}

// A file whose last line ends in a lone lead byte of code page 932: the writers look for
// the line end byte by byte, and the reader must see the same line ends, so that the
// entry written reads back and the value before it keeps its bytes.
TEST(PortableReaderCodings, EntryAfterALoneLeadByteReadsBack) {
  for (TextCoding coding : {TextCoding::kUtf8, TextCoding::kCp932}) {
    for (const char* end : {"", "\n", "\r\n", "\r"}) {
      SCOPED_TRACE(Show(end) + (coding == TextCoding::kUtf8 ? " utf8" : " sjis"));
      std::string file = std::string("[System]\r\nHelp=manual\x81") + end;
      file = ProfileTextWriteString(coding, file, "Option", "RunApp", "1");
      char buffer[64] = {};
      ProfileTextGetString(coding, file, "System", "Help", "", buffer, sizeof buffer);
      EXPECT_EQ(Show(buffer), "manual\\x81") << Show(file);
      EXPECT_EQ(ProfileTextGetInt(coding, file, "Option", "RunApp", -1), 1) << Show(file);
    }
  }
}

using IniacsCodings = IniFileTest;

TEST_F(IniacsCodings, EntryAfterALoneLeadByteReadsBackInBothModes) {
  for (int rewrite = 0; rewrite <= 1; ++rewrite) {
    for (const char* end : {"", "\n", "\r\n"}) {
      SCOPED_TRACE(Show(end) + " rewrite " + std::to_string(rewrite));
      std::string path = Path() + "." + std::to_string(rewrite) + std::to_string(std::strlen(end));
      FILE* f = std::fopen(path.c_str(), "wb");
      ASSERT_NE(f, nullptr);
      std::string start = std::string("[System]\r\nHelp=manual\x81") + end;
      std::fwrite(start.data(), 1, start.size(), f);
      std::fclose(f);
      {
        iniacs ini;
        ini.SetFile(path, rewrite);
        ini.WriteInt("Option", "RunApp", 1);
      }
      iniacs ini;
      ini.SetFile(path, 0);
      EXPECT_EQ(ini.GetInt("Option", "RunApp"), 1);
      std::remove(path.c_str());
    }
  }
}

}  // namespace
}  // namespace k470
