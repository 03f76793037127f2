// Resolving what the user typed to the device that is opened: portable, over the
// platform's own numbering (PlatformDevicePath).
#include "serial/port_names.h"

#include <cctype>
#include <cstdlib>

#include "serial/net_port.h"

namespace k470 {
namespace {

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

PortChoice ResolvePortArgument(const std::string& text) {
  const int number = ParsePortName(text);
  if (number != 0) return {PortNameOf(text), PlatformDevicePath(number)};
  if (IsDevicePath(text)) return {text, text};
  return {text, std::string()};
}

std::vector<std::string> PortIdentities(const std::string& text) {
  if (IsNetPortName(text)) {
    // The scheme is no part of the address: rfc2217:// and socket:// to one server port
    // reach one line. The port's number as a number: "7000" and "07000" are one.
    NetAddress address;
    if (!ParseNetAddress(text, &address)) return {"net:" + LowerCase(text)};
    const std::string number = std::to_string(std::strtol(address.service.c_str(), nullptr, 10));
    std::vector<std::string> keys = {"net:" + LowerCase(address.host) + " " + number};
    for (const std::string& resolved : NetHostAddresses(address.host)) {
      keys.push_back("net:" + resolved + " " + number);
    }
    return keys;
  }
  const PortChoice choice = ResolvePortArgument(text);
  if (choice.device.empty()) return {"name:" + text};
  return {DeviceIdentity(choice.device)};
}

}  // namespace k470
