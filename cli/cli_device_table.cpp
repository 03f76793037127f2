// The device table of the devices and flash commands.
#include "cli/cli_device_table.h"

#include <cstdio>
#include <string>

#include "cli/console.h"
#include "base/program_folder.h"

namespace k470::cli {

bool ReadCliDeviceTable(const ArgParser& args, std::string* path,
                        DeviceType (&table)[kDeviceTableSize], int* count,
                        std::string* failure, std::string* detail) {
  *path = args.Has("--table") ? args.Value("--table")
                              : BinFilePath(ProgramFolder(), kDeviceTableFileName);
  std::string refusal;
  const int read = ReadDeviceTableFile(*path, table, count, &refusal);
  if (read == kTableRefused) {
    *failure = "the device table cannot be read: " + *path;
    *detail = refusal;
    return false;
  }
  if (read == kTableNameless) {
    *failure = "the device table lists a type without Name: " + *path;
    return false;
  }
  if (*count == 0) {
    *failure = "no device types (missing or empty table): " + *path;
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
