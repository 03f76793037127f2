// The serial ports present away from Windows, under the stable numbers of tty_numbers.h:
// the device folder is listed, built-in UARTs are checked for real hardware.
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
#include "serial/tty_numbers.h"

namespace k470 {
namespace {

constexpr char kSysTtyDir[] = "/sys/class/tty/";
constexpr char kLegacyUartDriver[] = "serial8250";

std::vector<std::string> ListDevDir() {
  std::vector<std::string> names;
  DIR* dir = opendir(kDevDir);
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
  closedir(dir);
  return names;
}

// The legacy 8250 driver registers a fixed set of ttyS devices whether or not a UART is
// behind them; the line's type tells. Ports that cannot be asked (no permission) stay
// listed, so that opening them reports the failure.
bool LegacyUartPresent(const std::string& name) {
#if defined(__linux__) && defined(TIOCGSERIAL)
  int fd = open((kDevDir + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno != ENXIO && errno != ENODEV && errno != EIO;
  serial_struct info{};
  bool present = ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type != PORT_UNKNOWN;
  close(fd);
  return present;
#else
  (void)name;
  return true;
#endif
}

// A ttyS device has a UART when a driver is bound to it (and, for the legacy driver,
// when the line's type is known).
bool HasUart(const std::string& name) {
  std::string driverLink = std::string(kSysTtyDir) + name + "/device/driver";
  struct stat st {};
  if (stat(driverLink.c_str(), &st) != 0) return false;
  char target[256] = {};
  ssize_t length = readlink(driverLink.c_str(), target, sizeof(target) - 1);
  if (length > 0) {
    std::string driver(target, static_cast<size_t>(length));
    std::string base = driver.substr(driver.find_last_of('/') + 1);
    if (base == kLegacyUartDriver) return LegacyUartPresent(name);
  }
  return true;
}

}  // namespace

std::vector<PortEntry> EnumeratePorts() {
  return NumberTtyDevices(ListDevDir(), kDevDir, HasUart);
}

std::string PlatformDevicePath(int port) {
  if (port < kFirstPort || port > kLastPort) return std::string();
  if (port < kCalloutFirstPort) {
    std::string name = PortToTtyName(port);
    return name.empty() ? std::string() : kDevDir + name;
  }
  std::vector<std::string> callouts = SortedCalloutNames(ListDevDir());
  size_t index = static_cast<size_t>(port - kCalloutFirstPort);
  return index < callouts.size() ? kDevDir + callouts[index] : std::string();
}

}  // namespace k470
