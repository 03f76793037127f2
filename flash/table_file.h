// What stands at the device table's path, looked at without opening it (a FIFO would block
// the reader): nothing, a regular file and its size, or something that is not read.
// Platform half: table_file_posix.cpp or table_file_win32.cpp.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

enum class TableFileKind {
  kMissing,     // no such file (or folder on the way)
  kRegular,     // a regular file; its size is stored
  kNotRegular,  // a folder, a FIFO, a device
  kFailed,      // the system could not tell; its reason is stored
};

TableFileKind LookAtTableFile(const std::string& path, uint64_t* bytes, std::string* reason);

}  // namespace k470
