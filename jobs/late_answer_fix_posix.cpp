// The fix for a slow USB adapter on Linux. The port asks the driver for its low-latency
// mode at every open (a 1 ms timer); answers that still come late come from a driver
// that refused it, so the user sets the timer themselves.
#include "jobs/late_answers.h"

namespace k470 {

const char* LateAnswerFix() {
  return "the port's driver took no low-latency mode: set the adapter's latency timer "
         "to 1 ms (write 1 into /sys/bus/usb-serial/devices/ttyUSBn/latency_timer)";
}

}  // namespace k470
