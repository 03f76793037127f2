// k470 flash: writes an S-record file into an H8 chip's flash in boot mode, with a device
// type of the device table, as the flash write page does.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/numbers.h"
#include "cli/cli_args.h"
#include "cli/cli_device_table.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/console_target.h"
#include "cli/board_runner.h"
#include "cli/cli_port.h"
#include "boot/boot_rates.h"
#include "flash/device_table.h"
#include "base/program_folder.h"
#include "flash/thread_write.h"
#include "base/fill_text.h"
#include "jobs/job_target.h"

namespace k470::cli {
namespace {

// The boot rates fill the "%s".
constexpr const char* kUsageFormat =
    "usage: k470 flash --port P [--port P2 ...] --device NAME|INDEX [--clock MHZ] [--bps N]\n"
    "                  [--table FILE] [--program FILE] [--no-verify] [--json] FILE\n"
    "  Writes the S-record FILE into the flash of the H8 chip in boot mode on port P\n"
    "  (COMn, n, a device path or rfc2217://HOST:PORT); with more ports (--port repeated\n"
    "  or P,P2,...) into every chip at once, with a summary. --device names a type of the device table (its name\n"
    "  or its index, see k470 devices); --table is that table (default bin/fw.dat below\n"
    "  the program's folder, or share/k470/fw.dat when installed). --clock (MHz) and --bps\n"
    "  (%s) change\n"
    "  the type's clock and bit rate where the table allows it. --program is the H8/36077's\n"
    "  write-control program (default 36077.mot beside the table). After the write the\n"
    "  H8/3069 sums its flash and the sum is compared with the image's; when they differ\n"
    "  the written blocks are read back and the first difference fails the write.\n"
    "  --no-verify skips that check; the H8/36077 offers none. With\n"
    "  --json the job's reports are JSON events on stdout.\n"
    "  Exit status 0 written, 1 failed (also a write that the check finds different),\n"
    "  2 usage error, 130 interrupted.\n";

// The type named `text`: a name of the table first, then an index.
int FindDevice(const DeviceType* table, int count, const std::string& text) {
  for (int i = 0; i < count; ++i) {
    if (table[i].Name == text) return i;
  }
  uint32_t index = 0;
  if (ParseDecimal(text, &index) && index < static_cast<uint32_t>(count)) {
    return static_cast<int>(index);
  }
  return -1;
}

// The clock in kHz (truncated toward zero) of a text in MHz; false unless it is a plain
// decimal number and, where the clock is sent to the chip (`sent`: the H8/3069), one that
// the chip can be sent (ClockFitsField).
bool ParseClockKhz(const std::string& text, bool sent, int32_t* out) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || c == '.')) return false;
  }
  char* end = nullptr;
  const double mhz = std::strtod(text.c_str(), &end);
  // Above the field's range in any case.
  constexpr int32_t kFarAboveKhz = 1000000000;
  if (*end != '\0' || !MhzToKhz(mhz, out) || *out >= kFarAboveKhz) return false;
  return !sent || ClockFitsField(*out);
}

}  // namespace

int CmdFlash(int argc, char** argv) {
  const std::string usage = FillText(kUsageFormat, {BootRatesText(false)});
  const char* const kUsage = usage.c_str();
  ArgParser args;
  std::vector<std::string> ports;
  const int parsed = BoardArguments(
      argc, argv,
      {{"--port", true}, {"--device", true}, {"--clock", true}, {"--bps", true},
       {"--table", true}, {"--program", true}, {"--json", false}, {"--no-verify", false}},
      kUsage, 1, &args, &ports);
  if (parsed != kArgumentsGoOn) return parsed;
  if (!args.Has("--device") || args.Value("--device").empty()) {
    return UsageError(kUsage, "--device is needed");
  }

  const std::string folder = ProgramFolder();
  std::string tablePath;
  DeviceType table[kDeviceTableSize];
  int count = 0;
  const ConsoleMode mode = ConsoleModeFor(args.Has("--json"));
  std::string failure;
  std::string detail;
  if (!ReadCliDeviceTable(args, &tablePath, table, &count, &failure, &detail)) {
    // The command has started: with --json its failure ends with an end event too.
    return ConsoleTarget(mode).FailBeforeJob(failure, detail);
  }
  const int index = FindDevice(table, count, args.Value("--device"));
  if (index < 0) {
    return UsageError(kUsage, "no such device type: " + args.Value("--device") +
                                  " (see k470 devices)");
  }
  DeviceType device = table[index];

  if (args.Has("--clock")) {
    if (!device.ClkSelect) return UsageError(kUsage, "the clock of this device type is fixed");
    if (!ParseClockKhz(args.Value("--clock"), device.Id == kDeviceIdH8_3069, &device.Clk)) {
      return UsageError(kUsage,
                        "--clock needs a clock in MHz from 0.01 to 655.35 (for example 19.6608)");
    }
  }
  if (args.Has("--bps")) {
    if (!device.BpsSelect) {
      return UsageError(kUsage, "the bit rate of this device type is fixed");
    }
    uint32_t rate = 0;
    if (!ParseDecimal(args.Value("--bps"), &rate) || BootRateIndex(rate) < 0) {
      return UsageError(kUsage, "--bps takes " + BootRatesText(false));
    }
    device.Bps = static_cast<int32_t>(rate);
  }

  // The ports as typed: the job opens its port and names it so in its message.
  const std::string file = args.Positionals()[0];
  const std::string program = args.Has("--program")
                                  ? args.Value("--program")
                                  : BinFilePath(folder, kWriteProgramFileName);

  const bool verify = !args.Has("--no-verify");

  BoardWork work;
  work.start = [&](Board& board) {
    auto job = std::make_unique<CThreadWrite>();
    job->SetVerify(verify);
    if (!job->Start(board.port, file, device, board.target.get(), program)) {
      board.target->ShowMessage("cannot start the write", MessageIcon::Error);
      return false;
    }
    board.job = std::move(job);
    return true;
  };
  work.cancelled = "write cancelled";
  return RunBoards(ports, mode, work);
}

}  // namespace k470::cli
