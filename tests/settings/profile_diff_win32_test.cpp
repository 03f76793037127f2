// The portable profile reader against the system's GetPrivateProfileStringA and
// GetPrivateProfileIntA: a corpus of INI files, every (section, key, buffer size) asked of
// both, the answers compared. Also the portable writer against WritePrivateProfileStringA:
// both edit the same file, then every entry reads alike from the two results.
// Windows build only (runs under Wine, whose code page is 932 in the test environment).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "settings/profile_reader.h"
#include "tests/settings/ini_test_files.h"

namespace k470 {
namespace {

constexpr TextCoding kSjis = TextCoding::kCp932;

struct CorpusFile {
  const char* name;
  std::string bytes;
  std::vector<std::string> sections;
  std::vector<std::string> keys;
  std::vector<int> sizes;
};

const std::vector<int> kAllSizes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 30, 31, 64, 260};
const std::vector<int> kOneSize = {260};

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

std::vector<CorpusFile> Corpus() {
  std::vector<CorpusFile> c;
  c.push_back({"blanks",
               "[S]\r\n a = 1 \r\n\tb\t=\t2\t\r\nc =3\r\nd= 4\r\n  e  =  five five  \r\n"
               "f=\x1A" "6\x1A\r\ng=\x0B" "7\x0C\r\nh=\x1F" "8\x1F\r\n",
               {"S", " S ", "s"},
               {"a", " a ", "b", "c", "d", "e", "f", "g", "h", "e  "},
               kOneSize});
  c.push_back({"comments",
               "; lead\r\n[S]\r\n;k=v\r\nk=v ; c\r\n#x=1\r\n x=2\r\n;comment only\r\n"
               "[T] ; after header\r\na=1\r\n",
               {"S", "T", "T ; after header"},
               {"k", ";k", "#x", "x", ";comment only", "a", "; lead"},
               kOneSize});
  c.push_back({"quotes",
               "[S]\r\nq1=\"abc\"\r\nq2='abc'\r\nq3=\"abc'\r\nq4=\"\r\nq5=\"\"\r\n"
               "q6= \" abc \" \r\nq7=\"q\" x \"\r\nq8='\r\nq9=''\r\nq10=\"a\"b\"\r\n"
               "q11=\"12\"\r\nq12=\"\x82\xA0\x82\xA2\"\r\n",
               {"S"},
               {"q1", "q2", "q3", "q4", "q5", "q6", "q7", "q8", "q9", "q10", "q11", "q12"},
               kAllSizes});
  c.push_back({"duplicates",
               "[S]\r\nk=1\r\nk=2\r\nK=3\r\n[s]\r\nk=4\r\nm=5\r\n[T]\r\nn=6\r\n[T]\r\nn=7\r\no=8\r\n",
               {"S", "s", "T", "t"},
               {"k", "K", "m", "n", "o"},
               kOneSize});
  c.push_back({"missing",
               "[Present]\r\nk=1\r\n",
               {"Present", "Absent", "", "Pres", "Presentx"},
               {"k", "kk", "", "absent"},
               kOneSize});
  c.push_back({"lettercase",
               "[System]\r\nAutoDisConnect=1\r\nMode=2\r\n[system]\r\nx=1\r\n[OPTION]\r\nrunapp=1\r\n",
               {"System", "system", "SYSTEM", "Option", "option", "OPTION"},
               {"AutoDisConnect", "AutoDisconnect", "autodisconnect", "mode", "x", "RunApp",
                "RUNAPP"},
               kOneSize});
  c.push_back({"sjis",
               "[S]\r\np=C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.mot\r\nfw=\x81\x40v\x81\x40\r\n"
               "kana=\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\r\nmixed=a\x82\xA0" "b\x82\xA2" "c\r\n"
               "\x83\x41=k\r\nhalf=\xB1\xB2\xB3\r\n\x81\x40pad\x81\x40=w\r\n"
               "[\x83\x5D\r\nafter=1\r\n[\x95\x5C]\r\nz=1\r\n",
               {"S", "\x83\x5D", "\x83", "\x95\x5C", "\x95"},
               {"p", "fw", "kana", "mixed", "\x83\x41", "\x83\x61", "half", "after", "z",
                "[\x83\x5D", "pad", "\x81\x40pad\x81\x40"},
               kAllSizes});
  c.push_back({"noequals",
               "[S]\r\nflag\r\nflag=1\r\nother\r\n x y \r\nkey = after\r\n[W\r\nw=1\r\n",
               {"S", "W"},
               {"flag", "other", "x y", "key", "[W", "w"},
               kOneSize});
  c.push_back({"empty",
               "[S]\r\ne=\r\ne2= \r\ne3=\t\r\n=v\r\n==\r\n",
               {"S"},
               {"e", "e2", "e3", "", " ", "="},
               {1, 2, 260}});
  c.push_back({"long",
               "[S]\r\nlong=" + Repeat("0123456789", 30) + "\r\nsj=" + Repeat("\x82\xA0", 150) +
                   "\r\nmix=" + Repeat("a\x82\xA0", 100) + "\r\nnum=" + Repeat("9", 40) + "\r\n",
               {"S"},
               {"long", "sj", "mix", "num"},
               {1, 2, 3, 15, 16, 17, 29, 30, 31, 259, 260, 261}});
  c.push_back({"lineends",
               "top=0\n[A]\na=1\n\n[B]\rb=2\r[C]\r\nc=3\n\rd=4\r\n\r\ne=5",
               {"", "A", "B", "C"},
               {"top", "a", "b", "c", "d", "e"},
               kOneSize});
  c.push_back({"headers",
               "[  X  ]\r\na=1\r\n[X Y]\r\nb=2\r\n[Z]abc\r\nc=3\r\n[Q]a]\r\nd=4\r\n[]\r\nf=6\r\n"
               "  [V] ; c\r\ng=7\r\n[ ]\r\nh=8\r\n",
               {"X", "X Y", "X  Y", "Z", "Q]a", "Q", "", "V", " "},
               {"a", "b", "c", "d", "f", "g", "h"},
               kOneSize});
  c.push_back({"numbers",
               "[S]\r\ni1=12\r\ni2=-5\r\ni3=+7\r\ni4=12abc\r\ni5=abc\r\ni6=0x10\r\ni7=4294967297\r\n"
               "i8=\" 12\"\r\ni9=- 5\r\ni10=\r\ni11=99999999999999999999999999999999999\r\n"
               "i12=2147483648\r\ni13=\t-3\r\ni14=--3\r\ni15=1 2\r\ni16=-2147483648\r\n"
               "i17=200000\r\ni18=\xA3\r\np1=010\r\np2=0o17\r\np3=0b101\r\np4=0X10\r\n"
               "p5=-0x10\r\np6=0x1g\r\np7=0xFFFFFFFF\r\np8=0b2\r\np9=00x10\r\np10=0x\r\n",
               {"S"},
               {"i1", "i2", "i3", "i4", "i5", "i6", "i7", "i8", "i9", "i10", "i11", "i12", "i13",
                "i14", "i15", "i16", "i17", "i18", "p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8",
                "p9", "p10", "none"},
               {1, 2, 3, 260}});
  c.push_back({"emptyfile", "", {"S", ""}, {"k", ""}, {1, 260}});
  c.push_back({"programfile",
               "[System]\r\nCom=1\r\nMode=0\r\nHelp=help\\help.html\r\nCpuSel=0\r\nLeft=100\r\n"
               "Top=80\r\n[FlashWrite]\r\nname1=C:\\work\\app.mot\r\nname10=C:\\ten.mot\r\n"
               "[RamLoad]\r\naddress=200000\r\n[Option]\r\nRunApp=1\r\nRunAppName=C:\\a b\\c.exe\r\n",
               {"System", "FlashWrite", "RamLoad", "Option"},
               {"Com", "Mode", "Help", "CpuSel", "Left", "Top", "name1", "name10", "name2",
                "address", "RunApp", "RunAppName"},
               {16, 260}});
  return c;
}

std::string Show(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (*p >= 0x20 && *p < 0x7F) {
      out += static_cast<char>(*p);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", *p);
      out += hex;
    }
  }
  return out;
}

