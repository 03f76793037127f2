// Port names and numbers: parsing "COM7"/"7", the device paths that the user registered
// for a run, and resolving what the user typed to a port number. Portable; the platform's
// own numbering lives in port_list_win32.cpp / port_list_posix.cpp.
#include "serial/port_names.h"

#include <cctype>
#include <map>
#include <mutex>
#include <set>

namespace k470 {
namespace {

constexpr char kPortPrefix[] = "COM";
constexpr size_t kPortPrefixLength = 3;
constexpr size_t kMaxPortDigits = 3;  // 255 at most

// Device paths the user gave, by port number. Filled by the command-line tool and the
// tests before a port is opened; guarded because a job thread may look a path up.
std::mutex g_registryMutex;
std::map<int, std::string> g_registered;

bool StartsWithPortPrefix(const char* text) {
  for (size_t i = 0; i < kPortPrefixLength; ++i) {
    if (text[i] == '\0') return false;
    if (std::toupper(static_cast<unsigned char>(text[i])) != kPortPrefix[i]) return false;
  }
  return true;
}

bool InPortRange(int n) { return n >= kFirstPort && n <= kLastPort; }

// A device path names a file: it holds a directory separator. Anything else that is no
// port name ("COM0", "abc") is refused rather than taken for a file in the current folder.
bool LooksLikeDevicePath(const std::string& text) {
  return text.find('/') != std::string::npos || text.find('\\') != std::string::npos;
}

}  // namespace

int ParsePortName(const std::string& text) {
  size_t start = StartsWithPortPrefix(text.c_str()) ? kPortPrefixLength : 0;
  size_t digits = text.size() - start;
  if (digits == 0 || digits > kMaxPortDigits) return 0;
  int n = 0;
  for (size_t i = start; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
    n = n * 10 + (text[i] - '0');
  }
  return InPortRange(n) ? n : 0;
}

int SerialCommDataToPort(const char* data) {
  if (data == nullptr || !StartsWithPortPrefix(data)) return 0;
  // The number after the prefix, read like atoi reads it up to the first non-digit;
  // capped so that a long run of digits cannot overflow.
  int n = 0;
  for (const char* p = data + kPortPrefixLength; std::isdigit(static_cast<unsigned char>(*p));
       ++p) {
    n = n * 10 + (*p - '0');
    if (n > kLastPort) return 0;
  }
  return InPortRange(n) ? n : 0;
}

void RegisterPortDevice(int port, const std::string& device) {
  if (!InPortRange(port)) return;
  std::lock_guard<std::mutex> lock(g_registryMutex);
  g_registered[port] = device;
}

void ForgetPortDevices() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  g_registered.clear();
}

std::string PortDevicePath(int port) {
  if (!InPortRange(port)) return std::string();
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    auto it = g_registered.find(port);
    if (it != g_registered.end()) return it->second;
  }
  return PlatformDevicePath(port);
}

int ResolvePortArgument(const std::string& text) {
  int named = ParsePortName(text);
  if (named != 0) return named;
  if (!LooksLikeDevicePath(text)) return 0;

  std::set<int> taken;
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    for (const auto& entry : g_registered) {
      if (entry.second == text) return entry.first;
      taken.insert(entry.first);
    }
  }
  // The platform's own device for a number, unless a registered path replaced it.
  int platform = PlatformPortNumber(text);
  if (platform != 0 && taken.count(platform) == 0) return platform;

  for (const PortEntry& present : EnumeratePorts()) taken.insert(present.number);
  // Registered paths take the highest free numbers, far from the ports present.
  for (int n = kLastPort; n >= kFirstPort; --n) {
    if (taken.count(n) == 0) {
      RegisterPortDevice(n, text);
      return n;
    }
  }
  return 0;
}

}  // namespace k470
