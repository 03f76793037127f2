// The profile functions on Windows: the system's own.
#include "settings/profile.h"

#include <windows.h>

namespace k470 {

TextCoding ProgramTextCoding() { return TextCoding::kCp932; }

int ProfileGetInt(const char* section, const char* key, int def, const char* path) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, def, path));
}

int ProfileGetString(const char* section, const char* key, const char* def, char* buffer,
                     int size, const char* path) {
  if (buffer == nullptr || size <= 0) return 0;
  return static_cast<int>(
      GetPrivateProfileStringA(section, key, def, buffer, static_cast<DWORD>(size), path));
}

void ProfileWriteString(const char* section, const char* key, const char* value,
                        const char* path) {
  WritePrivateProfileStringA(section, key, value, path);
}

}  // namespace k470
