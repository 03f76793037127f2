// The command-line frame: options, number arguments, exit statuses and the progress bar.
#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/board_output.h"
#include "cli/cli_args.h"
#include "cli/console.h"
#include "cli/console_target.h"
#include "cli/job_runner.h"
#include "cli/port_table.h"
#include "jobs/job_target.h"

namespace k470::cli {
namespace {

TEST(CliNumbers, HexTakesAnOptional0xAndUpToEightDigits) {
  const struct {
    const char* text;
    bool ok;
    uint32_t value;
  } cases[] = {
      {"200000", true, 0x200000}, {"0x200000", true, 0x200000}, {"0X1fffff", true, 0x1FFFFF},
      {"FFFFFFFF", true, 0xFFFFFFFF}, {"0", true, 0}, {"0x0", true, 0},
      {"", false, 0}, {"0x", false, 0}, {"123456789", false, 0}, {"20 0000", false, 0},
      {"g", false, 0}, {"-1", false, 0}, {"0x-1", false, 0}, {"x10", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    uint32_t value = 0xDEAD;
    EXPECT_EQ(ParseHex(c.text, &value), c.ok);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
  }
  uint32_t value = 0;
  EXPECT_TRUE(ParseDecimal("4294967295", &value));
  EXPECT_EQ(value, 4294967295u);
  EXPECT_FALSE(ParseDecimal("4294967296", &value));
  EXPECT_FALSE(ParseDecimal("", &value));
  EXPECT_FALSE(ParseDecimal("1x", &value));
}

TEST(CliArgs, SplitsOptionsFromArgumentsAndRejectsWhatItDoesNotKnow) {
  const std::vector<OptionSpec> options{{"--port", true}, {"--address", true}, {"--go", false}};
  {
    const char* argv[] = {"ramload", "--port", "COM3", "--go", "a.mot", "--address=0x200100"};
    ArgParser args;
    ASSERT_TRUE(args.Parse(6, const_cast<char**>(argv), options));
    EXPECT_EQ(args.Value("--port"), "COM3");
    EXPECT_EQ(args.Value("--address"), "0x200100");
    EXPECT_TRUE(args.Has("--go"));
    EXPECT_EQ(args.Positionals(), (std::vector<std::string>{"a.mot"}));
    EXPECT_FALSE(args.HelpRequested());
  }
  {
    const char* argv[] = {"ramload", "--", "--go", "-"};
    ArgParser args;
    ASSERT_TRUE(args.Parse(4, const_cast<char**>(argv), options));
    EXPECT_FALSE(args.Has("--go"));
    EXPECT_EQ(args.Positionals(), (std::vector<std::string>{"--go", "-"}));
  }
  {
    const char* argv[] = {"go", "-h"};
    ArgParser args;
    ASSERT_TRUE(args.Parse(2, const_cast<char**>(argv), options));
    EXPECT_TRUE(args.HelpRequested());
  }
  const std::vector<std::vector<const char*>> bad{
      {"ramload", "--speed", "9600"}, {"ramload", "--port"}, {"ramload", "--go=1"}};
  for (const auto& argv : bad) {
    SCOPED_TRACE(argv[1]);
    ArgParser args;
    EXPECT_FALSE(args.Parse(static_cast<int>(argv.size()), const_cast<char**>(argv.data()), options));
    EXPECT_FALSE(args.Error().empty());
  }
}

const uint8_t* AsBytes(const char* text) { return reinterpret_cast<const uint8_t*>(text); }

TEST(BoardOutput, ATerminalGetsControlsEscapedAndJsonValidUtf8AcrossPieces) {
  // CR, LF, TAB and BS stay; an escape sequence and a bell do not reach the terminal.
  EXPECT_EQ(EscapedForTerminal(AsBytes("a\r\n\t\b\x1b[2J\x07\x7f\xe3\x81\x82"), 14),
            "a\r\n\t\b\\x1B[2J\\x07\\x7F\xe3\x81\x82");
  // A character cut between two reads is whole in the next piece; a byte that starts no
  // character is its escape; a cut one left at the end is escaped too.
  Utf8Pieces pieces;
  EXPECT_EQ(pieces.Take(AsBytes("x\xe3\x81"), 3), "x");
  EXPECT_EQ(pieces.Take(AsBytes("\x82\xff\xc3("), 4), "\xe3\x81\x82\\xFF\\xC3(");
  EXPECT_EQ(pieces.Take(AsBytes("\xf0\x9f"), 2), "");
  EXPECT_EQ(pieces.Rest(), "\\xF0\\x9F");
}

TEST(BoardOutput, TheLogStampsEachLineWhenItsFirstByteCameAndKeepsAnUnendedOne) {
  const std::string path = testing::TempDir() + "board_output_log.txt";
  std::remove(path.c_str());
  {
    LogLines log;
    std::string reason;
    ASSERT_TRUE(log.Open(path, &reason)) << reason;
    log.Take(AsBytes("a\r\nb"), 4, "T1");
    log.Take(AsBytes("c\x1b\n\nd"), 5, "T2");
  }  // closing writes the line not yet ended
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            "T1 a\nT1 bc\\x1B\nT2 \nT2 d\n");
}

TEST(CliExitStatus, FollowsTheJobsResultAndTheInterrupt) {
  EXPECT_EQ(ExitStatusFor(JobWait::Ended, JOB_SUCCEEDED), kExitOk);
  EXPECT_EQ(ExitStatusFor(JobWait::Ended, JOB_FAILED), kExitFailed);
  EXPECT_EQ(ExitStatusFor(JobWait::Ended, JOB_CANCELLED), kExitInterrupted);
  EXPECT_EQ(ExitStatusFor(JobWait::Ended, -1), kExitFailed);  // no end report at all
  EXPECT_EQ(ExitStatusFor(JobWait::Interrupted, JOB_FAILED), kExitInterrupted);
  EXPECT_EQ(ExitStatusFor(JobWait::Interrupted, JOB_SUCCEEDED), kExitInterrupted);
}

TEST(CliProgress, ABoardsLineIsCutToTheTerminalWithoutSplittingACharacter) {
  struct Case {
    const char* text;
    int columns;
    const char* cut;
  };
  const Case cases[] = {
      {"COM3: [###.......]", 5, "COM3:"},
      {"abc", 10, "abc"},
      {"abc", 0, ""},
      // Japanese characters and the middle dot take two cells each.
      {"ファイル読み込み中", 5, "ファ"},
      {"1 KiB ・ 3.7 KiB/s", 8, "1 KiB ・"},
      {"1 KiB ・ 3.7 KiB/s", 7, "1 KiB "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CutToColumns(c.text, c.columns), c.cut);
  }
}

void Update(ProgressMeter* meter, uint64_t done, uint64_t total, uint32_t atMs,
            ProgressUnit unit = ProgressUnit::Bytes) {
  JobProgress p;
  p.unit = unit;
  p.done = done;
  p.total = total;
  meter->Update(p, atMs);
}

TEST(CliProgress, TheBarShowsPercentSizesRateAndTimeLeft) {
  struct Report {
    ProgressUnit unit;
    uint64_t done, total;
    uint32_t atMs;
  };
  struct Case {
    std::vector<Report> reports;
    const char* bar;
  };
  const Case cases[] = {
      {{{ProgressUnit::Bytes, 0, 262144, 0}},
       "[..............................]   0%  0 B of 256 KiB"},
      // The rate counts from the first report: 131072 bytes in 34.133 s.
      {{{ProgressUnit::Bytes, 0, 262144, 1000}, {ProgressUnit::Bytes, 131072, 262144, 35133}},
       "[###############...............]  50%  128 KiB of 256 KiB ・ 3.8 KiB/s ・ 0:35 left"},
      {{{ProgressUnit::Bytes, 300000, 262144, 0}},
       "[##############################] 100%  293.0 KiB of 256 KiB"},
      {{{ProgressUnit::Bytes, 5, 0, 0}}, "[..............................]   0%  5 B of 0 B"},
      // Flash blocks count 128 bytes each.
      {{{ProgressUnit::Blocks, 0, 4096, 0}, {ProgressUnit::Blocks, 64, 4096, 2000}},
       "[..............................]   1%  8 KiB of 512 KiB ・ 4 KiB/s ・ 2:06 left"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bar);
    ProgressMeter meter;
    for (const Report& r : c.reports) Update(&meter, r.done, r.total, r.atMs, r.unit);
    EXPECT_EQ(ConsoleTarget::FormatBar(meter), c.bar);
  }
}

TEST(CliProgress, TheBarFitsTheTerminalAndTheSummaryPadsByCells) {
  ProgressMeter meter;
  Update(&meter, 0, 262144, 1000);
  Update(&meter, 131072, 262144, 35133);
  // The whole line takes 83 cells (each middle dot two): from 84 columns on it is drawn
  // whole; narrower terminals lose fields from the right, never a line's last column.
  const struct {
    int columns;
    const char* bar;
  } cases[] = {
      {0, "[###############...............]  50%  128 KiB of 256 KiB ・ 3.8 KiB/s ・ 0:35 left"},
      {84, "[###############...............]  50%  128 KiB of 256 KiB ・ 3.8 KiB/s ・ 0:35 left"},
      {83, "[###############...............]  50%  128 KiB of 256 KiB"},
      {58, "[###############...............]  50%  128 KiB of 256 KiB"},
      {57, "[#####.....]  50%  128 KiB of 256 KiB"},
      {38, "[#####.....]  50%  128 KiB of 256 KiB"},
      {37, "[#####.....]  50%"},
      {17, "50%"},
      {3, "50"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.columns);
    EXPECT_EQ(ConsoleTarget::FitBar(meter, c.columns), c.bar);
    if (c.columns > 0) {
      EXPECT_LT(TextColumns(c.bar), c.columns);
    }
  }
  // A Japanese port name pads to the cells of the column, not to its bytes.
  EXPECT_EQ(PadToColumns("ポート1", 10), "ポート1   ");
  EXPECT_EQ(PadToColumns("/dev/ttyUSB10", 4), "/dev/ttyUSB10");
}

// A target that stops answering: once the next report is 2 s late the line says so and
// no longer shows the last rate and time left; the next report brings them back.
TEST(ProgressLine, ALateAnswerShowsTheWaitInsteadOfTheRate) {
  ProgressMeter meter;
  Update(&meter, 0, 65536, 0);
  Update(&meter, 19456, 65536, 5000);
  const std::string flowing = meter.Line();
  EXPECT_EQ(meter.LineAt(6999, "the board"), flowing);
  EXPECT_EQ(meter.LineAt(17000, "the board"), "19 KiB of 64 KiB ・ waiting for the board: 12 s");
  Update(&meter, 20480, 65536, 17100);
  EXPECT_EQ(meter.LineAt(17200, "the board"), meter.Line());
  Update(&meter, 65536, 65536, 20000);
  EXPECT_EQ(meter.LineAt(30000, "the board"), meter.Line());
}

TEST(PortTable, ColumnsAlignUnknownsShowADashAndBridgesAreMarked) {
  std::vector<PortEntry> ports(3);
  ports[0].number = 1;
  ports[0].device = "/dev/ttyS0";
  ports[0].description = "serial";
  ports[1].number = 33;
  ports[1].device = "/dev/ttyUSB0";
  ports[1].description = "FT232R USB UART (FTDI)";
  ports[1].usbVendor = 0x0403;
  ports[1].usbProduct = 0x6001;
  ports[1].serialNumber = "A10KZ3XQ";
  ports[1].byIdPath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3XQ-if00-port0";
  ports[2].number = 97;
  ports[2].device = "/dev/ttyACM0";
  ports[2].description = "Board\x1b[2J";  // a device's own text: its controls escaped
  ports[2].usbVendor = 0x1209;
  ports[2].usbProduct = 0x4701;
  EXPECT_EQ(PortTable(ports),
            "PORT   DEVICE        DESCRIPTION             VID:PID    BRIDGE  SERIAL    BY-ID\n"
            "COM1   /dev/ttyS0    serial                  -          -       -         -\n"
            "COM33  /dev/ttyUSB0  FT232R USB UART (FTDI)  0403:6001  FTDI    A10KZ3XQ  "
            "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3XQ-if00-port0\n"
            "COM97  /dev/ttyACM0  Board\\x1B[2J            1209:4701  -       -         -\n");
  EXPECT_EQ(PortTable({}), "");
}

}  // namespace
}  // namespace k470::cli
