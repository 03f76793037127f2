// The device table's file read once into memory: opened without waiting (a FIFO would
// block the reader), looked at on the open file itself, so that what is checked is what
// is read, and read whole when it is a regular file of at most the limit. Every key then
// comes from that copy. Platform half: table_file_posix.cpp or table_file_win32.cpp.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

enum class TableFileKind {
  kMissing,     // no such file (or folder on the way)
  kRegular,     // a regular file of at most the limit; its bytes are stored
  kNotRegular,  // a folder, a FIFO, a device
  kTooLarge,    // a regular file larger than the limit (also one that grew while read)
  kFailed,      // the system could not open or read it; its reason is stored
};

TableFileKind ReadTableFile(const std::string& path, uint64_t maxBytes, std::string* bytes,
                            std::string* reason);

}  // namespace k470
