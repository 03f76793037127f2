// The device table of the devices and flash commands.
#include "cli/cli_device_table.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/console.h"

#include "flash/program_folder.h"

namespace k470::cli {

bool ReadCliDeviceTable(const ArgParser& args, std::string* path,
                        DeviceType (&table)[kDeviceTableSize], int* count) {
  *path = args.Has("--table") ? args.Value("--table")
                              : BinFilePath(ProgramFolder(), kDeviceTableFileName);
  std::vector<std::string> badClock;
  const int read = ReadDeviceTableFile(*path, table, count, &badClock);
  for (const std::string& section : badClock) {
    std::fprintf(stderr, "k470: %s\n", EscapeControls(TableClockMessage(section)).c_str());
  }
  if (!read) {
    std::fprintf(stderr, "k470: the device table lists a type without Name: %s\n",
                 EscapeControls(*path).c_str());
    return false;
  }
  return true;
}

}  // namespace k470::cli
