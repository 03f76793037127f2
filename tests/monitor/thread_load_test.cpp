// The RAM load job over the scripted line: the chunking from the image's low to high,
// the statuses, the acknowledgement match, cancel, the failures and their messages, and
// golden transcripts of whole runs.
#include "base/texts.h"
#include "monitor/thread_load.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "base/open_file.h"
#include "monitor/go_command.h"
#include "monitor/monitor_texts.h"
#include "serial/com_port.h"
#include "tests/monitor/monitor_test_support.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_line.h"
#include "tests/support/recording_target.h"

namespace k470 {
namespace {

using test::Bytes;
using test::DataBlock;
using test::FakeLine;
using test::FakeMonitor;
using test::RecordingTarget;

constexpr int kRealWaitMs = 20000;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

class LoadTest : public test::ScriptedPortTest<CThreadLoad> {
 protected:
  // A fresh line, target and monitor for the next case of a table.
  void Fresh(const std::string& ack = "end!") {
    TearDown();
    SetUp();
    m_targetStore = std::make_unique<RecordingTarget>();
    m_monitor = FakeMonitor(ack);
  }

  void AnswerAsMonitor() {
    FakeLine::Instance().SetResponder(
        [this](const Bytes& written, uint32_t) { return m_monitor.OnWrite(written); });
  }

  // Loads the blocks from a file of their own and waits for the job's end.
  void LoadBlocks(const std::string& name, const std::vector<DataBlock>& blocks,
                  uint32_t startAddress = kRamBase) {
    const std::string path = test::WriteTempFile("k470_load_" + name + ".mot",
                                                 test::SRecordText(blocks));
    LoadFile(path, startAddress);
  }

