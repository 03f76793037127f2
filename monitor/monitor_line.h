// The board monitor's line: 38400 bit/s, 8 data bits, no parity, one stop bit (CComPort's
// codes). The RAM load page and the command-line tool open the port with it.
#pragma once

#include <cstdint>

namespace k470 {

constexpr uint32_t kMonitorBaud = 38400;
constexpr int kMonitorByteSize = 8;
constexpr int kMonitorParityNone = 0;
constexpr int kMonitorOneStopBit = 0;

}  // namespace k470
