// Port numbers and the devices behind them. The tool names ports COM1..COM255; on Windows
// port n is the device \\.\COMn, elsewhere the serial devices present are numbered
// stably (port_list_posix.cpp). A device path given by the user (a pseudo-terminal, say)
// can be registered and gets a number of its own.
#pragma once

#include <string>
#include <vector>

namespace k470 {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 255;

struct PortEntry {
  int number;          // 1..255
  std::string device;  // what is opened: \\.\COM7, /dev/ttyUSB0, ...
};

// The ports present on this machine, in ascending number order (platform half).
std::vector<PortEntry> EnumeratePorts();

// The device opened for port number `port`: a registered path first, else the
// platform's device for that number; empty for a number outside 1..255 or without device.
std::string PortDevicePath(int port);

// The platform's device name for a port number (platform half).
std::string PlatformDevicePath(int port);

// The port number the platform gives the device `device` (\\.\COM7 -> 7, /dev/ttyUSB0 ->
// 33); 0 when the device is none of the platform's numbered ports (platform half).
int PlatformPortNumber(const std::string& device);

// Parses "COM10" (letters in any case) or a plain "10" into 10; 0 when the text is not
// such a name or the number is outside 1..255.
int ParsePortName(const std::string& text);

// The port number in the data of a value of the system's serial device map: the decimal
// number after the first three characters of "COM7"; 0 unless the text starts with COM
// and the number is in 1..255.
int SerialCommDataToPort(const char* data);

// Resolves what a user typed (COMn, n, or a device path) to a port number, registering a
// device path that is no known port under a free number. 0 when nothing fits.
int ResolvePortArgument(const std::string& text);

// Registers `device` as port `port`, replacing the platform's device for that number.
void RegisterPortDevice(int port, const std::string& device);

// Forgets every registered device path.
void ForgetPortDevices();

}  // namespace k470
