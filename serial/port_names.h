// Port numbers, port names and the devices behind them. The port list names ports
// COM1..COM255; on Windows port n is the device \\.\COMn, elsewhere the serial devices
// present are numbered stably (port_list_posix.cpp). What the user chooses is opened as
// typed: "COM3" or "3" opens the platform's device for 3, a device path opens that path.
#pragma once

#include <string>
#include <vector>

namespace k470 {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 255;

// What the system says of a port, where it knows it. Texts are in the program's own
// encoding (UTF-8 natively, code page 932 on Windows); an empty text and a negative id
// stand for "unknown".
struct PortEntry {
  int number;                  // 1..255
  std::string device;          // what is opened: \\.\COM7, /dev/ttyUSB0, ...
  std::string description{};   // "USB Serial Port", "FT232R USB UART (FTDI)", "serial8250"
  int usbVendor = -1;          // USB vendor id, 0..0xFFFF
  int usbProduct = -1;         // USB product id, 0..0xFFFF
  std::string serialNumber{};  // the USB device's serial number
  std::string byIdPath{};      // its stable link /dev/serial/by-id/usb-... (natively only)
};

// The ports present on this machine, in ascending number order, with what the system
// says of each (platform half).
std::vector<PortEntry> EnumeratePorts();

// The platform's device name for a port number; empty for a number outside 1..255 or
// without device (platform half).
std::string PlatformDevicePath(int port);

// Parses "COM10" (letters in any case) or a plain "10" into 10; 0 when the text is not
// such a name or the number is outside 1..255.
int ParsePortName(const std::string& text);

// The port number in the data of a value of the system's serial device map: the decimal
// number after the first three characters of "COM7"; 0 unless the text starts with COM
// and the number is in 1..255.
int SerialCommDataToPort(const char* data);

// True for a text that is a device path: it holds a directory separator. Any other text
// that is no port name ("COM0", "abc") is refused rather than taken for a file in the
// current folder.
bool IsDevicePath(const std::string& text);

// What messages call the port the user typed: "COM3" for "com3" or "3", any other text
// (a device path) as it is.
std::string PortNameOf(const std::string& text);

// The keys of the device a port text opens; two texts open the same device when they
// share a key. Over the network: the TCP port's number with the host as typed (letters in
// any case) and with each address the host resolves to, so that "localhost:7000" and
// "127.0.0.1:07000" are one server port; a local device by its device number, so that a
// link, "/dev//pts/3" or "COM3" and "\\.\COM3" are one port; a text that names no
// device by itself (port_choice.cpp).
std::vector<std::string> PortIdentities(const std::string& text);

// The identity of a local device path: its device number where the system has one, else
// the path (platform half, port_identity_*.cpp).
std::string DeviceIdentity(const std::string& device);

// True when the text names an existing path: a device, a file, a folder (platform half).
bool NamesExistingPath(const std::string& text);

// A port as the user chose it: what is opened and what messages call it.
struct PortChoice {
  std::string name;    // PortNameOf the text
  std::string device;  // the device opened; empty when the choice names no device
};

// What the user typed (COMn, n or a device path) as a port: a name or number opens the
// platform's device for that number, a device path opens that path. Other texts name no
// device (port_choice.cpp).
PortChoice ResolvePortArgument(const std::string& text);

}  // namespace k470
