// The device table of the devices and flash commands.
#include "cli/cli_device_table.h"

#include <cstdio>
#include <string>

#include "cli/console.h"
#include "base/program_folder.h"

namespace k470::cli {

bool ReadCliDeviceTable(const ArgParser& args, std::string* path,
                        DeviceType (&table)[kDeviceTableSize], int* count) {
  *path = args.Has("--table") ? args.Value("--table")
                              : BinFilePath(ProgramFolder(), kDeviceTableFileName);
  std::string refusal;
  const int read = ReadDeviceTableFile(*path, table, count, &refusal);
  if (read == kTableRefused) {
    std::fprintf(stderr, "k470: the device table cannot be read: %s\n%s\n",
                 EscapeControls(*path).c_str(), EscapeControls(refusal).c_str());
    return false;
  }
  if (read == kTableNameless) {
    std::fprintf(stderr, "k470: the device table lists a type without Name: %s\n",
                 EscapeControls(*path).c_str());
    return false;
  }
  // Each type keeps its place; one that cannot be written is named here and refused by
  // its write.
  for (int i = 0; i < *count; ++i) {
    const std::string fault = DeviceTypeFault(table[i]);
    if (!fault.empty()) std::fprintf(stderr, "k470: %s\n", EscapeControls(fault).c_str());
  }
  return true;
}

}  // namespace k470::cli
