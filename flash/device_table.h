// The device table file bin/fw.dat (INI form): the list of device types in the section
// "Type" (Type0 .. Type24 name the sections), one section per type.
#pragma once

#include <string>
#include <vector>

#include "flash/device_type.h"

namespace k470 {

constexpr int kDeviceTableSize = 25;          // records of the table, Type0 .. Type24
constexpr int kDeviceTableTextBytes = 256;    // longest value read, with its NUL
constexpr const char* kDeviceTableFileName = "fw.dat";

// Said for each type skipped for its clock (a section name goes into %s).
constexpr const char* kTextTableClockFormat = "デバイス定義 [%s] のクロックが有効範囲外です。";

// Reads the table file at `path` into `table`. A type whose clock cannot be sent to the
// chip (ClockFitsField) is left out and its section name added to *badClock; the types
// after it move up. *count is the number of types kept. Returns 1 when the table was read
// (also when the file is missing or lists no types), 0 when a listed section has no Name:
// the records before it are complete, that record and the later ones still hold their
// section names in Name (and count in *count).
int ReadDeviceTableFile(const std::string& path, DeviceType table[kDeviceTableSize],
                        int* count, std::vector<std::string>* badClock);

// The same for the table below the program folder `folder` (ending with a separator):
// folder + bin/fw.dat.
int ReadDeviceTable(const std::string& folder, DeviceType table[kDeviceTableSize],
                    int* count, std::vector<std::string>* badClock);

// kTextTableClockFormat filled in with the section name.
std::string TableClockMessage(const std::string& section);

}  // namespace k470
