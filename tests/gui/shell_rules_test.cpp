// The main window's shell rules: where the INI file goes (and that the companion library
// is left alone when a file lies beside the program), how a dialog's INI path is
// completed, which help document opens, and how a window is kept inside the work area.
#include "ui/shell_rules.h"

#include <gtest/gtest.h>

#include <climits>

#include <string>
#include <vector>

#include "base/texts.h"

namespace k470 {
namespace {

class FakeEnv : public IniLocationEnv {
 public:
  std::vector<std::string> existing;
  int appDataResult = 0;
  std::string appData = "C:\\Users\\ann\\AppData\\Roaming";
  int makeResult = 0;
  std::vector<std::string> calls;
  std::vector<std::string> messages;

  bool FileExists(const std::string& path) override {
    calls.push_back("exists " + path);
    for (const std::string& e : existing)
      if (e == path) return true;
    return false;
  }
  int GetAppDataFolder(std::string* folder) override {
    calls.push_back("appdata");
    *folder = appData;
    return appDataResult;
  }
  int MakeFolder(const std::string& folder) override {
    calls.push_back("make " + folder);
    return makeResult;
  }
  void ShowMessage(const char* text) override { messages.push_back(text); }
};

const char* const kProgram = "C:\\Tools\\K470\\K470Loader.exe";

TEST(SplitPath, CutsLikeTheRuntime) {
  PathParts p = SplitPath(kProgram);
  EXPECT_EQ(p.drive, "C:");
  EXPECT_EQ(p.folder, "\\Tools\\K470\\");
  EXPECT_EQ(p.base, "K470Loader");
  EXPECT_EQ(p.extension, ".exe");

  // A dot in a folder name is no extension; a name without folder or drive.
  p = SplitPath("D:\\v1.2\\prog");
  EXPECT_EQ(p.folder, "\\v1.2\\");
  EXPECT_EQ(p.base, "prog");
  EXPECT_EQ(p.extension, "");
  p = SplitPath("name.ini");
  EXPECT_EQ(p.drive + p.folder, "");
  EXPECT_EQ(p.base, "name");

  // The second byte of a two-byte character (0x5C in "ソ") is no folder separator.
  p = SplitPath("C:\\\x83\x5C\x83\x74\x83\x67.exe");
  EXPECT_EQ(p.folder, "\\");
  EXPECT_EQ(p.base, "\x83\x5C\x83\x74\x83\x67");
}

TEST(ResolveIniPath, EmptyBareNameOrPath) {
  EXPECT_EQ(ResolveIniPath("", kProgram), "C:\\Tools\\K470\\K470Loader.ini");
  EXPECT_EQ(ResolveIniPath("K470Loader", kProgram), "C:\\Tools\\K470\\K470Loader.ini");
  EXPECT_EQ(ResolveIniPath("other.cfg", kProgram), "C:\\Tools\\K470\\other.cfg");
  EXPECT_EQ(ResolveIniPath("E:\\conf\\k.ini", kProgram), "E:\\conf\\k.ini");
  // A program file of another name gives an INI file of that name.
  EXPECT_EQ(ResolveIniPath("", "C:\\x\\K470Load.exe"), "C:\\x\\K470Load.ini");
}

TEST(LocateIniFile, FileBesideTheProgramLeavesTheLibraryAlone) {
  FakeEnv env;
  env.existing = {"C:\\Tools\\K470\\K470Loader.ini"};
  EXPECT_EQ(LocateIniFile(kProgram, env), "");
  EXPECT_EQ(env.calls, std::vector<std::string>{"exists C:\\Tools\\K470\\K470Loader.ini"});
  EXPECT_TRUE(env.messages.empty());
}

TEST(LocateIniFile, ApplicationDataFolderWithTwoNewLevels) {
  FakeEnv env;
  EXPECT_EQ(LocateIniFile(kProgram, env),
            "C:\\Users\\ann\\AppData\\Roaming\\Velmora\\K470Loader\\K470Loader.ini");
  ASSERT_EQ(env.calls.size(), 3u);
  EXPECT_EQ(env.calls[1], "appdata");
  EXPECT_EQ(env.calls[2], "make C:\\Users\\ann\\AppData\\Roaming\\Velmora\\K470Loader\\");
  EXPECT_TRUE(env.messages.empty());

  // A folder that already ends in a backslash gets no second one; the file is named
  // after the program file.
  FakeEnv slash;
  slash.appData = "C:\\AppData\\";
  EXPECT_EQ(LocateIniFile("C:\\x\\K470Load.exe", slash),
            "C:\\AppData\\Velmora\\K470Loader\\K470Load.ini");

  // A folder ending in a two-byte character whose second byte is 0x5C still gets one.
  FakeEnv sjis;
  sjis.appData = "C:\\\x83\x5C";
  EXPECT_EQ(LocateIniFile(kProgram, sjis),
            "C:\\\x83\x5C\\Velmora\\K470Loader\\K470Loader.ini");
}

TEST(LocateIniFile, FailuresShowTheirMessageAndFallBack) {
  FakeEnv noFolder;
  noFolder.appDataResult = -1;
  EXPECT_EQ(LocateIniFile(kProgram, noFolder), "");
  EXPECT_EQ(noFolder.messages, std::vector<std::string>{Text(TextId::kAppFolderUnknown)});
  EXPECT_EQ(noFolder.calls.back(), "appdata");  // no folder is made

  FakeEnv emptyFolder;
  emptyFolder.appData = "";
  EXPECT_EQ(LocateIniFile(kProgram, emptyFolder), "");
  EXPECT_EQ(emptyFolder.messages, std::vector<std::string>{Text(TextId::kAppFolderUnknown)});

  FakeEnv notMade;
  notMade.makeResult = 5;
  EXPECT_EQ(LocateIniFile(kProgram, notMade), "");
  EXPECT_EQ(notMade.messages, std::vector<std::string>{Text(TextId::kAppFolderNotMade)});

  // A folder path beyond the limit falls back quietly, before anything is created.
  FakeEnv tooLong;
  tooLong.appData = "C:\\" + std::string(kIniPathMaxBytes, 'a');
  EXPECT_EQ(LocateIniFile(kProgram, tooLong), "");
  EXPECT_EQ(tooLong.calls.back(), "appdata");
  EXPECT_TRUE(tooLong.messages.empty());
}

TEST(PortBoxName, TypedNamesAsTheyAreComPortsByTheirName) {
  struct Case {
    const char* shown;
    int selected;
    const char* name;
  };
  const Case cases[] = {
      {"COM3", 3, "COM3"},
      {"COM12", 3, "COM12"},  // typed over a listed entry: the text wins
      {"com12", 0, "COM12"},
      {"12", 0, "COM12"},
      {"  COM4\t", 1, "COM4"},
      {"rfc2217://rack:4001", 1, "rfc2217://rack:4001"},
      {" socket://10.0.0.5:4002 ", 1, "socket://10.0.0.5:4002"},
      {"rfc2217://[::1]:4001", 0, "rfc2217://[::1]:4001"},
      {"", 5, "COM5"},
      {"  ", 2, "COM2"},
      {"", 0, "COM0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PortBoxName(c.shown, c.selected), c.name) << "box \"" << c.shown << "\"";
  }
}

TEST(HelpDocument, JapaneseTwinWhenThereOtherwiseTheOneNamed) {
  const auto only = [](std::string present) {
    return [present](const std::string& path) { return path == present; };
  };
  EXPECT_EQ(HelpDocument("help\\help.html", true, only("help\\help_ja.html")),
            "help\\help_ja.html");
  EXPECT_EQ(HelpDocument("help\\help.html", true, only("help\\help.html")), "help\\help.html");
  EXPECT_EQ(HelpDocument("help\\help.html", false, only("help\\help_ja.html")),
            "help\\help.html");
  EXPECT_EQ(HelpDocument("docs\\guide.pdf", true, only("docs\\guide_ja.pdf")),
            "docs\\guide_ja.pdf");
}

TEST(MoveIntoWorkArea, CentresOnlyTheAxisThatDoesNotFit) {
  const WorkArea screen = {0, 0, 1280, 984};
  int x = 100, y = 80;
  MoveIntoWorkArea(screen, 500, 200, &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 80);

  // Partly off the right edge (a smaller screen than last time): centred on x only.
  x = 1000, y = 80;
  MoveIntoWorkArea(screen, 500, 200, &x, &y);
  EXPECT_EQ(x, 390);
  EXPECT_EQ(y, 80);

  // Task bar on the left: the work area starts at 60.
  const WorkArea leftBar = {60, 0, 1280, 1024};
  x = 10, y = 0;
  MoveIntoWorkArea(leftBar, 500, 200, &x, &y);
  EXPECT_EQ(x, 60 + (1220 - 500) / 2);
  EXPECT_EQ(y, 0);

  // Wider or taller than the work area (192 DPI on a small screen): held at the left and
  // top edges, so that the title bar stays on the screen.
  x = 0, y = 0;
  MoveIntoWorkArea(screen, 1283, 987, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  x = 500, y = -3;
  MoveIntoWorkArea(screen, 1281, 200, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 392);

  // Far outside (a damaged file): no overflow, the window comes back onto the area.
  const WorkArea second = {1280, -200, 2560, 824};  // a monitor right of the first
  for (int far : {2147483600, INT_MIN, -2147483600}) {
    x = far, y = far;
    MoveIntoWorkArea(second, 500, 200, &x, &y);
    EXPECT_EQ(x, 1280 + 390) << far;
    EXPECT_EQ(y, -200 + 412) << far;
    EXPECT_LE(ClampStoredPosition(far), kFarthestPositionPx);
    EXPECT_GE(ClampStoredPosition(far), -kFarthestPositionPx);
  }
  // A position on the second monitor stays there.
  x = 1400, y = -150;
  MoveIntoWorkArea(second, 500, 200, &x, &y);
  EXPECT_EQ(x, 1400);
  EXPECT_EQ(y, -150);

  // First start: centred; larger than the area: at its edge.
  CentreInWorkArea(screen, 500, 200, &x, &y);
  EXPECT_EQ(x, 390);
  EXPECT_EQ(y, 392);
  CentreInWorkArea(leftBar, 1300, 200, &x, &y);
  EXPECT_EQ(x, 60);
}

}  // namespace
}  // namespace k470