  void LoadFile(const std::string& path, uint32_t startAddress = kRamBase) {
    ASSERT_EQ(m_job.Start(&m_port, path, startAddress, &Target()), 1);
    ASSERT_TRUE(Target().WaitForEnd(kRealWaitMs));
    for (int waited = 0; waited < kRealWaitMs && !m_job.IsDone(); ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ExpectOneEndMessageLast();
  }

  void ExpectOneEndMessageLast() {
    const auto reports = Target().Reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(Target().EndCount(), 1);
    EXPECT_EQ(reports.back().kind, RecordingTarget::Report::Ended);
    // Progress counts bytes and never goes back.
    uint64_t done = 0;
    for (const JobProgress& p : Target().Progress()) {
      EXPECT_EQ(p.unit, ProgressUnit::Bytes);
      EXPECT_GE(p.done, done);
      EXPECT_LE(p.done, p.total);
      done = p.done;
    }
  }

  // The monitor's RAM holds exactly the image 0x200000..high: the blocks over 0xFF.
  void ExpectRamHoldsImage(const std::vector<DataBlock>& blocks, uint32_t high) {
    std::map<uint32_t, uint8_t> image;
    for (uint32_t a = kRamBase; a <= high; ++a) image[a] = 0xFF;
    for (const DataBlock& b : blocks) {
      for (size_t i = 0; i < b.bytes.size(); ++i) image[b.address + static_cast<uint32_t>(i)] = b.bytes[i];
    }
    const auto ram = m_monitor.Ram();
    EXPECT_EQ(ram.size(), image.size());
    EXPECT_TRUE(ram == image) << "the board's RAM differs from the image";
  }

  std::unique_ptr<RecordingTarget> m_targetStore = std::make_unique<RecordingTarget>();
  RecordingTarget& Target() { return *m_targetStore; }
  FakeMonitor m_monitor;
};

struct ChunkCase {
  const char* name;
  std::vector<DataBlock> blocks;
  uint32_t high;
  std::vector<std::string> commands;
  std::vector<std::string> statuses;  // after "reading file..."
};

TEST_F(LoadTest, SendsTheImageInChunksFromItsLowToItsHigh) {
  const ChunkCase cases[] = {
      {"2048 bytes", {{0x200000, test::PatternBytes(0x200000, 2048)}}, 0x2007FF,
       {"L 200000 1024 s", "L 200400 1024 s"},
       {"00200000 - 00200400", "00200400 - 00200800"}},
      {"1024 bytes", {{0x200000, test::PatternBytes(0x200000, 1024)}}, 0x2003FF,
       {"L 200000 1024 s"}, {"00200000 - 00200400"}},
      {"1025 bytes go as one chunk", {{0x200000, test::PatternBytes(0x200000, 1025)}}, 0x200400,
       {"L 200000 1025 s"}, {"00200000 - 00200401"}},
      {"1026 bytes", {{0x200000, test::PatternBytes(0x200000, 1026)}}, 0x200401,
       {"L 200000 1024 s", "L 200400 2 s"},
       {"00200000 - 00200400", "00200400 - 00200402"}},
      {"a single byte", {{0x200000, {0x5A}}}, 0x200000, {"L 200000 1 s"},
       {"00200000 - 00200001"}},
      {"data only at 0x200100", {{0x200100, test::PatternBytes(0x200100, 16)}}, 0x20010F,
       {"L 200000 272 s"}, {"00200000 - 00200110"}},
      {"two blocks with a gap",
       {{0x200010, test::PatternBytes(0x200010, 8)}, {0x200C00, test::PatternBytes(0x200C00, 3)}},
       0x200C02,
       {"L 200000 1024 s", "L 200400 1024 s", "L 200800 1024 s", "L 200C00 3 s"},
       {"00200000 - 00200400", "00200400 - 00200800", "00200800 - 00200C00",
        "00200C00 - 00200C03"}},
  };
  for (const ChunkCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    AnswerAsMonitor();
    LoadBlocks("chunks", c.blocks);
    EXPECT_EQ(Target().LastResult(), JOB_SUCCEEDED);
    EXPECT_TRUE(Target().Messages().empty());
    EXPECT_EQ(m_monitor.Commands(), c.commands);
    std::vector<std::string> statuses{kStatusReadingFile};
    statuses.insert(statuses.end(), c.statuses.begin(), c.statuses.end());
    EXPECT_EQ(Target().Statuses(), statuses);
    // One report before the first chunk, then one as each chunk's "end!" came.
    const auto progress = Target().Progress();
    ASSERT_EQ(progress.size(), c.commands.size() + 1);
    EXPECT_EQ(progress.front().done, 0u);
    EXPECT_EQ(progress.back().done, c.high - kRamBase + 1);
    EXPECT_EQ(progress.back().total, c.high - kRamBase + 1);
    EXPECT_EQ(progress.back().address, c.high + 1);
    ExpectRamHoldsImage(c.blocks, c.high);
    EXPECT_EQ(m_monitor.Faults(), "");
  }
}

TEST_F(LoadTest, AWholeRamImageArrivesIntact) {
  const std::vector<DataBlock> blocks{{kRamBase, test::PatternBytes(kRamBase, kRamSizeBytes)}};
  AnswerAsMonitor();
  LoadBlocks("full", blocks);
  EXPECT_EQ(Target().LastResult(), JOB_SUCCEEDED);
  const auto commands = m_monitor.Commands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.front(), "L 200000 1024 s");
  EXPECT_EQ(commands.back(), "L 23FC00 1024 s");
  EXPECT_EQ(commands.size(), kRamSizeBytes / kChunkBytes);
  ExpectRamHoldsImage(blocks, kRamBase + kRamSizeBytes - 1);
  // The go command follows on the same open port: one open for the load and the go.
  EXPECT_EQ(SendGoCommand(&m_port, kRamBase), 1);
  EXPECT_EQ(FakeLine::Instance().OpenCount(), 1);
}

TEST_F(LoadTest, TheAcknowledgementMayHaveOtherBytesBetweenItsLetters) {
  for (const char* ack : {"exnd!", "\r\nend!", "e-n-d-!k470l>"}) {
    SCOPED_TRACE(ack);
    Fresh(ack);
    AnswerAsMonitor();
    LoadBlocks("ack", {{0x200000, test::PatternBytes(0x200000, 2000)}});
    EXPECT_EQ(Target().LastResult(), JOB_SUCCEEDED);
    EXPECT_EQ(m_monitor.Commands().size(), 2u);
  }
}

TEST_F(LoadTest, StaleBytesBeforeTheLoadDoNotCountAsAcknowledgement) {
  // Left over from the detection: prompts and an "end!" that belongs to nobody. They are
  // purged, so a board that never answers keeps the job waiting until it is cancelled.
  FakeLine::Instance().Feed(Text("\r\nk470l>end!\r\nk470l>"));
  FakeMonitor silent("");
  FakeLine::Instance().SetResponder(
      [&silent](const Bytes& written, uint32_t) { return silent.OnWrite(written); });
  const std::string path = test::WriteTempFile(
      "k470_load_stale.mot", test::SRecordText({{0x200000, test::PatternBytes(0x200000, 64)}}));
  ASSERT_EQ(m_job.Start(&m_port, path, kRamBase, &Target()), 1);
  for (int waited = 0; waited < kRealWaitMs && silent.Ram().size() < 64; waited += 2) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Target().EndCount(), 0) << "the job ended without an acknowledgement";
  m_job.StopAndWait();
  EXPECT_EQ(Target().LastResult(), JOB_CANCELLED);
  ExpectOneEndMessageLast();
  EXPECT_TRUE(Target().Messages().empty());
}

TEST_F(LoadTest, CancelDuringTheAcknowledgementWaitEndsCancelled) {
  FakeMonitor silent("");
  FakeLine::Instance().SetResponder(
      [&silent](const Bytes& written, uint32_t) { return silent.OnWrite(written); });
  const std::string path = test::WriteTempFile(
      "k470_load_cancel.mot", test::SRecordText({{0x200000, test::PatternBytes(0x200000, 3000)}}));
  ASSERT_EQ(m_job.Start(&m_port, path, kRamBase, &Target()), 1);
  for (int waited = 0; waited < kRealWaitMs && silent.Commands().empty(); waited += 2) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  m_job.StopAndWait();
  EXPECT_EQ(Target().LastResult(), JOB_CANCELLED);
  EXPECT_EQ(silent.Commands(), (std::vector<std::string>{"L 200000 1024 s"}));
  ExpectOneEndMessageLast();
  EXPECT_TRUE(Target().Messages().empty());
}

TEST_F(LoadTest, ALostPortOrAMissingAckEndsFailedWithItsMessage) {
  const std::string path = test::WriteTempFile(
      "k470_load_lost.mot", test::SRecordText({{0x200000, test::PatternBytes(0x200000, 3000)}}));
  // The adapter goes away while the second chunk is on its way: the job ends at once,
  // names the port and sends nothing more.
  AnswerAsMonitor();
  FakeLine::Instance().LoseLineAfter(1040);
  LoadFile(path);
  EXPECT_EQ(Target().LastResult(), JOB_FAILED);
  EXPECT_EQ(Target().Messages(), (std::vector<std::string>{"E:COM1との通信が切れました。"}));
  EXPECT_EQ(FakeLine::Instance().Written().size(), 1040u);

  // A board that never says "end!" within the limit: the chunk's address in the detail.
  Fresh("");
  AnswerAsMonitor();
  m_job.SetAckTimeout(2000);
  const uint32_t started = test::ClockNow();
  LoadFile(path);
  EXPECT_EQ(Target().LastResult(), JOB_FAILED);
  EXPECT_EQ(Target().Messages(),
            (std::vector<std::string>{std::string("E:") + Text(TextId::kNoAnswerFromBoard) +
                                      "\nno \"end!\" for the chunk at 00200000 within 2 s"}));
  EXPECT_GE(test::ClockNow() - started, 2000u);
  EXPECT_EQ(m_monitor.Commands(), (std::vector<std::string>{"L 200000 1024 s"}));

  // Stopped for longer than the limit while the board answered: the answer that came
  // counts, and the load goes on.
  Fresh();
  AnswerAsMonitor();
  m_job.SetAckTimeout(2000);
  FakeLine::Instance().StallNextWait(3000);
  LoadFile(path);
  EXPECT_EQ(Target().LastResult(), JOB_SUCCEEDED);
  EXPECT_EQ(m_monitor.Commands().size(), 3u);
}

struct FailureCase {
  const char* name;
  const char* fileText;  // nullptr: no file at all
  uint32_t startAddress;
  const char* message;
  const char* reason;  // after the file's path on the detail line; nullptr: no detail
};

TEST_F(LoadTest, FailuresShowTheirMessageAndSendNothing) {
  const std::string image = test::SRecordText({{0x200000, test::PatternBytes(0x200000, 16)}});
  const std::string below = test::SRecordText({{0x1000, {1, 2, 3}}});
  const FailureCase cases[] = {
      {"start address below the RAM", image.c_str(), 0x1FFFFF, Text(TextId::kStartAddressOutOfRange),
       nullptr},
      {"missing file", nullptr, kRamBase, Text(TextId::kFileFormatInvalid), ""},  // the system's words
      {"bad checksum", "S2140000100102030405060708090A0B0C0D0E0F10FF\r\n", kRamBase,
       Text(TextId::kFileFormatInvalid), "line 1: bad checksum"},
      {"not an S-record", "S0030000FC\nhello\r\n", kRamBase, Text(TextId::kFileFormatInvalid),
       "line 2: not an S-record"},
      {"text after the checksum", "S20520000001D9FF\r\n", kRamBase, Text(TextId::kFileFormatInvalid),
       "line 1: text after the checksum"},
      {"data only below the RAM", below.c_str(), kRamBase, Text(TextId::kDataOutOfRange),
       "3 bytes outside 00200000-0023FFFF were not written (first at 00001000)"},
      {"empty file", "", kRamBase, Text(TextId::kDataOutOfRange), "no data records"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    std::string path = ::testing::TempDir() + "k470_load_no_such_file.mot";
    if (c.fileText) path = test::WriteTempFile("k470_load_failure.mot", c.fileText);
    std::remove((::testing::TempDir() + "k470_load_no_such_file.mot").c_str());
    LoadFile(path, c.startAddress);
    EXPECT_EQ(Target().LastResult(), JOB_FAILED);
    std::string reason = c.reason ? c.reason : "";
    if (c.reason && reason.empty()) OpenRegularFile(path, &reason);
    const std::string shown =
        std::string(c.message) + (c.reason ? "\n" + path + ": " + reason : std::string());
    EXPECT_EQ(Target().Messages(), (std::vector<std::string>{"E:" + shown}));
    EXPECT_EQ(Target().Statuses().size(), c.reason ? 1u : 0u);
    EXPECT_TRUE(FakeLine::Instance().Written().empty());
  }
}

TEST_F(LoadTest, BytesOutsideTheRamAreLoadedAroundAndSaidOnceAsANote) {
  Fresh();
  AnswerAsMonitor();
  LoadBlocks("outside", {{0x1FFFFE, {1, 2, 3, 4}}, {0x240000, {5, 6}}}, kRamBase);
  EXPECT_EQ(Target().LastResult(), JOB_SUCCEEDED);
  EXPECT_EQ(Target().Notes(), (std::vector<std::string>{
                                  "4 bytes outside 00200000-0023FFFF were not written "
                                  "(first at 001FFFFE)"}));
}

TEST_F(LoadTest, AnyStartAddressFromTheRamBaseUpPasses) {
  for (uint32_t start : {kRamBase, 0x23FFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(start);
    Fresh();
    AnswerAsMonitor();
    LoadBlocks("start", {{0x200000, {1, 2, 3}}}, start);
    EXPECT_EQ(Target().LastResult(), JOB_SUCCEEDED);
  }
}

// Whole runs against golden transcripts kept beside this file. Set K470_UPDATE_GOLDEN=1
// to write them afresh after a deliberate change.
std::string GoldenPath(const std::string& name) {
  return std::string(K470_MONITOR_GOLDEN_DIR) + "/" + name;
}

TEST_F(LoadTest, WholeRunsMatchTheirGoldenTranscripts) {
  struct Golden {
    const char* file;
    std::vector<DataBlock> blocks;
  };
  const Golden runs[] = {
      {"load_sparse_200100.txt", {{0x200100, test::PatternBytes(0x200100, 16)}}},
      {"load_single_byte.txt", {{0x200000, {0xA5}}}},
      {"load_1025_bytes.txt", {{0x200000, test::PatternBytes(0x200000, 1025)}}},
  };
  for (const Golden& g : runs) {
    SCOPED_TRACE(g.file);
    Fresh();
    AnswerAsMonitor();
    LoadBlocks("golden", g.blocks);
    EXPECT_EQ(Target().LastResult(), JOB_SUCCEEDED);
    const std::string transcript = FakeLine::Instance().Transcript();
    const char* update = std::getenv("K470_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
      std::ofstream(GoldenPath(g.file), std::ios::binary) << transcript;
      continue;
    }
    std::ifstream in(GoldenPath(g.file), std::ios::binary);
    ASSERT_TRUE(in.good()) << GoldenPath(g.file);
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(transcript, golden.str());
  }
}

TEST(GoCommand, SendsTheAddressAsGivenWithoutReadingBack) {
  FakeLine::Instance().Reset();
  CComPort port;
  ASSERT_EQ(port.Open("COM1"), 1);
  FakeLine::Instance().Expect(Text("G 200000\r"));
  FakeLine::Instance().Expect(Text("G 1FFFFF\r"));
  FakeLine::Instance().Expect(Text("G 0\r"));
  EXPECT_EQ(SendGoCommand(&port, 0x200000), 1);
  EXPECT_EQ(SendGoCommand(&port, 0x1FFFFF), 1);
  EXPECT_EQ(SendGoCommand(&port, 0), 1);
  EXPECT_EQ(FakeLine::Instance().Problems(), "");
  port.Close();
  EXPECT_EQ(SendGoCommand(&port, 0x200000), 0);
  FakeLine::Instance().Reset();
}

}  // namespace
}  // namespace k470
