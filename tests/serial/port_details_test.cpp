// What the port list says of each port: Linux's sysfs read from a copy of its trees
// (sysfs_tree/), Windows' SetupAPI answers as recorded from real devices, merged with the
// serial device map.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/port_names.h"
#include "serial/port_setupapi.h"
#include "serial/port_sysfs.h"

namespace k470 {
namespace {

struct Described {
  int number;
  const char* device;
  const char* description;
  int vendor;
  int product;
  const char* serial;
  const char* byId;
};

void ExpectPorts(const std::vector<PortEntry>& got, const std::vector<Described>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(want[i].device);
    EXPECT_EQ(got[i].number, want[i].number);
    EXPECT_EQ(got[i].device, want[i].device);
    EXPECT_EQ(got[i].description, want[i].description);
    EXPECT_EQ(got[i].usbVendor, want[i].vendor);
    EXPECT_EQ(got[i].usbProduct, want[i].product);
    EXPECT_EQ(got[i].serialNumber, want[i].serial);
    EXPECT_EQ(got[i].byIdPath, want[i].byId);
  }
}

#if !defined(_WIN32)
TEST(SysfsPorts, EachKindOfDeviceIsDescribedAndPtysAndEmptyUartsAreLeftOut) {
  // ttyS1 is registered without a UART behind it; ptmx and ttyp0 are terminals of ptys.
  ExpectPorts(EnumeratePortsUnder(K470_SYSFS_TREE),
              {{1, "/dev/ttyS0", "serial", -1, -1, "", ""},
               {33, "/dev/ttyUSB0", "FT232R USB UART (FTDI)", 0x0403, 0x6001, "A10KZ3XQ",
                "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3XQ-if00-port0"},
               {34, "/dev/ttyUSB1", "USB Serial", 0x1A86, 0x7523, "",
                "/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0"},
               {97, "/dev/ttyACM0", "Board Console (Example Labs)", 0x1209, 0x4701, "0001",
                "/dev/serial/by-id/usb-Example_Labs_Board_Console_0001-if00"}});
  // A tree that is not there lists nothing.
  EXPECT_TRUE(EnumeratePortsUnder(K470_SYSFS_TREE "/absent").empty());
}
#endif

std::string ComPath(int number) { return "\\\\.\\COM" + std::to_string(number); }

TEST(SetupApiPorts, RecordedDevicesAreDescribedAndTheDeviceMapFillsIn) {
  const std::vector<SetupApiPort> recorded = {
      // A composite board: the port is one interface; the serial number is its parent's.
      {"COM9", "USB Serial Device (COM9)", "USB\\VID_2E8A&PID_000A&MI_00",
       "USB\\VID_2E8A&PID_000A&MI_00\\6&1A2B3C4&0&0000", "USB\\VID_2E8A&PID_000A\\E6605838837"},
      // The FTDI bus driver's own ids ("+" between the parts) under the USB device.
      {"COM7", "USB Serial Port (COM7)", "FTDIBUS\\COMPORT&VID_0403&PID_6001",
       "FTDIBUS\\VID_0403+PID_6001+A10KZ3XQA\\0000", "USB\\VID_0403&PID_6001\\A10KZ3XQ"},
      // No serial number: Windows makes up the instance part.
      {"COM3", "USB-SERIAL CH340 (COM3)", "USB\\VID_1A86&PID_7523&REV_0264",
       "USB\\VID_1A86&PID_7523\\5&2A0B7F2&0&2", "USB\\ROOT_HUB30\\4&1C2D3E&0&0"},
      {"COM1", "Communications Port (COM1)", "ACPI\\PNP0501", "ACPI\\PNP0501\\0",
       "ACPI\\PNP0A03\\0"},
      // A printer port of the same class, a second device naming COM3, a name too odd.
      {"LPT1", "ECP Printer Port (LPT1)", "ACPI\\PNP0401", "ACPI\\PNP0401\\0", ""},
      {"COM3", "Other (COM3)", "", "", ""},
      {"COM300", "Odd", "", "", ""},
  };
  // COM4 is in the device map only (a virtual port); COM1 is in both.
  ExpectPorts(MergePortLists(recorded, {1, 4}, ComPath),
              {{1, "\\\\.\\COM1", "Communications Port", -1, -1, "", ""},
               {3, "\\\\.\\COM3", "USB-SERIAL CH340", 0x1A86, 0x7523, "", ""},
               {4, "\\\\.\\COM4", "", -1, -1, "", ""},
               {7, "\\\\.\\COM7", "USB Serial Port", 0x0403, 0x6001, "A10KZ3XQ", ""},
               {9, "\\\\.\\COM9", "USB Serial Device", 0x2E8A, 0x000A, "E6605838837", ""}});
}

}  // namespace
}  // namespace k470
