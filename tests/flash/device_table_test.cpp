// The device table file: the list's gaps and order, the values' rules, the failure on a
// section without Name, and the table shipped with the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "flash/device_table.h"
#include "flash/program_folder.h"

namespace k470 {
namespace {

class DeviceTableTest : public ::testing::Test {
 protected:
  std::string WriteTable(const std::string& text) {
    const std::string path = ::testing::TempDir() + "fw_test.dat";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  DeviceType table[kDeviceTableSize];
  int count = -1;
};

TEST_F(DeviceTableTest, MissingFileReadsAsAnEmptyTable) {
  EXPECT_EQ(ReadDeviceTableFile(::testing::TempDir() + "no_such_fw.dat", table, &count), 1);
  EXPECT_EQ(count, 0);
}

TEST_F(DeviceTableTest, ListedNumbersKeepTheirOrderAcrossGapsAndTypeNumbersStopAt24) {
  const std::string path = WriteTable(
      "[Type]\nType7=C\nType1=A\nType3=B\nType25=D\nType24=A\n"
      "[A]\nName=First\nId=1\n[B]\nName=Second\n[C]\nName=Third\n[D]\nName=Never\n");
  ASSERT_EQ(ReadDeviceTableFile(path, table, &count), 1);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(table[0].Name, "First");
  EXPECT_EQ(table[1].Name, "Second");
  EXPECT_EQ(table[2].Name, "Third");
  // Two numbers naming the same section give two identical records.
  EXPECT_EQ(table[3].Name, "First");
  EXPECT_EQ(table[3].Id, 1);
}

TEST_F(DeviceTableTest, ValuesFollowTheTextAndNumberRules) {
  const std::string path = WriteTable(
      "[Type]\nType0=A\nType1=B\nType2=C\nType3=D\n"
      "[A]\nName=H8/3069 ; board A\nClk=19.6608\nId=1\nRomSize=524288\nBps=38400\n"
      "ClkSelect=1\nBpsSelect=2\n"
      "[B]\nName=B\nClk=20\nId=-1\nRomSize=-1\n"
      "[C]\nName=C\nClk=12.288\n"
      "[D]\nName=D\nClk=fast\nBps=high\n");
  ASSERT_EQ(ReadDeviceTableFile(path, table, &count), 1);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(table[0].Name, "H8/3069");  // comment cut, trailing blank trimmed
  EXPECT_EQ(table[0].Clk, 19660);       // MHz to kHz, truncated
  EXPECT_EQ(table[0].Id, 1);
  EXPECT_EQ(table[0].RomSize, 524288);
  EXPECT_EQ(table[0].Bps, 38400);
  EXPECT_EQ(table[0].ClkSelect, 1);
  EXPECT_EQ(table[0].BpsSelect, 2);
  EXPECT_EQ(table[1].Clk, 20000);
  EXPECT_EQ(table[1].Id, 0);       // a stored -1 reads as absent
  EXPECT_EQ(table[1].RomSize, 0);
  EXPECT_EQ(table[1].Bps, 0);      // absent
  EXPECT_EQ(table[2].Clk, 12288);
  EXPECT_EQ(table[3].Clk, 0);      // no number
  EXPECT_EQ(table[3].Bps, 0);
}

TEST_F(DeviceTableTest, ASectionWithoutNameStopsTheReadingWithFailure) {
  const std::string path = WriteTable(
      "[Type]\nType0=A\nType1=B\nType2=C\n[A]\nName=First\n[B]\nId=1\n[C]\nName=Third\n");
  EXPECT_EQ(ReadDeviceTableFile(path, table, &count), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(table[0].Name, "First");
  EXPECT_EQ(table[1].Name, "B");  // still the section name
  EXPECT_EQ(table[2].Name, "C");
}

TEST_F(DeviceTableTest, TheShippedTableListsBothChips) {
  ASSERT_EQ(ReadDeviceTableFile(K470_SHIPPED_TABLE, table, &count), 1);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(table[0].Name, "H8/3069F");
  EXPECT_EQ(table[0].Id, kDeviceIdH8_3069);
  EXPECT_EQ(table[0].Clk, 20000);
  EXPECT_EQ(table[0].Bps, 38400);
  EXPECT_EQ(table[0].RomSize, 524288);
  EXPECT_EQ(table[0].ClkSelect, 1);
  EXPECT_EQ(table[0].BpsSelect, 1);
  EXPECT_EQ(table[1].Name, "H8/36077");
  EXPECT_EQ(table[1].Id, kDeviceIdH8_36077);
  EXPECT_EQ(table[1].Clk, 20000);
  EXPECT_EQ(table[1].Bps, 57600);
  EXPECT_EQ(table[1].RomSize, 57344);
  EXPECT_EQ(table[1].ClkSelect, 0);
  EXPECT_EQ(table[1].BpsSelect, 0);
}

TEST_F(DeviceTableTest, TheTableIsFoundInBinBelowTheFolder) {
  const std::string folder = ::testing::TempDir() + "k470_folder" + PathSeparator();
  std::remove(BinFilePath(folder, kDeviceTableFileName).c_str());
  EXPECT_EQ(ReadDeviceTable(folder, table, &count), 1);
  EXPECT_EQ(count, 0);
  std::filesystem::create_directories(folder + "bin");
  std::ofstream(BinFilePath(folder, kDeviceTableFileName)) << "[Type]\nType0=X\n[X]\nName=Y\n";
  EXPECT_EQ(ReadDeviceTable(folder, table, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(table[0].Name, "Y");
}

}  // namespace
}  // namespace k470
