// Port descriptions from sysfs: /sys/class/tty/<name>/device leads to the port's device;
// the nearest folder above it with an idVendor file is its USB device.
#include "serial/port_sysfs.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace k470 {
namespace {

constexpr size_t kAttributeBytes = 256;  // a USB string descriptor holds at most 126 chars
constexpr size_t kUsbIdDigits = 4;
// The bus of the port and controller devices between a UART's device and its tty.
constexpr char kSerialBaseBus[] = "/bus/serial-base/";

// The first line of a sysfs attribute, without its line end; empty when there is none.
std::string ReadAttribute(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::string();
  char text[kAttributeBytes] = {};
  const size_t got = std::fread(text, 1, sizeof(text) - 1, file);
  std::fclose(file);
  std::string value(text, got);
  value = value.substr(0, value.find('\n'));
  const size_t end = value.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : value.substr(0, end + 1);
}

std::string RealPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string result(resolved);
  std::free(resolved);
  return result;
}

bool Exists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

std::string LastComponent(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

// "0403" -> 0x0403; -1 for anything but four hexadecimal digits.
int UsbId(const std::string& text) {
  if (text.size() != kUsbIdDigits) return -1;
  int id = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return -1;
    id = id * 16 + digit;
  }
  return id;
}

// The USB device folder at or above `folder`, staying inside `sysRoot`; empty when the
// port is no USB device's.
std::string UsbDeviceFolder(std::string folder, const std::string& sysRoot) {
  while (folder.size() > sysRoot.size() && folder.compare(0, sysRoot.size(), sysRoot) == 0) {
    if (Exists(folder + "/idVendor")) return folder;
    folder = folder.substr(0, folder.find_last_of('/'));
  }
  return std::string();
}

// "FT232R USB UART (FTDI)": the product, then its maker; either alone when the other is
// not known.
std::string UsbDescription(const std::string& product, const std::string& maker) {
  if (product.empty()) return maker;
  if (maker.empty()) return product;
  return product + " (" + maker + ")";
}

// The first link (in name order) of <root>/dev/serial/by-id/ that leads to the device.
std::string ByIdPath(const std::string& root, const std::string& name) {
  const std::string target = RealPath(root + "/dev/" + name);
  if (target.empty()) return std::string();
  const std::string folder = root + kByIdDir;
  std::vector<std::string> links;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') links.emplace_back(entry->d_name);
    }
    closedir(dir);
  }
  std::sort(links.begin(), links.end());
  for (const std::string& link : links) {
    if (RealPath(folder + link) == target) return kByIdDir + link;
  }
  return std::string();
}

// The driver folder of the device in `folder` or, past the serial-base devices, of the
// nearest device above it; empty when none is bound.
std::string DriverOf(std::string folder, const std::string& sysRoot) {
  while (folder.size() > sysRoot.size()) {
    const std::string driver = RealPath(folder + "/driver");
    if (driver.empty()) return std::string();
    if (driver.find(kSerialBaseBus) == std::string::npos) return driver;
    folder = folder.substr(0, folder.find_last_of('/'));
  }
  return std::string();
}

}  // namespace

std::string SysfsDriverName(const std::string& root, const std::string& name) {
  const std::string device = RealPath(root + "/sys/class/tty/" + name + "/device");
  if (device.empty()) return std::string();
  const std::string driver = DriverOf(device, RealPath(root + "/sys"));
  return driver.empty() ? std::string() : LastComponent(driver);
}

void DescribeSysfsPort(const std::string& root, const std::string& name, PortEntry* entry) {
  entry->byIdPath = ByIdPath(root, name);
  const std::string device = RealPath(root + "/sys/class/tty/" + name + "/device");
  if (device.empty()) return;
  const std::string driver = SysfsDriverName(root, name);
  const std::string usb = UsbDeviceFolder(device, RealPath(root + "/sys"));
  if (usb.empty()) {
    // A built-in UART: its driver's name is all the system says of it.
    entry->description = driver;
    return;
  }
  entry->usbVendor = UsbId(ReadAttribute(usb + "/idVendor"));
  entry->usbProduct = UsbId(ReadAttribute(usb + "/idProduct"));
  entry->serialNumber = ReadAttribute(usb + "/serial");
  entry->description =
      UsbDescription(ReadAttribute(usb + "/product"), ReadAttribute(usb + "/manufacturer"));
  if (entry->description.empty()) entry->description = driver;
}

}  // namespace k470
