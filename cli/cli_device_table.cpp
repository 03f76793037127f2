// The device table of the devices and flash commands.
#include "cli/cli_device_table.h"

#include <cstdio>

#include "flash/program_folder.h"

namespace k470::cli {

bool ReadCliDeviceTable(const ArgParser& args, std::string* path,
                        DeviceType (&table)[kDeviceTableSize], int* count) {
  *path = args.Has("--table") ? args.Value("--table")
                              : BinFilePath(ProgramFolder(), kDeviceTableFileName);
  if (!ReadDeviceTableFile(*path, table, count)) {
    std::fprintf(stderr, "k470: the device table lists a type without Name: %s\n",
                 path->c_str());
    return false;
  }
  return true;
}

}  // namespace k470::cli
