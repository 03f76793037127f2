// The device table file bin/fw.dat (INI form): the list of device types in the section
// "Type" (Type0 .. Type24 name the sections), one section per type.
#pragma once

#include <cstdint>
#include <string>

#include "flash/device_type.h"

namespace k470 {

constexpr int kDeviceTableSize = 25;          // records of the table, Type0 .. Type24
constexpr int kDeviceTableTextBytes = 256;    // longest value read, with its NUL
constexpr const char* kDeviceTableFileName = "fw.dat";
constexpr uint64_t kDeviceTableMaxBytes = 1024 * 1024;  // a larger file is not read

// What ReadDeviceTableFile returns.
constexpr int kTableRead = 1;      // read (also a missing file or one that lists no types)
constexpr int kTableNameless = 0;  // a listed section has no Name
constexpr int kTableRefused = -1;  // not a regular file, too large, or unreadable

// Reads the table file at `path` into `table`. Every listed type keeps its place: record i
// is the i-th section listed under [Type], whatever its values (a type that cannot be
// written is refused by its write; DeviceTypeFault). *count is the number of types.
// Returns kTableRead; kTableNameless when a listed section has no Name: the records
// before it are complete, that record and the later ones still hold their section names
// in Name (and count in *count); kTableRefused with *count 0 and the reason in *refusal
// ("not a regular file", "larger than 1 MiB", the system's words) for a file that is
// not read.
int ReadDeviceTableFile(const std::string& path, DeviceType table[kDeviceTableSize],
                        int* count, std::string* refusal);

// The same for the table below the program folder `folder` (ending with a separator):
// folder + bin/fw.dat.
int ReadDeviceTable(const std::string& folder, DeviceType table[kDeviceTableSize],
                    int* count, std::string* refusal);

}  // namespace k470
