// The profile functions on platforms without them: the portable reader and writer.
#include "settings/profile.h"

#include "settings/profile_reader.h"

namespace k470 {

int ProfileGetInt(const char* section, const char* key, int def, const char* path) {
  return PortableProfileGetInt(section, key, def, path);
}

int ProfileGetString(const char* section, const char* key, const char* def, char* buffer,
                     int size, const char* path) {
  return PortableProfileGetString(section, key, def, buffer, size, path);
}

void ProfileWriteString(const char* section, const char* key, const char* value,
                        const char* path) {
  PortableProfileWriteString(section, key, value, path);
}

}  // namespace k470