// Both buffers start zeroed. The texts must be equal, and so must the counts, except where
// the buffer ended inside a two-byte character: the system then counts size - 1 bytes and
// leaves the half character's place as it was (0 here), while the portable reader stops
// after the last whole character and counts what it copied.
void ExpectSameAnswer(int portableCount, const char* portable, int systemCount,
                      const char* system, int size) {
  EXPECT_STREQ(portable, system) << "size " << size;
  if (systemCount == static_cast<int>(std::strlen(system))) {
    EXPECT_EQ(portableCount, systemCount) << "size " << size;
  } else {
    EXPECT_EQ(systemCount, size - 1) << "size " << size;
    EXPECT_EQ(portableCount, static_cast<int>(std::strlen(portable))) << "size " << size;
  }
}

using ProfileAgainstSystem = IniFileTest;

TEST_F(ProfileAgainstSystem, ReaderAnswersLikeTheSystem) {
  ASSERT_EQ(GetACP(), 932u) << "the comparison needs the Japanese code page (LC_ALL=ja_JP.UTF-8)";
  int compared = 0;
  for (const CorpusFile& file : Corpus()) {
    // A file of its own per corpus entry: the system caches what it has read.
    std::string path = Path() + "." + file.name + ".ini";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(file.bytes.data(), 1, file.bytes.size(), f);
    std::fclose(f);

    for (const std::string& section : file.sections) {
      for (const std::string& key : file.keys) {
        const char* s = section.c_str();
        const char* k = key.c_str();
        SCOPED_TRACE(std::string(file.name) + " [" + Show(s) + "] " + Show(k));
        for (int size : file.sizes) {
          char system[300] = {};
          char portable[300] = {};
          int systemCount = static_cast<int>(
              GetPrivateProfileStringA(s, k, "", system, static_cast<DWORD>(size), path.c_str()));
          int portableCount =
              PortableProfileGetString(kSjis, s, k, "", portable, size, path.c_str());
          ++compared;
          ExpectSameAnswer(portableCount, portable, systemCount, system, size);
        }
        for (int def : {-7, 12345}) {
          EXPECT_EQ(PortableProfileGetInt(kSjis, s, k, def, path.c_str()),
                    static_cast<int>(GetPrivateProfileIntA(s, k, def, path.c_str())))
              << "default " << def;
        }
        char system[64] = {};
        char portable[64] = {};
        int systemCount = static_cast<int>(
            GetPrivateProfileStringA(s, k, "dflt  ", system, sizeof system, path.c_str()));
        int portableCount =
            PortableProfileGetString(kSjis, s, k, "dflt  ", portable, sizeof portable,
                                     path.c_str());
        ExpectSameAnswer(portableCount, portable, systemCount, system, sizeof portable);
      }
    }
    std::remove(path.c_str());
  }
  EXPECT_GT(compared, 1000);

  // A missing file answers with the default.
  char system[16] = {};
  char portable[16] = {};
  std::string none = Path() + ".none.ini";
  EXPECT_EQ(PortableProfileGetString(kSjis, "S", "k", "\"d\"", portable, 16, none.c_str()),
            static_cast<int>(GetPrivateProfileStringA("S", "k", "\"d\"", system, 16, none.c_str())));
  EXPECT_STREQ(portable, system);
  EXPECT_EQ(PortableProfileGetInt(kSjis, "S", "k", 9, none.c_str()),
            static_cast<int>(GetPrivateProfileIntA("S", "k", 9, none.c_str())));
}

