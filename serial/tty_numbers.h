// Stable port numbers for Unix serial device names: the numbering the port list and the
// serial port share away from Windows. Pure functions over names, so that the numbering
// can be checked without the devices.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "serial/port_names.h"

namespace k470 {

// Ranges of port numbers, one per kind of device (the index k of the name is added):
constexpr int kTtySFirstPort = 1;      // /dev/ttyS<k>, built-in UARTs, k < 32
constexpr int kTtySCount = 32;
constexpr int kTtyUsbFirstPort = 33;   // /dev/ttyUSB<k>, USB serial converters, k < 64
constexpr int kTtyUsbCount = 64;
constexpr int kTtyAcmFirstPort = 97;   // /dev/ttyACM<k>, USB modems and CDC boards, k < 64
constexpr int kTtyAcmCount = 64;
constexpr int kCalloutFirstPort = 161; // /dev/cu.* (macOS), in sorted order, up to 255

constexpr char kDevDir[] = "/dev/";

// "ttyS0" -> 1, "ttyUSB2" -> 35, "ttyACM0" -> 97; 0 for any other name (including
// "ttyS01", whose number would not be stable, and indexes beyond the ranges).
int TtyNameToPort(const std::string& name);

// The inverse of TtyNameToPort for ports 1..160: 1 -> "ttyS0"; empty for other numbers.
std::string PortToTtyName(int port);

// "cu.usbserial-1410" and the like: a macOS call-out device.
bool IsCalloutName(const std::string& name);

// The numbered ports among the names of a device folder (`devDir` ends with a slash):
// ttyS names only where `hasUart` says a UART is behind them, the call-out names in
// sorted order from 161. Ascending by number.
std::vector<PortEntry> NumberTtyDevices(const std::vector<std::string>& names,
                                        const std::string& devDir,
                                        const std::function<bool(const std::string&)>& hasUart);

// The call-out names among `names`, sorted: entry i is port kCalloutFirstPort + i.
std::vector<std::string> SortedCalloutNames(const std::vector<std::string>& names);

}  // namespace k470
