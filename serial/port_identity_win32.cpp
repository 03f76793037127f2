// Device identities on Windows: a device path by its text in upper case ("\\.\com3" and
// the "\\.\COM3" that "COM3" opens are one port), since a COM port has no file identity.
#include <windows.h>

#include <cctype>
#include <string>

#include "serial/port_names.h"

namespace k470 {

std::string DeviceIdentity(const std::string& device) {
  std::string key = device;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "path:" + key;
}

bool NamesExistingPath(const std::string& text) {
  return !text.empty() && GetFileAttributesA(text.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace k470
