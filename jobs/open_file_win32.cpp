// OpenRegularFile on Windows: a folder does not open at all; a name that opens a device
// (CON, NUL, COM1, a pipe) is refused by its file type before it is read.
#include "jobs/open_file.h"

#include <io.h>
#include <windows.h>

namespace k470 {

FILE* OpenRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return nullptr;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return nullptr;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

}  // namespace k470
