// The device table file: the list's gaps and order, the values' rules, the failure on a
// section without Name, and the table shipped with the program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "flash/device_table.h"
#include "base/program_folder.h"
#include "settings/profile.h"

namespace k470 {
namespace {

class DeviceTableTest : public ::testing::Test {
 protected:
  std::string WriteTable(const std::string& text) {
    // One file a test: ctest may run the cases side by side.
    const std::string path = ::testing::TempDir() + "fw_test_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                             ".dat";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  DeviceType table[kDeviceTableSize];
  int count = -1;
  std::string refusal;
};

TEST_F(DeviceTableTest, MissingFileReadsAsAnEmptyTable) {
  EXPECT_EQ(
      ReadDeviceTableFile(::testing::TempDir() + "no_such_fw.dat", table, &count, &refusal), 1);
  EXPECT_EQ(count, 0);
}

TEST_F(DeviceTableTest, ListedNumbersKeepTheirOrderAcrossGapsAndTypeNumbersStopAt24) {
  const std::string path = WriteTable(
      "[Type]\nType7=C\nType1=A\nType3=B\nType25=D\nType24=A\n"
      "[A]\nName=First\nId=1\nClk=20\n[B]\nName=Second\nClk=20\n[C]\nName=Third\nClk=20\n"
      "[D]\nName=Never\nClk=20\n");
  ASSERT_EQ(ReadDeviceTableFile(path, table, &count, &refusal), 1);
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
      "[D]\nName=D\nClk=0.01\nBps=high\n");
  ASSERT_EQ(ReadDeviceTableFile(path, table, &count, &refusal), 1);
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
  EXPECT_EQ(table[3].Clk, 10);     // the smallest clock the chip can be sent
  EXPECT_EQ(table[3].Bps, 0);      // no number
}

TEST_F(DeviceTableTest, EveryTypeKeepsItsPlaceAndOneOutsideTheRangesIsNamedByItsKey) {
  // A stored choice keeps naming the same type. Clk and Bps count only where they are
  // sent (Id 0); 700 MHz and 0.005 MHz do not fit 16 bits of 10 kHz, 655.35 MHz does.
  const std::string path = WriteTable(
      "[Type]\nType0=Ok\nType1=Big\nType2=NoClk\nType3=Tiny\nType4=Top\nType5=Huge\n"
      "Type6=Seven\nType7=Rate\nType8=Wrap\n"
      "[Ok]\nName=O\nClk=20\nBps=38400\nRomSize=524288\n"
      "[Big]\nName=B\nClk=700\nBps=38400\nRomSize=524288\n"
      "[NoClk]\nName=N\nId=1\nRomSize=57344\n"
      "[Tiny]\nName=T\nClk=0.005\nBps=9600\nRomSize=1\n"
      "[Top]\nName=P\nClk=655.35\nBps=57600\nRomSize=524288\n"
      "[Huge]\nName=H\nId=1\nRomSize=524289\n"
      "[Seven]\nName=S\nId=7\nClk=20\nBps=38400\nRomSize=1024\n"
      "[Rate]\nName=R\nClk=20\nBps=115200\nRomSize=1024\n"
      "[Wrap]\nName=W\nId=4294967297\nRomSize=99999999999\n");
  ASSERT_EQ(ReadDeviceTableFile(path, table, &count, &refusal), kTableRead);
  ASSERT_EQ(count, 9);
  const char* names[] = {"O", "B", "N", "T", "P", "H", "S", "R", "W"};
  const char* faults[] = {nullptr, "Clk", nullptr, "Clk", nullptr, "RomSize", "Id", "Bps",
                          "Id"};
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(table[i].Name, names[i]);
    EXPECT_STREQ(DeviceTypeFaultKey(table[i]), faults[i]) << names[i];
  }
  EXPECT_EQ(table[4].Clk, 655350);
  // Values beyond the int range are held at its end, never wrapped into a plausible one.
  EXPECT_EQ(table[8].Id, INT32_MAX);
  EXPECT_EQ(table[8].RomSize, INT32_MAX);
  EXPECT_EQ(DeviceTypeFault(table[1]), "デバイス定義 [Big] のClkが有効範囲外です。");
  EXPECT_EQ(DeviceTypeFault(table[0]), "");
  // The settings dialog may bring the value back into its range.
  table[1].Clk = 20000;
  EXPECT_EQ(DeviceTypeFault(table[1]), "");
}

TEST_F(DeviceTableTest, AFileOfOneMebibyteIsReadAndOneByteMoreIsRefused) {
  std::string big = "[Type]\nType0=A\n[A]\nName=A\nId=1\nRomSize=1\n";
  big.resize(kDeviceTableMaxBytes, ';');
  const std::string path = WriteTable(big);
  ASSERT_EQ(ReadDeviceTableFile(path, table, &count, &refusal), kTableRead);
  EXPECT_EQ(count, 1);
  std::ofstream(path, std::ios::binary | std::ios::app) << ";";
  EXPECT_EQ(ReadDeviceTableFile(path, table, &count, &refusal), kTableRefused);
  EXPECT_EQ(refusal, "larger than 1 MiB");
}

TEST_F(DeviceTableTest, ATableReplacedWhileItIsReadGivesOneVersionWhole) {
  // Two versions of one table swapped in by rename while it is read over and over: every
  // read holds one version's names and Ids, never keys of both.
  const auto version = [](char name, int id) {
    std::string text = "[Type]\n";
    for (int i = 0; i < kDeviceTableSize; ++i) text += "Type" + std::to_string(i) + "=S\n";
    return text + "[S]\nName=" + name + "\nId=" + std::to_string(id) + "\nRomSize=4096\n";
  };
  const std::string path = WriteTable(version('A', 0));
  const std::string spareA = path + ".a";
  const std::string spareB = path + ".b";
  std::atomic<bool> reading{true};
  std::thread swapper([&] {
    for (int n = 0; reading; ++n) {
      const std::string& spare = n % 2 == 0 ? spareB : spareA;
      std::ofstream(spare, std::ios::binary) << version(n % 2 == 0 ? 'B' : 'A', n % 2 == 0);
      std::rename(spare.c_str(), path.c_str());
    }
  });
  constexpr int kReads = 300;
  int mixed = 0;
  for (int r = 0; r < kReads; ++r) {
    if (ReadDeviceTableFile(path, table, &count, &refusal) != kTableRead) continue;
    for (int i = 0; i < count; ++i) {
      if (table[i].Name != table[0].Name || table[i].Id != (table[0].Name == "B")) ++mixed;
    }
  }
  reading = false;
  swapper.join();
  EXPECT_EQ(mixed, 0);
}

TEST_F(DeviceTableTest, ANameInTheProgramsCodingKeepsTheKeysAfterIt) {
  // テスト in the coding of the build's texts: in UTF-8 its last byte (0x88) is a lead byte
  // of code page 932, which must not take the line end and the Id line along.
  const std::string name = ProgramTextCoding() == TextCoding::kUtf8
                               ? "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88"
                               : "\x83\x65\x83\x58\x83\x67";
  const std::string path = WriteTable("[Type]\nType0=" + name + "\n[" + name + "]\nName=" +
                                      name + "\nId=1\nClk=20\n");
  ASSERT_EQ(ReadDeviceTableFile(path, table, &count, &refusal), 1);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(table[0].Name, name);
  EXPECT_EQ(table[0].Id, kDeviceIdH8_36077);
}

TEST_F(DeviceTableTest, ASectionWithoutNameStopsTheReadingWithFailure) {
  const std::string path = WriteTable(
      "[Type]\nType0=A\nType1=B\nType2=C\n[A]\nName=First\nClk=20\n[B]\nId=1\n"
      "[C]\nName=Third\n");
  EXPECT_EQ(ReadDeviceTableFile(path, table, &count, &refusal), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(table[0].Name, "First");
  EXPECT_EQ(table[1].Name, "B");  // still the section name
  EXPECT_EQ(table[2].Name, "C");
}

TEST_F(DeviceTableTest, TheShippedTableListsBothChips) {
  ASSERT_EQ(ReadDeviceTableFile(K470_SHIPPED_TABLE, table, &count, &refusal), 1);
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
  EXPECT_EQ(ReadDeviceTable(folder, table, &count, &refusal), 1);
  EXPECT_EQ(count, 0);
  std::filesystem::create_directories(folder + "bin");
  std::ofstream(BinFilePath(folder, kDeviceTableFileName)) << "[Type]\nType0=X\n[X]\nName=Y\nClk=20\n";
  EXPECT_EQ(ReadDeviceTable(folder, table, &count, &refusal), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(table[0].Name, "Y");
}

}  // namespace
}  // namespace k470
