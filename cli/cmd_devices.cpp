// k470 devices: lists the device types of the device table, as the flash write page
// offers them.
#include <cstdio>
#include <string>

#include "cli/cli_args.h"
#include "cli/cli_device_table.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/console_target.h"
#include "cli/json_line.h"

namespace k470::cli {
namespace {

constexpr const char* kUsage =
    "usage: k470 devices [--table FILE] [--json]\n"
    "  Lists the device types of the device table FILE (default: bin/fw.dat below the\n"
    "  program's folder; /usr/share/k470/fw.dat when installed in /usr/bin): index, name,\n"
    "  Id, clock in MHz, bit rate, ROM size in bytes and\n"
    "  what may be changed before a write (--clock, --bps of k470 flash); with --json one\n"
    "  {\"event\":\"device\",...} a line. A type with a value outside its range (Id other\n"
    "  than 0 or 1, RomSize outside 1 byte to 512 KiB; for Id 0 a bit rate other than the\n"
    "  four or a clock of 0 or above 655.35 MHz) keeps its index, is named on stderr and\n"
    "  cannot be written. Writing an H8/36077 (Id 1) needs its write-control program\n"
    "  bin/36077.mot from the board's maker.\n"
    "  Exit status 0 listed, 1 no table, a table that is not a regular file or is larger\n"
    "  than 1 MiB, or a type without Name.\n";

std::string Changeable(const DeviceType& t) {
  if (const char* key = DeviceTypeFaultKey(t)) return std::string("cannot be written: ") + key;
  if (t.ClkSelect && t.BpsSelect) return "clock, bit rate";
  if (t.ClkSelect) return "clock";
  if (t.BpsSelect) return "bit rate";
  return "-";
}

}  // namespace

int CmdDevices(int argc, char** argv) {
  ArgParser args;
  if (!args.Parse(argc, argv, {{"--table", true}, {"--json", false}})) {
    return UsageError(kUsage, args.Error());
  }
  if (args.HelpRequested()) return PrintUsage(kUsage);
  if (!args.Positionals().empty()) return UsageError(kUsage, "no FILE is taken");
  std::string path;
  DeviceType table[kDeviceTableSize];
  int count = 0;
  std::string failure;
  std::string detail;
  if (!ReadCliDeviceTable(args, &path, table, &count, &failure, &detail)) {
    ConsoleTarget(ConsoleMode::Lines).ShowToolFailure(failure,
                                                      detail.empty() ? nullptr : detail.c_str());
    return kExitFailed;
  }
  if (args.Has("--json")) {
    for (int i = 0; i < count; ++i) {
      const DeviceType& t = table[i];
      JsonLine("device").Number("index", i).SystemText("name", t.Name).Number("id", t.Id)
          .Number("clock_khz", t.Clk).Number("bps", t.Bps).Number("rom_size", t.RomSize)
          .Number("clock_select", t.ClkSelect).Number("bps_select", t.BpsSelect)
          .Text("fault", DeviceTypeFault(t)).Emit();
    }
    return kExitOk;
  }
  std::printf("%-5s  %-20s  %-2s  %9s  %6s  %8s  %s\n", "index", "name", "Id", "clock MHz",
              "bit/s", "ROM size", "changeable");
  for (int i = 0; i < count; ++i) {
    const DeviceType& t = table[i];
    std::printf("%-5d  %-20s  %-2d  %9.3f  %6d  %8d  %s\n", i,
                EscapeControls(t.Name).c_str(), static_cast<int>(t.Id), t.Clk / 1000.0,
                static_cast<int>(t.Bps), static_cast<int>(t.RomSize), Changeable(t).c_str());
  }
  return kExitOk;
}

}  // namespace k470::cli
