// The flash write job end to end over fake chips: statuses, texts, results, which blocks
// reach the chip, and cancel between blocks.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <algorithm>
#include <functional>
#include <vector>

#include "base/texts.h"
#include "flash/thread_write.h"
#include "base/open_file.h"
#include "serial/com_port.h"
#include "tests/flash/fake_chips.h"
#include "tests/support/recording_target.h"
#include "tests/support/srecords.h"

namespace k470 {
namespace {

using test::Bytes;
using test::FakeChip;
using test::FakeLine;
using test::RecordingTarget;

constexpr const char* kPort = "COM4";
constexpr int kEndWaitMs = 60000;

// S3 records of up to 32 data bytes each.
std::string S3(uint32_t address, const Bytes& data) {
  return test::SRecords(3, address, data, "\n");
}

Bytes Pattern(size_t n, uint8_t seed) {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(seed + i * 13);
  return out;
}

std::string WriteImage(const std::string& name, const std::string& records) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << records;
  return path;
}

DeviceType H8_3069() {
  DeviceType t;
  t.Id = 0; t.Name = "H8/3069F"; t.ClkSelect = 1; t.BpsSelect = 1;
  t.Clk = 20000; t.Bps = 38400; t.RomSize = 524288;
  return t;
}

// The system's words for a file that is not there.
std::string MissingReason(const std::string& path) {
  std::string reason;
  OpenRegularFile(path, &reason);
  return reason;
}

DeviceType H8_36077() {
  DeviceType t;
  t.Id = 1; t.Name = "H8/36077"; t.Clk = 20000; t.Bps = 57600; t.RomSize = 57344;
  return t;
}

class ThreadWriteTest : public ::testing::Test {
 protected:
  void SetUp() override { FakeLine::Instance().Reset(); }
  void TearDown() override {
    job.reset();
    FakeLine::Instance().Reset();
  }
  // Runs one write and waits for its end.
  void RunWrite(const std::string& file, const DeviceType& type,
                const std::string& port = kPort,
                const std::string& program = K470_SIM_PROGRAM) {
    ASSERT_EQ(job->Start(port, file, type, target.get(), program), 1);
    ASSERT_TRUE(target->WaitForEnd(kEndWaitMs));
    while (!job->IsDone()) std::this_thread::yield();
  }
  std::vector<std::string> WritingStatuses() const {
    std::vector<std::string> out;
    for (const std::string& s : target->Statuses()) {
      if (s.rfind("writing ", 0) == 0) out.push_back(s);
    }
    return out;
  }
  bool FlashHolds(const FakeChip& chip, uint32_t address, const Bytes& data) const {
    return std::equal(data.begin(), data.end(), chip.flash.begin() + address);
  }
  // A new job and target for the next case of a test.
  void Fresh() {
    job = std::make_unique<CThreadWrite>();
    target = std::make_unique<RecordingTarget>();
  }
  std::unique_ptr<RecordingTarget> target = std::make_unique<RecordingTarget>();
  std::unique_ptr<CThreadWrite> job = std::make_unique<CThreadWrite>();
};

TEST_F(ThreadWriteTest, H8_3069WriteReportsEveryStepInOrderAndProgramsTheImage) {
  auto chip = std::make_shared<test::FakeH8_3069>();
  FakeChip::Attach(chip);
  const Bytes data = Pattern(0x100, 1);
  RunWrite(WriteImage("small.mot", S3(0, data)), H8_3069());
  EXPECT_EQ(target->Statuses(),
            (std::vector<std::string>{Text(TextId::kStatusReading), Text(TextId::kStatusMatching),
                                      Text(TextId::kStatusTransfer), Text(TextId::kStatusPreparing),
                                      "writing 00000000", "writing 00000080", kTextVerifying}));
  EXPECT_EQ(target->Messages(), (std::vector<std::string>{std::string("I:") + Text(TextId::kWriteDone)}));
  // The check comes after the end frame, before the message: one sum, equal.
  EXPECT_EQ(chip->sumChecks, 1);
  ASSERT_EQ(target->Verifies().size(), 1u);
  EXPECT_EQ(target->Verifies()[0].result, VerifyResult::Verified);
  EXPECT_TRUE(target->Notes().empty());
  EXPECT_EQ(target->LastResult(), JOB_SUCCEEDED);
  EXPECT_EQ(target->EndCount(), 1);
  EXPECT_EQ(target->Reports().back().kind, RecordingTarget::Report::Ended);
  EXPECT_EQ(chip->blocks, (std::vector<uint32_t>{0, 0x80}));
  EXPECT_TRUE(chip->ended);
  EXPECT_EQ(chip->newRate, 38400u);
  EXPECT_TRUE(FlashHolds(*chip, 0, data));
  EXPECT_FALSE(FakeLine::Instance().IsOpen());  // closed by the time the end is reported
  // One open for the whole write: the match's rates and the new rate are set on the open
  // port, which is never closed in between (a reopen pulses DTR and RTS).
  EXPECT_EQ(FakeLine::Instance().OpenCount(), 1);
  EXPECT_EQ(FakeLine::Instance().LineRates(), (std::vector<uint32_t>{9600, 57600, 38400}));
}

TEST_F(ThreadWriteTest, BlocksOfferedEndWithTheBlockOfTheHighestByte) {
  struct Case { uint32_t high; size_t statuses; };
  for (const Case c : {Case{0x7F, 1}, Case{0x80, 2}, Case{0x1000, 33}}) {
    SCOPED_TRACE(c.high);
    FakeLine::Instance().Reset();
    auto chip = std::make_shared<test::FakeH8_3069>();
    FakeChip::Attach(chip);
    Fresh();
    RunWrite(WriteImage("edge.mot", S3(0, {0x12}) + S3(c.high, {0x34})), H8_3069());
    EXPECT_EQ(target->LastResult(), JOB_SUCCEEDED);
    EXPECT_EQ(WritingStatuses().size(), c.statuses);
    // Only blocks holding data reach the chip (a sparse image).
    const uint32_t last = c.high & ~0x7Fu;
    EXPECT_EQ(chip->blocks, last == 0 ? std::vector<uint32_t>{0}
                                      : (std::vector<uint32_t>{0, last}));
    EXPECT_EQ(chip->flash[c.high], 0x34);
  }
}

TEST_F(ThreadWriteTest, H8_36077WriteSendsTheProgramThenTheBlocksUpToARecordAboveTheRom) {
  auto chip = std::make_shared<test::FakeH8_36077>();
  FakeChip::Attach(chip);
  const Bytes data = Pattern(200, 7);
  RunWrite(WriteImage("above.mot", S3(0x100, data) + S3(0x10000, {1, 2, 3})), H8_36077());
  EXPECT_EQ(target->LastResult(), JOB_SUCCEEDED);
  EXPECT_EQ(chip->program.size(), 0x180u);
  EXPECT_EQ(WritingStatuses().size(), 57344u / 128u);  // every block up to the ROM's end
  EXPECT_EQ(WritingStatuses().back(), "writing 0000DF80");
  EXPECT_EQ(chip->blocks, (std::vector<uint32_t>{0x100, 0x180}));
  EXPECT_TRUE(FlashHolds(*chip, 0x100, data));
  EXPECT_TRUE(chip->ended);
  EXPECT_EQ(FakeLine::Instance().LineRates().back(), 57600u);
  EXPECT_EQ(FakeLine::Instance().OpenCount(), 1);
  // The record above the ROM is not written, and the write says so once; the
  // write-control program offers no check of what it wrote.
  EXPECT_EQ(target->Notes(), (std::vector<std::string>{
                                 "3 bytes outside 00000000-0000DFFF were not written "
                                 "(first at 00010000)",
                                 "not verified: the H8/36077's write-control program has no "
                                 "sum check or read-back"}));
}

TEST_F(ThreadWriteTest, WriteControlProgramRecordsOutsideItsWindowAreSaidOnceAsANote) {
  auto chip = std::make_shared<test::FakeH8_36077>();
  FakeChip::Attach(chip);
  const std::string program = WriteImage("wide-program.mot", S3(0xF780, Pattern(0x788, 2)));
  RunWrite(WriteImage("small.mot", S3(0, Pattern(16, 4))), H8_36077(), kPort, program);
  EXPECT_EQ(chip->program.size(), 0x770u);  // up to FEEF, the rest left out
  ASSERT_FALSE(target->Notes().empty());
  EXPECT_EQ(target->Notes()[0], "write-control program " + program +
                                    ": 24 bytes outside 0000F780-0000FEEF were not written "
                                    "(first at 0000FEF0)");
}

TEST_F(ThreadWriteTest, EveryFailureShowsItsTextAndEndsFailed) {
  struct Case {
    const char* name;
    DeviceType type;
    std::string port;
    std::string file;
    std::string program;
    std::function<void(FakeChip&)> setup;
    std::string text;
    std::string detail;    // the line below the text: what the driver saw
    size_t lostAfter = 0;  // the adapter goes away after the host wrote this many bytes
    bool nothingSent = false;
  };
  const std::string lost = "COM4との通信が切れました。";
  const std::string good = WriteImage("good.mot", S3(0x80, Pattern(300, 3)));
  DeviceType badId = H8_3069();
  badId.Id = 2;
  const std::string noPort = kTextNoSuchPort;
  const std::string refused = "refused by the scripted line";
  auto refuseOpen = [](FakeChip&) { FakeLine::Instance().SetOpenFails(true); };
  std::vector<Case> cases = {
      // A type outside its ranges is refused before its port is opened.
      {"bad id", badId, kPort, good, "", nullptr, "デバイス定義 [H8/3069F] のIdが有効範囲外です。", ""},
      // The port is named as the user chose it, the reason follows on a line of its own.
      {"port 0", H8_3069(), "0", good, "", nullptr, "0がオープンできません。", noPort},
      {"port com0", H8_3069(), "com0", good, "", nullptr, "com0がオープンできません。", noPort},
      {"refused path", H8_3069(), "/dev/ttyS77", good, "", refuseOpen,
       "/dev/ttyS77がオープンできません。", refused},
      {"refused number", H8_3069(), "7", good, "", refuseOpen, "COM7がオープンできません。",
       refused},
      // A port that carries bytes only cannot follow the write's rate changes.
      {"raw network port", H8_3069(), "socket://127.0.0.1:1", good, "", nullptr,
       "socket://127.0.0.1:1ではビットレートを変更できません。rfc2217://で接続してください。", ""},
      {"missing file", H8_3069(), kPort, "/nonexistent/x.mot", "", nullptr, Text(TextId::kFileFormatInvalid),
       "/nonexistent/x.mot: " + MissingReason("/nonexistent/x.mot")},
      {"bad record", H8_3069(), kPort, WriteImage("bad.mot", "S1030000FF\n"), "", nullptr,
       Text(TextId::kFileFormatInvalid), WriteImage("bad.mot", "S1030000FF\n") + ": line 1: bad checksum"},
      {"only above rom", H8_36077(), kPort, WriteImage("high.mot", S3(0xE000, {1})), "",
       nullptr, Text(TextId::kDataOutOfRange),
       WriteImage("high.mot", S3(0xE000, {1})) +
           ": 1 byte outside 00000000-0000DFFF were not written (first at 0000E000)"},
      {"silent chip", H8_3069(), kPort, good, "",
       [](FakeChip& c) { c.answerOnlyAt = 1; }, Text(TextId::kMatchFailed),
       "no 00 came back at 57600, 38400, 19200 or 9600 bit/s"},
      {"no program", H8_36077(), kPort, good, "/nonexistent/36077.mot", nullptr,
       Text(TextId::kTransferFailed),
       "write-control program /nonexistent/36077.mot: " +
           MissingReason("/nonexistent/36077.mot")},
      {"block refused 3069", H8_3069(), kPort, good, "",
       [](FakeChip& c) { c.errorAtBlock = 1; }, Text(TextId::kWriteError),
       "0x50 (128-byte programming) at 00000100 answered D0 51: erasure error"},
      {"block refused 36077", H8_36077(), kPort, good, K470_SIM_PROGRAM,
       [](FakeChip& c) { c.errorAtBlock = 0; }, Text(TextId::kWriteError),
       "\"A\" (block) at 00000080 answered 15 instead of 05"},
      {"lost while matching", H8_3069(), kPort, good, "", nullptr, lost,
       "port lost during the bit-rate match", 1},
      {"lost in the first block", H8_3069(), kPort, good, "", nullptr, lost,
       "0x50 (128-byte programming) at 00000080: port lost", 40},
      {"lost between blocks 3069", H8_3069(), kPort, good, "", nullptr, lost,
       "0x50 (128-byte programming) at 00000180: port lost", 300},
      {"lost in the program", H8_36077(), kPort, good, K470_SIM_PROGRAM, nullptr, lost,
       "the program bytes from offset 0: port lost", 200},
      {"lost between blocks 36077", H8_36077(), kPort, good, K470_SIM_PROGRAM, nullptr, lost,
       "\"A\" (block) at 00000180: port lost", 700},
  };
  // A file whose read fails (the process's own memory from address 0, never mapped): the
  // write ends before anything is sent, instead of writing the part read before the error.
  const std::string unreadable = "/proc/self/mem";
  if (FILE* file = OpenRegularFile(unreadable)) {
    errno = 0;
    const bool fails = std::fgetc(file) == EOF && std::ferror(file);
    const std::string reason = std::strerror(errno);  // the system's words, whichever
    std::fclose(file);
    Case c{"read error", H8_3069(), kPort, unreadable, "", nullptr,
           Text(TextId::kFileFormatInvalid), unreadable + ": " + reason};
    c.nothingSent = true;
    if (fails) cases.push_back(c);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLine::Instance().Reset();
    std::shared_ptr<FakeChip> chip;
    if (c.type.Id == 1) {
      chip = std::make_shared<test::FakeH8_36077>();
    } else {
      chip = std::make_shared<test::FakeH8_3069>();
    }
    if (c.setup) c.setup(*chip);
    if (c.lostAfter) FakeLine::Instance().LoseLineAfter(c.lostAfter);
    FakeChip::Attach(chip);
    Fresh();
    RunWrite(c.file, c.type, c.port, c.program.empty() ? K470_SIM_PROGRAM : c.program);
    const std::string shown = c.detail.empty() ? c.text : c.text + "\n" + c.detail;
    EXPECT_EQ(target->Messages(), (std::vector<std::string>{"E:" + shown}));
    if (c.type.Id == badId.Id) { EXPECT_EQ(FakeLine::Instance().OpenCount(), 0); }
    if (c.nothingSent) { EXPECT_TRUE(FakeLine::Instance().Written().empty()); }
    // Nothing reaches a line after its loss has been seen.
    if (c.lostAfter) {
      EXPECT_EQ(FakeLine::Instance().Written().size(), c.lostAfter);
    }
    EXPECT_EQ(target->LastResult(), JOB_FAILED);
    EXPECT_EQ(target->EndCount(), 1);
    EXPECT_FALSE(chip->ended);
    EXPECT_FALSE(FakeLine::Instance().IsOpen());
  }
}

TEST_F(ThreadWriteTest, WithoutAProgramPathTheProgramIsLookedForBelowTheProgramFolder) {
  auto chip = std::make_shared<test::FakeH8_36077>();
  FakeChip::Attach(chip);
  ASSERT_EQ(job->Start(kPort, WriteImage("p.mot", S3(0, {1})), H8_36077(), target.get()), 1);
  ASSERT_TRUE(target->WaitForEnd(kEndWaitMs));
  // The test program's folder has no bin/36077.mot.
  const std::string expected = std::string("E:") + Text(TextId::kTransferFailed) +
                               "\nwrite-control program ";
  ASSERT_EQ(target->Messages().size(), 1u);
  const std::string shown = target->Messages()[0];
  EXPECT_EQ(shown.substr(0, expected.size()), expected);
  const std::string tail = "36077.mot: " + MissingReason("/nonexistent/36077.mot");
  EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
}

TEST_F(ThreadWriteTest, CancelBetweenBlocksSendsNoFurtherBlockAndNoEnd) {
  for (int id : {0, 1}) {
    SCOPED_TRACE(id);
    FakeLine::Instance().Reset();
    std::shared_ptr<FakeChip> chip;
    if (id == 1) {
      chip = std::make_shared<test::FakeH8_36077>();
    } else {
      chip = std::make_shared<test::FakeH8_3069>();
    }
    Fresh();
    CThreadWrite* running = job.get();
    chip->onBlock = [running](int index) {
      if (index == 1) running->RequestCancel();
    };
    FakeChip::Attach(chip);
    RunWrite(WriteImage("cancel.mot", S3(0, Pattern(1024, 9))), id ? H8_36077() : H8_3069());
    EXPECT_EQ(target->LastResult(), JOB_CANCELLED);
    EXPECT_TRUE(target->Messages().empty());
    EXPECT_EQ(chip->blocks.size(), 2u);
    EXPECT_FALSE(chip->ended);
    EXPECT_EQ(WritingStatuses().back(), "writing 00000080");
  }
}

TEST_F(ThreadWriteTest, AnOddFlashSizeEndsInAPaddedBlockAndAnOversizedOneIsRefused) {
  // 1000 bytes: the last block (896..1023) carries the data and 0xFF padding.
  {
    auto chip = std::make_shared<test::FakeH8_3069>();
    FakeChip::Attach(chip);
    DeviceType odd = H8_3069();
    odd.RomSize = 1000;
    const Bytes data = Pattern(10, 5);
    RunWrite(WriteImage("odd.mot", S3(990, data) + S3(1000, {0x77})), odd);
    EXPECT_EQ(target->LastResult(), JOB_SUCCEEDED);
    EXPECT_EQ(chip->blocks, (std::vector<uint32_t>{896}));
    EXPECT_TRUE(FlashHolds(*chip, 990, data));
    EXPECT_EQ(chip->flash[1000], 0xFF);  // beyond the flash size: padding, not the record
    EXPECT_EQ(chip->flash[1023], 0xFF);
  }
  // 1 MiB: more than the write image holds; refused before the port is opened, so that
  // no byte inside the flash size is left out of a write that succeeds.
  {
    FakeLine::Instance().Reset();
    auto chip = std::make_shared<test::FakeH8_3069>();
    FakeChip::Attach(chip);
    Fresh();
    DeviceType big = H8_3069();
    big.Section = "Big";
    big.RomSize = 0x100000;
    RunWrite(WriteImage("big.mot", S3(0x7FF80, Pattern(128, 1)) + S3(0x90000, {1})), big);
    EXPECT_EQ(target->LastResult(), JOB_FAILED);
    EXPECT_EQ(target->Messages(),
              (std::vector<std::string>{"E:デバイス定義 [Big] のRomSizeが有効範囲外です。"}));
    EXPECT_EQ(FakeLine::Instance().OpenCount(), 0);
  }
}

}  // namespace
}  // namespace k470