// Every (section, key) of the list read from two files through the system.
std::vector<std::string> ReadAll(const std::string& path, const std::vector<std::string>& sections,
                                 const std::vector<std::string>& keys) {
  std::vector<std::string> out;
  for (const std::string& s : sections) {
    for (const std::string& k : keys) {
      char buffer[300] = {};
      int n = static_cast<int>(
          GetPrivateProfileStringA(s.c_str(), k.c_str(), "", buffer, sizeof buffer, path.c_str()));
      out.push_back("[" + s + "] " + k + " " + std::to_string(n) + " " + Show(buffer));
    }
  }
  return out;
}

TEST_F(ProfileAgainstSystem, WriterEditsReadLikeTheSystemWriters) {
  struct Edit {
    const char* section;
    const char* key;
    const char* value;
  };
  const std::string start =
      "; head\r\n[A]\r\n  Key = old ; c\r\nother=1\r\n\r\n[b]\r\nx=1\r\n[B]\r\ny=2";
  const std::vector<Edit> edits = {
      {"a", "KEY", "new"},        {"A", "added", "2"},     {"B", "y", "3"},
      {"B", "z", "\x95\x5C"},     {" C ", " k ", "v v"},   {"C", "k", ""},
      {"", "top", "t"},           {"A", "other", "\"q\""}, {"D", "\x83\x41", "kana"},
      {"d", "\x83\x61", "other"},
  };
  const std::vector<std::string> sections = {"A", "B", "C", "D", "", "b"};
  const std::vector<std::string> keys = {"Key", "added", "other", "x",        "y", "z",
                                         "k",   "top",   "; head", "\x83\x41", "\x83\x61"};
  std::string systemPath = Path() + ".system.ini";
  std::string portablePath = Path() + ".portable.ini";
  for (const std::string& path : {systemPath, portablePath}) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(start.data(), 1, start.size(), f);
    std::fclose(f);
  }
  for (const Edit& e : edits) {
    SCOPED_TRACE(std::string(e.section) + "/" + Show(e.key));
    EXPECT_TRUE(WritePrivateProfileStringA(e.section, e.key, e.value, systemPath.c_str()));
    EXPECT_TRUE(
        PortableProfileWriteString(kSjis, e.section, e.key, e.value, portablePath.c_str()));
    EXPECT_EQ(ReadAll(portablePath, sections, keys), ReadAll(systemPath, sections, keys));
  }
  std::remove(systemPath.c_str());
  std::remove(portablePath.c_str());
}

}  // namespace
}  // namespace k470
