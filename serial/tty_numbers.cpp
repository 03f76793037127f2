// Stable port numbers for Unix serial device names (see tty_numbers.h).
#include "serial/tty_numbers.h"

#include <algorithm>
#include <cctype>

namespace k470 {
namespace {

struct TtyKind {
  const char* prefix;
  int firstPort;
  int count;
};

constexpr TtyKind kTtyKinds[] = {
    {"ttyS", kTtySFirstPort, kTtySCount},
    {"ttyUSB", kTtyUsbFirstPort, kTtyUsbCount},
    {"ttyACM", kTtyAcmFirstPort, kTtyAcmCount},
};

constexpr char kCalloutPrefix[] = "cu.";
constexpr size_t kMaxIndexDigits = 2;  // indexes stay below 64

// The decimal index after `prefix`, or -1 when the rest is not a plain index without
// leading zeros ("ttyS01" would name the same port twice).
int IndexAfter(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return -1;
  std::string digits = name.substr(prefix.size());
  if (digits.empty() || digits.size() > kMaxIndexDigits) return -1;
  if (digits.size() > 1 && digits[0] == '0') return -1;
  int index = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    index = index * 10 + (c - '0');
  }
  return index;
}

}  // namespace

int TtyNameToPort(const std::string& name) {
  for (const TtyKind& kind : kTtyKinds) {
    int index = IndexAfter(name, kind.prefix);
    if (index >= 0 && index < kind.count) return kind.firstPort + index;
  }
  return 0;
}

std::string PortToTtyName(int port) {
  for (const TtyKind& kind : kTtyKinds) {
    if (port >= kind.firstPort && port < kind.firstPort + kind.count) {
      return kind.prefix + std::to_string(port - kind.firstPort);
    }
  }
  return std::string();
}

bool IsCalloutName(const std::string& name) {
  constexpr size_t kPrefixLength = sizeof(kCalloutPrefix) - 1;
  return name.size() > kPrefixLength && name.compare(0, kPrefixLength, kCalloutPrefix) == 0;
}

std::vector<std::string> SortedCalloutNames(const std::vector<std::string>& names) {
  std::vector<std::string> callouts;
  for (const std::string& name : names) {
    if (IsCalloutName(name)) callouts.push_back(name);
  }
  std::sort(callouts.begin(), callouts.end());
  callouts.erase(std::unique(callouts.begin(), callouts.end()), callouts.end());
  return callouts;
}

std::vector<PortEntry> NumberTtyDevices(const std::vector<std::string>& names,
                                        const std::string& devDir,
                                        const std::function<bool(const std::string&)>& hasUart) {
  std::vector<PortEntry> ports;
  for (const std::string& name : names) {
    int port = TtyNameToPort(name);
    if (port == 0) continue;
    if (port < kTtySFirstPort + kTtySCount && !hasUart(name)) continue;
    ports.push_back({port, devDir + name});
  }
  int port = kCalloutFirstPort;
  for (const std::string& name : SortedCalloutNames(names)) {
    if (port > kLastPort) break;
    ports.push_back({port++, devDir + name});
  }
  std::sort(ports.begin(), ports.end(),
            [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
  ports.erase(std::unique(ports.begin(), ports.end(),
                          [](const PortEntry& a, const PortEntry& b) {
                            return a.number == b.number;
                          }),
              ports.end());
  return ports;
}

}  // namespace k470
