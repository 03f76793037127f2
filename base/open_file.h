// Opening an image file for reading: only a regular file opens. A directory, a FIFO, a
// device or anything else is a file that cannot be opened, and the opening never waits
// (a FIFO without a writer would block the reader, and with it the job that waits for it).
#pragma once

#include <cstdio>
#include <string>

namespace k470 {

// Why a name that opens is still no image file.
constexpr const char* kTextNotRegularFile = "not a regular file";

// The file opened for binary reading, or null when it cannot be opened or is not a
// regular file; `*reason` (may be null) then holds the system's words, or
// kTextNotRegularFile. The caller closes the file with std::fclose.
FILE* OpenRegularFile(const std::string& path, std::string* reason = nullptr);

}  // namespace k470
