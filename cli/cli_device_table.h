// The device table as the devices and flash commands read it: --table FILE, or the table
// below the program's folder.
#pragma once

#include <string>

#include "cli/cli_args.h"
#include "flash/device_table.h"

namespace k470::cli {

// Reads the table that --table names (default bin/fw.dat below the program's folder) into
// `table` and `count`, and sets `path` to the file read. Each type that cannot be written
// is named on stderr (it keeps its place). When the file is refused (not a regular file,
// larger than 1 MiB), a listed type has no Name or the table lists none (it is missing),
// it returns false with the message in `failure` and the reason in `detail`.
bool ReadCliDeviceTable(const ArgParser& args, std::string* path,
                        DeviceType (&table)[kDeviceTableSize], int* count,
                        std::string* failure, std::string* detail);

}  // namespace k470::cli
