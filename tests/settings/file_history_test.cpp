// FileHistory: order of use, the ten-entry limit, the exact comparison, the combo box index
// rule and the folder of a path.
#include "settings/file_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace k470 {
namespace {

std::vector<std::string> Entries(const FileHistory& h) {
  std::vector<std::string> out;
  for (int i = 0; i < h.GetCount(); ++i) out.push_back(h.GetAt(i));
  return out;
}

std::string Path(int n) { return "C:\\work\\f" + std::to_string(n) + ".mot"; }

TEST(FileHistory, EmptyHistoryAnswersWithEmptyText) {
  FileHistory h(10);
  EXPECT_EQ(h.GetCount(), 0);
  EXPECT_EQ(h.Newest(), "");
  EXPECT_EQ(h.GetAt(0), "");
  EXPECT_EQ(h.GetAt(-1), "");
  EXPECT_EQ(h.MoveToNewest(0), 0);
}

TEST(FileHistory, EleventhFileDropsTheOldest) {
  FileHistory h(10);
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(h.Add(Path(i)), 1);
  EXPECT_EQ(h.GetCount(), 10);
  EXPECT_EQ(h.Add(Path(11)), 1);
  EXPECT_EQ(h.GetCount(), 10);
  EXPECT_EQ(h.GetAt(0), Path(2));
  EXPECT_EQ(h.Newest(), Path(11));
  EXPECT_EQ(h.GetAt(10), "");
  // The combo box's item 0 is the newest entry.
  EXPECT_EQ(h.GetAt(HistoryIndexOfComboItem(h.GetCount(), 0)), Path(11));
}

TEST(FileHistory, DuplicateMovesToNewestAndCaseCounts) {
  FileHistory h(10);
  for (int i = 1; i <= 6; ++i) h.Add(Path(i));
  EXPECT_EQ(h.Add(Path(3)), 0);
  EXPECT_EQ(Entries(h), (std::vector<std::string>{Path(1), Path(2), Path(4), Path(5), Path(6),
                                                  Path(3)}));
  FileHistory c(10);
  c.Add("c:\\a.mot");
  EXPECT_EQ(c.Add("C:\\A.MOT"), 1);
  EXPECT_EQ(c.GetCount(), 2);
  // Two-byte characters compare byte for byte: full-width A and a differ.
  EXPECT_EQ(c.Add("\x82\x60.mot"), 1);
  EXPECT_EQ(c.Add("\x82\x81.mot"), 1);
  EXPECT_EQ(c.GetCount(), 4);
}

TEST(FileHistory, ChoosingAComboItemMakesItNewest) {
  FileHistory h(10);
  for (int i = 1; i <= 4; ++i) h.Add(Path(i));  // items: f4 f3 f2 f1
  EXPECT_EQ(h.MoveToNewest(HistoryIndexOfComboItem(h.GetCount(), 2)), 1);
  EXPECT_EQ(Entries(h), (std::vector<std::string>{Path(1), Path(3), Path(4), Path(2)}));
  EXPECT_EQ(h.MoveToNewest(HistoryIndexOfComboItem(h.GetCount(), 0)), 1);
  EXPECT_EQ(h.Newest(), Path(2));
  // The Down arrow twice: item 1 becomes newest, then the former newest comes back.
  h.MoveToNewest(HistoryIndexOfComboItem(h.GetCount(), 1));
  EXPECT_EQ(h.Newest(), Path(4));
  h.MoveToNewest(HistoryIndexOfComboItem(h.GetCount(), 1));
  EXPECT_EQ(h.Newest(), Path(2));
  // No selection: nothing moves.
  EXPECT_EQ(h.MoveToNewest(HistoryIndexOfComboItem(h.GetCount(), -1)), 0);
  EXPECT_EQ(h.MoveToNewest(4), 0);
  EXPECT_EQ(h.Newest(), Path(2));
}

TEST(FileHistory, SmallerCapacityStillNeverOverflows) {
  FileHistory h(3);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(h.Add(Path(i)), 1);
  EXPECT_EQ(Entries(h), (std::vector<std::string>{Path(3), Path(4), Path(5)}));
  FileHistory big(50);
  for (int i = 1; i <= 12; ++i) big.Add(Path(i));
  EXPECT_EQ(big.GetCount(), 10);
}

TEST(FolderPart, UpToAndIncludingTheLastBackslash) {
  EXPECT_EQ(FolderPart("C:\\work\\test.mot"), "C:\\work\\");
  EXPECT_EQ(FolderPart("C:\\work\\"), "C:\\work\\");
  EXPECT_EQ(FolderPart("test.mot"), "");
  EXPECT_EQ(FolderPart(""), "");
  EXPECT_EQ(FolderPart("C:/work/test.mot"), "");
  // 0x95 0x5C and 0x83 0x5C are characters whose second byte is a backslash.
  EXPECT_EQ(FolderPart("C:\\\x95\x5C\\\x83\x5C.mot"), "C:\\\x95\x5C\\");
  EXPECT_EQ(FolderPart("C:\\\x83\x5C"), "C:\\");
}

}  // namespace
}  // namespace k470
