// iniacs: the rewrite-mode writer's line editing, the readers' comment, blank and number
// rules, and that every value the writers produce reads back unchanged. Runs natively
// over the portable reader and under Wine over the system's profile functions.
#include "settings/iniacs.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/settings/ini_test_files.h"

namespace k470 {
namespace {

using IniacsWriter = IniFileTest;
using IniacsReader = IniFileTest;

TEST_F(IniacsWriter, BatchIntoMissingFileCreatesItInWriteOrder) {
  {
    iniacs ini;
    ini.SetFile(Path(), 1);
    EXPECT_EQ(ini.WriteInt("System", "Com", 1), 1);
    EXPECT_EQ(ini.WriteString("System", "Help", "help\\help.html"), 1);
    EXPECT_EQ(ini.WriteHex("RamLoad", "address", 0x200000), 1);
    EXPECT_EQ(ini.WriteInt("System", "Mode", -3), 1);
    EXPECT_EQ(ini.WriteString("Option", "RunAppName", ""), 1);
    EXPECT_EQ(Get(), "") << "created empty at the first write, filled when the batch ends";
  }
  EXPECT_EQ(Get(),
            "[System]\r\nCom=1\r\nHelp=help\\help.html\r\nMode=-3\r\n"
            "[RamLoad]\r\naddress=200000\r\n[Option]\r\nRunAppName=\r\n");
}

TEST_F(IniacsWriter, ReplacesInPlaceAndKeepsEverythingElse) {
  Put("; settings\r\n[System]\r\n  ; note\r\nCom=3\r\nOther=x y\r\n\r\n[Tail]\r\nCom=9\r\n");
  {
    iniacs ini;
    ini.SetFile(Path().c_str(), 1);
    ini.WriteInt("System", "Com", 4);
  }
  EXPECT_EQ(Get(), "; settings\r\n[System]\r\n  ; note\r\nCom=4\r\nOther=x y\r\n\r\n[Tail]\r\nCom=9\r\n");
}

TEST_F(IniacsWriter, NewKeyGoesBeforeNextHeaderOrToTheEnd) {
  Put("[System]\r\nCom=1\r\n\r\n\r\n[Option]\r\nAutoGo=1\r\n");
  {
    iniacs ini;
    ini.SetFile(Path(), 1);
    ini.WriteInt("System", "Left", 100);
    ini.WriteInt("System", "Top", 80);
    ini.WriteInt("Option", "RunApp", 0);
  }
  EXPECT_EQ(Get(),
            "[System]\r\nCom=1\r\n\r\n\r\nLeft=100\r\nTop=80\r\n[Option]\r\nAutoGo=1\r\nRunApp=0\r\n");
}

TEST_F(IniacsWriter, SectionsAndKeysAreFoundAsTheReaderFindsThem) {
  struct Row {
    const char* before;
    const char* after;  // after WriteInt("System", "Mode", 0) and the batch's end
  };
  const Row rows[] = {
      // Letter case and blanks around the names do not count; no second section.
      {"[system]\r\nmode=1\r\n", "[system]\r\nMode=0\r\n"},
      {" [ SYSTEM ] \r\n Mode = 1\r\n[Option]\r\n", " [ SYSTEM ] \r\nMode=0\r\n[Option]\r\n"},
      // Whole names only: a longer key is another key.
      {"[System]\r\nModeX=2\r\n", "[System]\r\nModeX=2\r\nMode=0\r\n"},
      // A "[" line without "]" is no header, so the section runs on over it.
      {"[System]\r\n[note\r\n", "[System]\r\n[note\r\nMode=0\r\n"},
      {"[Systems]\r\nMode=1\r\n", "[Systems]\r\nMode=1\r\n[System]\r\nMode=0\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.before);
    Put(row.before);
    {
      iniacs ini;
      ini.SetFile(Path(), 1);
      ini.WriteInt("System", "Mode", 0);
    }
    EXPECT_EQ(Get(), row.after);
    iniacs reader;
    reader.SetFile(Path(), 0);
    EXPECT_EQ(reader.GetInt("System", "Mode"), 0) << "the reader finds what the writer wrote";
  }
}

TEST_F(IniacsWriter, KeysMatchWholeAndDeletedKeysGo) {
  Put("[Option]\r\nRunAppName=C:\\x.exe\r\nRunApp=1\r\n[name]\r\nname10=j\r\nname1=a\r\n");
  {
    iniacs ini;
    ini.SetFile(Path(), 1);
    ini.WriteInt("Option", "RunApp", 0);
    ini.WriteString("name", "name1", "b");
    ini.DeleteLine("name", "name10");
    ini.DeleteLine("name", "name2");
    EXPECT_TRUE(ini.Commit());
  }
  EXPECT_EQ(Get(), "[Option]\r\nRunAppName=C:\\x.exe\r\nRunApp=0\r\n[name]\r\nname1=b\r\n");
}

TEST_F(IniacsWriter, LineEndsAreSplitAtLfAndWrittenAsCrLf) {
  Put("[A]\nx=1\r\ny=2\rz\n\nlast=3");
  {
    iniacs ini;
    ini.SetFile(Path(), 1);
    ini.WriteInt("B", "k", 1);
    EXPECT_EQ(ini.Lines().size(), 5u + 2u);
  }
  EXPECT_EQ(Get(), "[A]\r\nx=1\r\ny=2\rz\r\n\r\nlast=3\r\n[B]\r\nk=1\r\n");
}

TEST_F(IniacsWriter, UnopenableFileLosesTheWriteAndCreatesNothing) {
  std::string path = Path() + ".missing-folder/settings.ini";
  {
    iniacs ini;
    ini.SetFile(path, 1);
    EXPECT_EQ(ini.WriteInt("System", "Com", 1), 0);
    EXPECT_EQ(ini.WriteInt("System", "Mode", 1), 0);
    EXPECT_TRUE(ini.Lines().empty());
    // The batch says that it failed, with the system's words.
    EXPECT_FALSE(ini.Commit());
    EXPECT_FALSE(ini.FailureReason().empty());
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  EXPECT_EQ(f, nullptr);
  if (f != nullptr) std::fclose(f);
}

TEST_F(IniacsWriter, WrittenValuesReadBackInBothModes) {
  const char* kSjis = "C:\\\x83\x5c\x83\x74\x83\x67\\\x95\x5c.mot";  // second bytes 0x5C
  for (int rewrite = 0; rewrite <= 1; ++rewrite) {
    SCOPED_TRACE(rewrite);
    std::remove(Path().c_str());
    {
      iniacs ini;
      ini.SetFile(Path(), rewrite);
      ini.WriteInt("System", "Min", INT_MIN);
      ini.WriteInt("System", "Max", INT_MAX);
      ini.WriteInt("System", "Zero", 0);
      ini.WriteHex("RamLoad", "address", 0xFFFFFFFFu);
      ini.WriteHex("RamLoad", "low", 0xABCu);
      ini.WriteHex("RamLoad", "zero", 0);
      ini.WriteString("FlashWrite", "name1", "C:\\work\\my app.mot");
      ini.WriteString("FlashWrite", "name2", kSjis);
      ini.WriteString("FlashWrite", "name3", "\x81\x40" "mid\x81\x40" "dle");
      ini.WriteInt("System", "Zero", 12);
    }
    iniacs ini;
    ini.SetFile(Path(), 0);
    EXPECT_EQ(ini.GetInt("System", "Min"), INT_MIN);
    EXPECT_EQ(ini.GetInt("System", "Max"), INT_MAX);
    EXPECT_EQ(ini.GetInt("System", "Zero"), 12);
    EXPECT_EQ(ini.GetHex("RamLoad", "address"), 0xFFFFFFFFu);
    EXPECT_EQ(ini.GetHex("RamLoad", "low"), 0xABCu);
    EXPECT_EQ(ini.GetHex("RamLoad", "zero"), 0u);
    char buffer[260];
    ASSERT_TRUE(ini.GetString("FlashWrite", "name1", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "C:\\work\\my app.mot");
    ASSERT_TRUE(ini.GetString("FlashWrite", "name2", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, kSjis);
    ASSERT_TRUE(ini.GetString("FlashWrite", "name3", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "\x81\x40mid\x81\x40" "dle");
  }
}

TEST_F(IniacsReader, GetStringCutsCommentsAndTrailingBlanks) {
  Put("[S]\r\n"
      "a=abc ;note\r\n"
      "b=abc\x81\x40\x81\x40\r\n"
      "c=\r\n"
      "d=;abc;d\r\n"
      "e=abc;def\r\n"
      "f=\x81\x40\r\n"
      "g=;;;\r\n"
      "h=x \x81\x40 \x81\x40\r\n"
      "i=\x83\x40\r\n"
      "j=  ;\r\n");
  iniacs ini;
  ini.SetFile(Path(), 0);
  char buffer[260];
  ASSERT_TRUE(ini.GetString("S", "a", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "abc");
  ASSERT_TRUE(ini.GetString("S", "b", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "abc");
  EXPECT_FALSE(ini.GetString("S", "c", buffer, sizeof buffer));
  ASSERT_TRUE(ini.GetString("S", "d", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, ";abc");
  ASSERT_TRUE(ini.GetString("S", "e", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "abc");
  // A lone full-width blank is lost from its second byte: true, but empty.
  ASSERT_TRUE(ini.GetString("S", "f", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "");
  ASSERT_TRUE(ini.GetString("S", "g", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, ";;;");
  ASSERT_TRUE(ini.GetString("S", "h", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "x");
  ASSERT_TRUE(ini.GetString("S", "i", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "\x83\x40") << "0x40 after another lead byte is no blank";
  ASSERT_TRUE(ini.GetString("S", "j", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, ";") << "blanks before the value are not part of it";
  EXPECT_FALSE(ini.GetString("S", "absent", buffer, sizeof buffer));
  EXPECT_FALSE(ini.GetString("Absent", "a", buffer, sizeof buffer));

  char small[4];
  ASSERT_TRUE(ini.GetString("S", "e", small, sizeof small));
  EXPECT_STREQ(small, "abc");
}

TEST_F(IniacsReader, GetHexTakesPlainDigitsOnly) {
  Put("[R]\r\n"
      "a=200000\r\n"
      "b=0x10\r\n"
      "c=-1\r\n"
      "d=123456789\r\n"
      "e=ff\r\n"
      "f=0000000000000001F\r\n"
      "g=12 34\r\n"
      "h=12;c\r\n"
      "i=\r\n");
  iniacs ini;
  ini.SetFile(Path(), 0);
  EXPECT_EQ(ini.GetHex("R", "a"), 0x200000u);
  EXPECT_EQ(ini.GetHex("R", "b"), 0u);
  EXPECT_EQ(ini.GetHex("R", "c"), 0u);
  EXPECT_EQ(ini.GetHex("R", "d"), 0x23456789u) << "wraps: the last eight digits count";
  EXPECT_EQ(ini.GetHex("R", "e"), 0xFFu);
  EXPECT_EQ(ini.GetHex("R", "f"), 0u) << "only the first 15 characters arrive";
  EXPECT_EQ(ini.GetHex("R", "g"), 0u);
  EXPECT_EQ(ini.GetHex("R", "h"), 0u) << "no comment rule for numbers";
  EXPECT_EQ(ini.GetHex("R", "i"), 0u);
  EXPECT_EQ(ini.GetHex("R", "absent"), 0u);
}

TEST_F(IniacsReader, GetIntGivesMinusOneForAbsentAndStoredMinusOne) {
  Put("[Option]\r\nAutoDisConnect=1\r\nStored=-1\r\nSigned=-42\r\nEmpty=\r\n");
  iniacs ini;
  ini.SetFile(Path(), 0);
  EXPECT_EQ(ini.GetInt("Option", "AutoDisconnect"), 1) << "names ignore letter case";
  EXPECT_EQ(ini.GetInt("option", "autodisconnect"), 1);
  EXPECT_EQ(ini.GetInt("Option", "Stored"), -1);
  EXPECT_EQ(ini.GetInt("Option", "Signed"), -42);
  EXPECT_EQ(ini.GetInt("Option", "Empty"), -1);
  EXPECT_EQ(ini.GetInt("Option", "Absent"), -1);

  iniacs none;
  none.SetFile(Path() + ".none", 0);
  EXPECT_EQ(none.GetInt("Option", "AutoDisConnect"), -1);
  EXPECT_EQ(none.GetHex("Option", "AutoDisConnect"), 0u);
}

}  // namespace
}  // namespace k470
