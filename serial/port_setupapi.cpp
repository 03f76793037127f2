// MergePortLists: SetupAPI's records turned into port entries. The USB ids are read from
// the hardware id ("VID_0403&PID_6001", or "VID_0403+PID_6001" of the FTDI bus driver);
// the serial number is the last part of a USB device's instance id, which Windows makes up
// itself (a text with "&") when the device has none. A port on one interface of a
// composite device ("&MI_00") takes the serial number of its parent, the device itself.
#include "serial/port_setupapi.h"

#include <cctype>
#include <map>

namespace k470 {
namespace {

constexpr char kUsbPrefix[] = "USB\\";
constexpr char kInterfaceMark[] = "&MI_";
constexpr size_t kUsbIdDigits = 4;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The four hexadecimal digits after `key` ("VID_") in the id; -1 when absent.
int IdAfter(const std::string& id, const char* key) {
  const std::string upper = Upper(id);
  const size_t at = upper.find(key);
  if (at == std::string::npos) return -1;
  const size_t start = at + std::string(key).size();
  if (start + kUsbIdDigits > upper.size()) return -1;
  int value = 0;
  for (size_t i = start; i < start + kUsbIdDigits; ++i) {
    const char c = upper[i];
    if (!std::isxdigit(static_cast<unsigned char>(c))) return -1;
    value = value * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'A' + 10);
  }
  return value;
}

// The serial number in a USB device's instance id "USB\VID_xxxx&PID_xxxx\<serial>"; empty
// for an interface's id, another bus's id, or a made-up instance part.
std::string SerialInInstanceId(const std::string& id) {
  const std::string upper = Upper(id);
  if (upper.compare(0, sizeof(kUsbPrefix) - 1, kUsbPrefix) != 0) return std::string();
  if (upper.find(kInterfaceMark) != std::string::npos) return std::string();
  const size_t last = id.find_last_of('\\');
  if (last == sizeof(kUsbPrefix) - 2) return std::string();  // no instance part
  const std::string instance = id.substr(last + 1);
  if (instance.find('&') != std::string::npos) return std::string();
  return instance;
}

// "USB Serial Port (COM7)" -> "USB Serial Port": the port's own name adds nothing beside
// it in the list.
std::string WithoutPortSuffix(const std::string& name, const std::string& portName) {
  const std::string suffix = " (" + portName + ")";
  if (name.size() > suffix.size() &&
      Upper(name.substr(name.size() - suffix.size())) == Upper(suffix)) {
    return name.substr(0, name.size() - suffix.size());
  }
  return name;
}

PortEntry DescribedPort(int number, const SetupApiPort& device) {
  PortEntry entry{number, std::string()};
  entry.description = WithoutPortSuffix(device.friendlyName, device.portName);
  for (const std::string* id : {&device.hardwareId, &device.instanceId}) {
    if (entry.usbVendor >= 0) break;
    const int vendor = IdAfter(*id, "VID_");
    const int product = IdAfter(*id, "PID_");
    if (vendor >= 0 && product >= 0) {
      entry.usbVendor = vendor;
      entry.usbProduct = product;
    }
  }
  entry.serialNumber = SerialInInstanceId(device.instanceId);
  if (entry.serialNumber.empty()) entry.serialNumber = SerialInInstanceId(device.parentId);
  return entry;
}

}  // namespace

std::vector<PortEntry> MergePortLists(const std::vector<SetupApiPort>& devices,
                                      const std::vector<int>& serialCommPorts,
                                      std::string (*devicePath)(int)) {
  std::map<int, PortEntry> ports;
  for (const SetupApiPort& device : devices) {
    const int number = SerialCommDataToPort(device.portName.c_str());
    // The first device to name a port describes it.
    if (number != 0 && ports.count(number) == 0) ports.emplace(number, DescribedPort(number, device));
  }
  for (int number : serialCommPorts) {
    if (number >= kFirstPort && number <= kLastPort && ports.count(number) == 0) {
      ports.emplace(number, PortEntry{number, std::string()});
    }
  }
  std::vector<PortEntry> list;
  for (auto& [number, entry] : ports) {
    entry.device = devicePath(number);
    list.push_back(entry);
  }
  return list;
}

}  // namespace k470
