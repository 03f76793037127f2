// The S-record reader: records, checksums, clipping to the window, line pieces.
#include "jobs/mot_file2bin.h"
#include "base/open_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/srecords.h"

namespace k470 {
namespace {

// Builds a record line with a correct checksum: type, address digits, data bytes.
std::string Record(char type, uint32_t address, const std::vector<uint8_t>& data) {
  return test::SRecord(type - '0', address, data);
}

std::vector<uint8_t> Bytes(size_t n, uint8_t first = 0) {
  std::vector<uint8_t> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(first + i);
  return out;
}

class MotReader : public ::testing::Test {
 protected:
  static constexpr uint32_t kBase = 0x200000;
  static constexpr uint32_t kSize = 0x40000;

  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    m_path = ::testing::TempDir() + "k470_mot_" + name + ".mot";
    m_image.assign(kSize, 0);
  }
  void TearDown() override { std::remove(m_path.c_str()); }

  void WriteFile(const std::string& text) {
    FILE* f = std::fopen(m_path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }

  int Read(uint32_t base = kBase, uint32_t size = kSize) {
    MotFile2Bin reader;
    reader.Start(m_path, m_image.data(), size, base);
    while (!reader.IsDone()) {
    }
    const int result = reader.WaitResult(&m_low, &m_high);
    m_detail = reader.FailureDetail();
    m_note = reader.DroppedNote();
    return result;
  }

  std::string m_path;
  std::vector<uint8_t> m_image;
  uint32_t m_low = 0, m_high = 0;
  std::string m_detail;  // the path and why the reading failed
  std::string m_note;    // the bytes the window left out
};

TEST_F(MotReader, DataRecordsOfAllThreeTypesLandAtTheirAddresses) {
  WriteFile(Record('0', 0, {'h', 'd', 'r'}) + "\n" + Record('1', 0x10, {1, 2}) + "\n" +
            Record('2', 0x200004, {0xAA, 0xBB}) + "\r\n" + Record('3', 0x00200010, {1, 2, 3, 4}) +
            "\n" + Record('7', 0x200000, {}) + "\n");
  EXPECT_EQ(Read(), MOT_OK);
  EXPECT_EQ(m_low, kBase);
  EXPECT_EQ(m_high, 0x200013u);
  EXPECT_EQ(m_image[0], 0xFF);  // below the first record stays erased
  EXPECT_EQ(m_image[4], 0xAA);
  EXPECT_EQ(m_image[5], 0xBB);
  EXPECT_EQ(m_image[0x10], 1);
  EXPECT_EQ(m_image[0x13], 4);
  EXPECT_EQ(m_image[0x14], 0xFF);
}

TEST_F(MotReader, ClipsRecordsAtBothEdgesOfTheWindow) {
  // 32 bytes from 0x1FFFF0: only the last 16 reach the window.
  WriteFile(Record('2', 0x1FFFF0, Bytes(32)) + "\n");
  EXPECT_EQ(Read(), MOT_OK);
  EXPECT_EQ(m_image[0], 16);
  EXPECT_EQ(m_image[15], 31);
  EXPECT_EQ(m_image[16], 0xFF);
  EXPECT_EQ(m_high, 0x20000Fu);
  EXPECT_EQ(m_note, "16 bytes outside 00200000-0023FFFF were not written (first at 001FFFF0)");

  // A record wholly above the window stores nothing but raises high to the window's end.
  WriteFile(Record('2', 0x200000, {7}) + "\n" + Record('2', 0x300000, {1, 2}) + "\n");
  EXPECT_EQ(Read(), MOT_OK);
  EXPECT_EQ(m_image[0], 7);
  EXPECT_EQ(m_high, kBase + kSize - 1);

  // A record straddling the top keeps its lower part.
  WriteFile(Record('2', kBase + kSize - 2, {5, 6, 7, 8}) + "\n");
  EXPECT_EQ(Read(), MOT_OK);
  EXPECT_EQ(m_image[kSize - 2], 5);
  EXPECT_EQ(m_image[kSize - 1], 6);
  EXPECT_EQ(m_high, kBase + kSize - 1);
  EXPECT_EQ(m_note, "2 bytes outside 00200000-0023FFFF were not written (first at 00240000)");
}

TEST_F(MotReader, ACarriageReturnAloneEndsALine) {
  // Every record is read, not only the first with the rest taken for one long line.
  WriteFile(Record('2', kBase, {1}) + "\r" + Record('2', kBase + 1, {2}) + "\r\n" +
            Record('2', kBase + 2, {3}) + "\r");
  EXPECT_EQ(Read(), MOT_OK);
  EXPECT_EQ(std::vector<uint8_t>(m_image.begin(), m_image.begin() + 4),
            (std::vector<uint8_t>{1, 2, 3, 0xFF}));
  // Blanks after the checksum are no record's text.
  WriteFile(Record('2', kBase, {7}) + " \t\n");
  EXPECT_EQ(Read(), MOT_OK);
  EXPECT_EQ(m_image[0], 7);
}

TEST_F(MotReader, RecordsNearTheTopOfTheAddressSpaceDoNotWrapIntoTheWindow) {
  WriteFile(Record('3', 0xFFFFFFF8, Bytes(16)) + "\n" + Record('3', 0x10, {9}) + "\n");
  EXPECT_EQ(Read(0, 0x1000), MOT_OK);
  EXPECT_EQ(m_image[0], 0xFF);
  EXPECT_EQ(m_image[0x10], 9);
}

TEST_F(MotReader, NoDataInsideTheWindow) {
  WriteFile("");
  EXPECT_EQ(Read(), MOT_NO_DATA);
  EXPECT_EQ(m_detail, m_path + ": no data records");
  WriteFile(Record('1', 0x1000, {1, 2, 3}) + "\n");  // S1 lies below 0x200000
  EXPECT_EQ(Read(), MOT_NO_DATA);
  EXPECT_EQ(m_detail,
            m_path + ": 3 bytes outside 00200000-0023FFFF were not written (first at 00001000)");
  WriteFile(Record('0', 0, {'x'}) + "\n" + Record('9', 0, {}) + "\n");
  EXPECT_EQ(Read(), MOT_NO_DATA);
}

TEST_F(MotReader, MissingFileCannotBeOpened) {
  m_path = ::testing::TempDir() + "k470_no_such_file.mot";
  EXPECT_EQ(Read(), MOT_OPEN_FAILED);
  std::string reason;  // the system's words, whichever they are
  EXPECT_EQ(OpenRegularFile(m_path, &reason), nullptr);
  EXPECT_EQ(m_detail, m_path + ": " + reason);
  EXPECT_FALSE(reason.empty());
}

TEST_F(MotReader, AFolderIsAFileThatCannotBeOpened) {
  m_path = ::testing::TempDir() + "k470_folder.mot";
  std::filesystem::create_directories(m_path);
  EXPECT_EQ(Read(), MOT_OPEN_FAILED);
  EXPECT_EQ(m_detail, m_path + ": not a regular file");
  std::filesystem::remove(m_path);
}

struct BadFile {
  const char* name;
  std::string text;
};

class MotReaderFormat : public MotReader, public ::testing::WithParamInterface<BadFile> {};

TEST_P(MotReaderFormat, IsAFormatError) {
  WriteFile(GetParam().text);
  EXPECT_EQ(Read(), MOT_FORMAT_ERROR) << GetParam().name;
}

std::string Good() { return Record('2', 0x200000, {1, 2, 3}) + "\n"; }
std::string Corrupt(std::string line) {
  line[line.size() - 1] = line[line.size() - 1] == '0' ? '1' : '0';
  return line + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MotReaderFormat,
    ::testing::Values(
        BadFile{"empty line in the middle", Good() + "\n" + Good()},
        BadFile{"empty last line", Good() + "\n"},
        BadFile{"empty last line CRLF", Good() + "\r\n"},
        BadFile{"lower-case s", "s" + Good().substr(1)},
        BadFile{"S0 checksum", Corrupt(Record('0', 0, {'a'})) + Good()},
        BadFile{"S1 checksum", Corrupt(Record('1', 0x10, {1}))},
        BadFile{"S2 checksum", Good() + Corrupt(Record('2', 0x200010, {1}))},
        BadFile{"S3 checksum", Corrupt(Record('3', 0x200010, {1}))},
        BadFile{"S5 checksum", Good() + Corrupt(Record('5', 1, {}))},
        BadFile{"S9 checksum", Good() + Corrupt(Record('9', 0, {}))},
        BadFile{"truncated record", Good() + Record('2', 0x200010, {1, 2, 3}).substr(0, 12)},
        BadFile{"text after the checksum", Record('2', 0x200000, {1}) + "FF\n"},
        BadFile{"two records on one line", Good().substr(0, Good().size() - 1) + Good()},
        BadFile{"line longer than the buffer",
                Record('2', 0x200000, {1}) + std::string(1100, '0') + "\n"}),
    [](const ::testing::TestParamInfo<BadFile>& info) {
      std::string n = info.param.name;
      for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

TEST_F(MotReader, LowerCaseDigitsAndALastLineWithoutLineEnd) {
  std::string line = Record('1', 0x20, {0xAB, 0xCD});
  for (char& c : line)
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  WriteFile(Record('2', 0x200000, {0x5A}) + "\n" + Record('2', 0x200001, {0xAB}));
  EXPECT_EQ(Read(), MOT_OK);
  EXPECT_EQ(m_image[1], 0xAB);
  EXPECT_EQ(m_note, "");  // nothing left out, nothing said
  WriteFile(line);
  EXPECT_EQ(Read(0, 0x100), MOT_OK);
  EXPECT_EQ(m_image[0x20], 0xAB);
  EXPECT_EQ(m_image[0x21], 0xCD);
}

TEST(ParseRecordTest, ShortLinesAreNeverReadPastTheirEnd) {
  uint8_t data[kRecordDataBytes];
  ParsedRecord r;
  // A count that promises far more than the line holds is a corrupt record.
  const char* lines[] = {"S", "S1", "S1FF", "S3FF0000", "S0", "S1FF\n"};
  for (const char* l : lines) {
    std::string copy(l);  // exact-size heap copy: ASan reports any read past it
    EXPECT_NE(ParseRecord(copy.data(), copy.size(), data, &r), kRecordOk) << l;
  }
}

TEST(HexValueTest, SkipsNonHexCharactersAndTruncates) {
  EXPECT_EQ(HexValue32("1A2b", 4, 4), 0x1A2Bu);
  EXPECT_EQ(HexValue32("1G2", 3, 3), 0x12u);          // G uses its place, adds nothing
  EXPECT_EQ(HexValue8("123", 3, 3), 0x23u);           // truncated to 8 bits
  EXPECT_EQ(HexValue16("FFFFF", 5, 5), 0xFFFFu);
  EXPECT_EQ(HexValue32("123456789", 9, 9), 0x23456789u);
  EXPECT_EQ(HexValue32("12", 2, 4), 0x12u);           // past the end counts as non-hex
}

}  // namespace
}  // namespace k470
