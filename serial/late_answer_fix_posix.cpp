// The fix for a slow USB adapter on Linux. The port asks the driver for its low-latency
// mode at every open (a 1 ms timer); answers that still come late come from a driver
// that refused it, so the user sets the timer themselves, in the file of the adapter
// behind the port (a link such as /dev/serial/by-id/... is followed to its device).
#include <limits.h>
#include <stdlib.h>

#include "serial/late_answer_fix.h"

namespace k470 {
namespace {

constexpr const char* kUsbSerialDevices = "/sys/bus/usb-serial/devices/";
constexpr const char* kUnknownDevice = "ttyUSBn";

// "ttyUSB3" for /dev/ttyUSB3 or a link to it; kUnknownDevice without a name.
std::string DeviceName(const std::string& device) {
  if (device.empty()) return kUnknownDevice;
  char resolved[PATH_MAX];
  const std::string path = realpath(device.c_str(), resolved) != nullptr ? resolved : device;
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.empty() ? kUnknownDevice : name;
}

}  // namespace

std::string LocalLateAnswerFix(const std::string& device) {
  return "the port's driver took no low-latency mode: set the adapter's latency timer "
         "to 1 ms (write 1 into " + std::string(kUsbSerialDevices) + DeviceName(device) +
         "/latency_timer)";
}

}  // namespace k470
