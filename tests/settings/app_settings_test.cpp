// The settings schema: defaults of a first start, the exact file a first save produces, the
// normalisations on reading and the history keys. Runs natively and under Wine.
#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/iniacs.h"
#include "settings/profile.h"
#include "tests/settings/ini_test_files.h"

namespace k470 {
namespace {

struct Loaded {
  AppSettings settings;
  FileHistory flash{FileHistory::kMaxEntries};
  FileHistory ram{FileHistory::kMaxEntries};
  std::string address = "unset";
};

std::vector<std::string> Entries(const FileHistory& h) {
  std::vector<std::string> out;
  for (int i = 0; i < h.GetCount(); ++i) out.push_back(h.GetAt(i));
  return out;
}

class Settings : public IniFileTest {
 protected:
  Loaded Load() const {
    Loaded l;
    LoadSettings(Path(), &l.settings, &l.flash, &l.ram, &l.address);
    return l;
  }
  // The window position batch that follows the settings save at close.
  void SavePosition(int left, int top) const {
    iniacs ini;
    ini.SetFile(Path(), 1);
    ini.WriteInt("System", "Left", left);
    ini.WriteInt("System", "Top", top);
  }
};

TEST_F(Settings, FirstStartDefaultsAndTheFileOfTheFirstClose) {
  Loaded l = Load();
  EXPECT_EQ(l.settings.com, 1);
  EXPECT_EQ(l.settings.mode, 0);
  EXPECT_EQ(l.settings.help, "help\\help.html");
  EXPECT_EQ(l.settings.cpuSel, 0);
  EXPECT_EQ(l.settings.lastPort, 0);  // and no LastPort key in the file below
  EXPECT_EQ(l.flash.GetCount(), 0);
  EXPECT_EQ(l.ram.GetCount(), 0);
  EXPECT_EQ(l.address, "00200000");
  const OptionSettings& o = l.settings.options;
  EXPECT_EQ(o.fwriteUpdateCheck + o.rloadUpdateCheck + o.autoLoad + o.autoGo + o.autoDisConnect +
                o.runApp,
            0);
  EXPECT_EQ(o.runAppName, "");

  l.flash.Add("C:\\work\\app.mot");
  SaveSettings(Path(), l.settings, l.flash, l.ram, 0x200000);
  SavePosition(100, 80);
  EXPECT_EQ(Get(),
            "[System]\r\n"
            "Com=1\r\n"
            "Mode=0\r\n"
            "Help=help\\help.html\r\n"
            "CpuSel=0\r\n"
            "Left=100\r\n"
            "Top=80\r\n"
            "[FlashWrite]\r\n"
            "name1=C:\\work\\app.mot\r\n"
            "[RamLoad]\r\n"
            "address=200000\r\n"
            "[Option]\r\n"
            "FwriteUpdateCheck=0\r\n"
            "RloadUpdateCheck=0\r\n"
            "AutoLoad=0\r\n"
            "AutoGo=0\r\n"
            "AutoDisConnect=0\r\n"
            "RunApp=0\r\n"
            "RunAppName=\r\n"
            "ShowBoardOutput=1\r\n");
}

TEST_F(Settings, EverySettingComesBackAfterASave) {
  AppSettings s;
  s.com = 12;
  s.mode = 1;
  s.help = "doc\\\x83\x77\x83\x8B\x83\x76.html";  // second bytes 0x77, 0x8B, 0x76
  s.cpuSel = 3;
  s.lastPort = 7;  // a key of its own: Com keeps its stored 12
  s.options = OptionSettings{1, 1, 1, 1, 1, 1, "C:\\Program Files\\term\\\x95\x5C.exe", 0};
  FileHistory flash(FileHistory::kMaxEntries);
  FileHistory ram(FileHistory::kMaxEntries);
  for (int i = 1; i <= 10; ++i) flash.Add("C:\\f\\" + std::to_string(i) + ".mot");
  ram.Add("D:\\a b\\ram.mot");
  SaveSettings(Path(), s, flash, ram, 0xFFFFFFFFu);
  SaveSettings(Path(), s, flash, ram, 0xABCu);  // a second save rewrites in place

  Loaded l = Load();
  EXPECT_EQ(l.settings.com, 12);
  EXPECT_EQ(l.settings.mode, 1);
  EXPECT_EQ(l.settings.help, s.help);
  EXPECT_EQ(l.settings.cpuSel, 3);
  EXPECT_EQ(l.settings.lastPort, 7);
  EXPECT_EQ(l.settings.options.fwriteUpdateCheck, 1);
  EXPECT_EQ(l.settings.options.rloadUpdateCheck, 1);
  EXPECT_EQ(l.settings.options.autoLoad, 1);
  EXPECT_EQ(l.settings.options.autoGo, 1);
  EXPECT_EQ(l.settings.options.autoDisConnect, 1);
  EXPECT_EQ(l.settings.options.runApp, 1);
  EXPECT_EQ(l.settings.options.runAppName, s.options.runAppName);
  EXPECT_EQ(l.settings.options.showBoardOutput, 0);
  EXPECT_EQ(Entries(l.flash), Entries(flash));
  EXPECT_EQ(Entries(l.ram), Entries(ram));
  EXPECT_EQ(l.address, "00000ABC");
}

TEST_F(Settings, ValuesOutOfTheSchemaAreNormalised) {
  Put("[System]\r\nCom=-1\r\nMode=2\r\nHelp=\r\nCpuSel=7\r\n"
      "[RamLoad]\r\naddress=0\r\n"
      "[Option]\r\nAutoGo=5\r\nRunAppName=C:\\x.exe ; the terminal\r\n");
  Loaded l = Load();
  EXPECT_EQ(l.settings.com, 1) << "a stored -1 reads as absent";
  EXPECT_EQ(l.settings.mode, 0);
  EXPECT_EQ(l.settings.help, "help\\help.html");
  EXPECT_EQ(l.settings.cpuSel, 7);
  EXPECT_EQ(l.address, "00200000");
  EXPECT_EQ(l.settings.options.autoGo, 5);
  EXPECT_EQ(l.settings.options.showBoardOutput, 1) << "absent: the output window shows";
  EXPECT_EQ(l.settings.options.runAppName, "C:\\x.exe");

  for (const char* stored : {"0x10", "-1", "zz", "12 34"}) {
    Put(std::string("[System]\r\nMode=1\r\nHelp=\x81\x40\r\n[RamLoad]\r\naddress=") + stored + "\r\n");
    Loaded m = Load();
    EXPECT_EQ(m.address, "00200000") << stored;
    EXPECT_EQ(m.settings.mode, 1);
    EXPECT_EQ(m.settings.help, "help\\help.html") << "a value that trims to nothing";
  }
  Put("[RamLoad]\r\naddress=abc\r\n");
  EXPECT_EQ(Load().address, "00000ABC");
}

TEST_F(Settings, HistoryGapsCloseAndOldKeysGo) {
  Put("[FlashWrite]\r\nname1=C:\\a.mot\r\nname2=C:\\b.mot\r\nname5=C:\\e.mot ;old\r\n"
      "name9=C:\\gone.mot\r\n");
  Loaded l = Load();
  EXPECT_EQ(Entries(l.flash),
            (std::vector<std::string>{"C:\\a.mot", "C:\\b.mot", "C:\\e.mot", "C:\\gone.mot"}));
  l.flash = FileHistory();
  for (const char* path : {"C:\\a.mot", "C:\\b.mot", "C:\\e.mot"}) l.flash.Add(path);
  EXPECT_TRUE(SaveSettings(Path(), l.settings, l.flash, l.ram, 0x200000));
  std::string saved = Get();
  // Keys above those written are removed: an entry the user let go cannot come back.
  EXPECT_NE(saved.find("[FlashWrite]\r\nname1=C:\\a.mot\r\nname2=C:\\b.mot\r\n"
                       "name3=C:\\e.mot\r\n[System]\r\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(Entries(Load().flash), Entries(l.flash));
}

TEST_F(Settings, LongPathsAreKeptWholeOrNotAtAll) {
  // 143 characters, far more than 259 bytes in the program's coding ("フ").
  const char* fu = ProgramTextCoding() == TextCoding::kCp932 ? "\x83\x74" : "\xE3\x83\x95";
  std::string japanese = "C:\\";
  for (int i = 0; i < 134; ++i) japanese += fu;
  japanese += "\\x.mot";
  const std::string longest(kHistoryEntryBytes - 2, 'a');  // just fits
  const std::string tooLong(kHistoryEntryBytes - 1, 'b');  // would come back cut
  Put("[RamLoad]\r\nname1=" + japanese + "\r\nname2=" + longest + "\r\nname3=" + tooLong +
      "\r\n");
  EXPECT_EQ(Entries(Load().ram), (std::vector<std::string>{japanese, longest}));
}

TEST_F(Settings, TwoInstancesKeepEachOthersNewEntries) {
  Put("[RamLoad]\r\nname1=C:\\old.mot\r\nname2=C:\\both.mot\r\n");
  Loaded mine = Load();
  const FileHistory atStart = mine.ram;
  // The other instance adds a file and closes first.
  Loaded other = Load();
  other.ram.Add("C:\\theirs.mot");
  SaveSettings(Path(), other.settings, other.flash, other.ram, 0x200000);
  // This one adds its own, re-reads the file and merges before its save.
  mine.ram.Add("C:\\mine.mot");
  mine.ram.Add("C:\\old.mot");
  FileHistory onDisk;
  LoadHistories(Path(), nullptr, &onDisk);
  SaveSettings(Path(), mine.settings, mine.flash, MergeHistory(atStart, onDisk, mine.ram),
               0x200000);
  EXPECT_EQ(Entries(Load().ram), (std::vector<std::string>{"C:\\theirs.mot", "C:\\both.mot",
                                                           "C:\\mine.mot", "C:\\old.mot"}));
}

TEST_F(Settings, ANameTheFileCannotKeepIsLeftOutOfTheSave) {
  // Read back, "C:\x;y.mot" would be "C:\x": another file.
  Loaded l = Load();
  for (const char* path : {"C:\\a.mot", "C:\\x;y.mot", "C:\\b.mot"}) l.flash.Add(path);
  l.ram.Add("C:\\only;one.mot");
  SaveSettings(Path(), l.settings, l.flash, l.ram, 0x200000);
  const std::string saved = Get();
  EXPECT_NE(saved.find("[FlashWrite]\r\nname1=C:\\a.mot\r\nname2=C:\\b.mot\r\n[RamLoad]\r\n"
                       "address=200000\r\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(Entries(Load().flash), (std::vector<std::string>{"C:\\a.mot", "C:\\b.mot"}));
}

TEST_F(Settings, OnlyTenHistoryKeysAreRead) {
  std::string file = "[RamLoad]\r\n";
  for (int n = 1; n <= 12; ++n) file += "name" + std::to_string(n) + "=C:\\" + std::to_string(n) + ".mot\r\n";
  Put(file);
  Loaded l = Load();
  ASSERT_EQ(l.ram.GetCount(), 10);
  EXPECT_EQ(l.ram.GetAt(0), "C:\\1.mot");
  EXPECT_EQ(l.ram.Newest(), "C:\\10.mot");
  EXPECT_EQ(l.flash.GetCount(), 0);
}

TEST_F(Settings, SaveKeepsWhatTheUserAddedToTheFile) {
  Put("; K470Loader settings\r\n[System]\r\nCom=3\r\nLeft=5\r\nTop=6\r\n\r\n[User]\r\nx=1\r\n");
  Loaded l = Load();
  EXPECT_EQ(l.settings.com, 3);
  SaveSettings(Path(), l.settings, l.flash, l.ram, 0x123456);
  EXPECT_EQ(Get(),
            "; K470Loader settings\r\n[System]\r\nCom=3\r\nLeft=5\r\nTop=6\r\n\r\nMode=0\r\n"
            "Help=help\\help.html\r\nCpuSel=0\r\n[User]\r\nx=1\r\n"
            "[RamLoad]\r\naddress=123456\r\n"
            "[Option]\r\nFwriteUpdateCheck=0\r\nRloadUpdateCheck=0\r\nAutoLoad=0\r\nAutoGo=0\r\n"
            "AutoDisConnect=0\r\nRunApp=0\r\nRunAppName=\r\nShowBoardOutput=1\r\n");
}

}  // namespace
}  // namespace k470
