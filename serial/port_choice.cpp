// Resolving what the user typed to the device that is opened: portable, over the
// platform's own numbering (PlatformDevicePath).
#include "serial/port_names.h"

namespace k470 {

PortChoice ResolvePortArgument(const std::string& text) {
  const int number = ParsePortName(text);
  if (number != 0) return {PortNameOf(text), PlatformDevicePath(number)};
  if (IsDevicePath(text)) return {text, text};
  return {text, std::string()};
}

}  // namespace k470
