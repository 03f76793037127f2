// The serial ports present away from Windows, under the stable numbers of tty_numbers.h:
// the device folder is listed, built-in UARTs are checked for real hardware, and each port
// is described from sysfs (port_sysfs.cpp).
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#if defined(__linux__)
#include <linux/serial.h>
#endif

#include "serial/port_names.h"
#include "serial/port_sysfs.h"
#include "serial/tty_numbers.h"

namespace k470 {
namespace {

constexpr char kLegacyUartDriver[] = "serial8250";

std::vector<std::string> ListDevDir(const std::string& root) {
  std::vector<std::string> names;
  DIR* dir = opendir((root + kDevDir).c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
  closedir(dir);
  return names;
}

// The legacy 8250 driver registers a fixed set of ttyS devices whether or not a UART is
// behind them; the line's type tells. Ports that cannot be asked (no permission) stay
// listed, so that opening them reports the failure.
bool LegacyUartPresent(const std::string& root, const std::string& name) {
#if defined(__linux__) && defined(TIOCGSERIAL)
  int fd = open((root + kDevDir + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno != ENXIO && errno != ENODEV && errno != EIO;
  serial_struct info{};
  bool present = ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type != PORT_UNKNOWN;
  close(fd);
  return present;
#else
  (void)root;
  (void)name;
  return true;
#endif
}

// A ttyS device has a UART when a driver is bound to it (and, for the legacy driver,
// when the line's type is known).
bool HasUart(const std::string& root, const std::string& name) {
  const std::string driver = SysfsDriverName(root, name);
  if (driver.empty()) return false;
  return driver != kLegacyUartDriver || LegacyUartPresent(root, name);
}

}  // namespace

std::vector<PortEntry> EnumeratePortsUnder(const std::string& root) {
  std::vector<PortEntry> ports = NumberTtyDevices(
      ListDevDir(root), kDevDir, [&root](const std::string& name) { return HasUart(root, name); });
  const size_t devDirLength = sizeof(kDevDir) - 1;
  for (PortEntry& port : ports) DescribeSysfsPort(root, port.device.substr(devDirLength), &port);
  return ports;
}

std::vector<PortEntry> EnumeratePorts() { return EnumeratePortsUnder(std::string()); }

std::string PlatformDevicePath(int port) {
  if (port < kFirstPort || port > kLastPort) return std::string();
  if (port < kCalloutFirstPort) {
    std::string name = PortToTtyName(port);
    return name.empty() ? std::string() : kDevDir + name;
  }
  std::vector<std::string> callouts = SortedCalloutNames(ListDevDir(std::string()));
  size_t index = static_cast<size_t>(port - kCalloutFirstPort);
  return index < callouts.size() ? kDevDir + callouts[index] : std::string();
}

}  // namespace k470
