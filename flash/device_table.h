// The device table file bin/fw.dat (INI form): the list of device types in the section
// "Type" (Type0 .. Type24 name the sections), one section per type.
#pragma once

#include <string>

#include "flash/device_type.h"

namespace k470 {

constexpr int kDeviceTableSize = 25;          // records of the table, Type0 .. Type24
constexpr int kDeviceTableTextBytes = 256;    // longest value read, with its NUL
constexpr const char* kDeviceTableFileName = "fw.dat";

// Reads the table file at `path` into `table`. *count is the number of types listed in
// the section "Type". Returns 1 when the table was read (also when the file is missing or
// lists no types), 0 when a listed section has no Name: the records before it are
// complete, that record and the later ones still hold their section names in Name.
int ReadDeviceTableFile(const std::string& path, DeviceType table[kDeviceTableSize],
                        int* count);

// The same for the table below the program folder `folder` (ending with a separator):
// folder + bin/fw.dat.
int ReadDeviceTable(const std::string& folder, DeviceType table[kDeviceTableSize],
                    int* count);

}  // namespace k470
