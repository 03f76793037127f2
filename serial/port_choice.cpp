// Resolving what the user typed to the device that is opened: portable, over the
// platform's own numbering (PlatformDevicePath).
#include "serial/port_names.h"

#include <cctype>

#include "serial/net_port.h"

namespace k470 {

PortChoice ResolvePortArgument(const std::string& text) {
  const int number = ParsePortName(text);
  if (number != 0) return {PortNameOf(text), PlatformDevicePath(number)};
  if (IsDevicePath(text)) return {text, text};
  return {text, std::string()};
}

std::string PortIdentity(const std::string& text) {
  if (IsNetPortName(text)) {
    // The scheme is no part of the address: rfc2217:// and socket:// to one server port
    // reach one line.
    NetAddress address;
    std::string key = ParseNetAddress(text, &address) ? address.host + " " + address.service : text;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "net:" + key;
  }
  const PortChoice choice = ResolvePortArgument(text);
  if (choice.device.empty()) return "name:" + text;
  return DeviceIdentity(choice.device);
}

}  // namespace k470
