// The late-answer fix: a network port's adapter is the server's; a local one is the
// platform's to name.
#include "serial/late_answer_fix.h"

#include "serial/net_port.h"

namespace k470 {

std::string LateAnswerFix(const std::string& port, const std::string& device) {
  if (IsNetPortName(port)) {
    NetAddress address;
    const std::string server = ParseNetAddress(port, &address) ? address.host : port;
    return "the USB adapter sits at the server " + server +
           ": set its latency timer to 1 ms there, on that machine";
  }
  return LocalLateAnswerFix(device);
}

}  // namespace k470
