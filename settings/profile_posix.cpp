// The profile functions on platforms without them: the portable reader and writer, over
// texts in UTF-8 (the coding of file names and files on these platforms).
#include "settings/profile.h"

#include "settings/profile_reader.h"

namespace k470 {
namespace {
constexpr TextCoding kProgramCoding = TextCoding::kUtf8;
}  // namespace

TextCoding ProgramTextCoding() { return kProgramCoding; }

int ProfileGetInt(const char* section, const char* key, int def, const char* path) {
  return PortableProfileGetInt(kProgramCoding, section, key, def, path);
}

int ProfileGetString(const char* section, const char* key, const char* def, char* buffer,
                     int size, const char* path) {
  return PortableProfileGetString(kProgramCoding, section, key, def, buffer, size, path);
}

void ProfileWriteString(const char* section, const char* key, const char* value,
                        const char* path) {
  PortableProfileWriteString(kProgramCoding, section, key, value, path);
}

}  // namespace k470
