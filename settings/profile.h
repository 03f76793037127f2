// The profile (INI) functions the program reads and writes through: on Windows the
// system's GetPrivateProfile*/WritePrivateProfileStringA (profile_win32.cpp), elsewhere
// the portable reader and writer of profile_reader.h (profile_posix.cpp).
#pragma once

#include "base/mbcs.h"

namespace k470 {

// The coding of the texts the profile functions read and write: code page 932 on Windows,
// UTF-8 elsewhere.
TextCoding ProgramTextCoding();

// The value of the first matching entry as a decimal integer; `def` when absent.
// Section and key names compare without regard to ASCII letter case.
int ProfileGetInt(const char* section, const char* key, int def, const char* path);

// Copies the first matching entry's value, cut to size - 1 bytes, NUL-terminated; returns
// the number of bytes copied (0 when absent or empty; then `def` is copied).
int ProfileGetString(const char* section, const char* key, const char* def, char* buffer,
                     int size, const char* path);

// Replaces or adds the entry, creating the section and the file when missing.
void ProfileWriteString(const char* section, const char* key, const char* value,
                        const char* path);

}  // namespace k470
