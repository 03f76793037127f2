// Stable port numbers of Unix serial devices: the name <-> number mapping, the listing of
// a device folder, and the platform's device paths built on them.
#include "serial/tty_numbers.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "serial/late_answer_fix.h"
#include "serial/port_names.h"

namespace k470 {
namespace {

struct TtyCase {
  const char* name;
  int port;
};

TEST(TtyNumbers, NamesMapToStableNumbersAndBack) {
  const TtyCase cases[] = {
      {"ttyS0", 1},     {"ttyS1", 2},      {"ttyS31", 32},    {"ttyUSB0", 33},
      {"ttyUSB1", 34},  {"ttyUSB63", 96},  {"ttyACM0", 97},   {"ttyACM63", 160},
  };
  for (const TtyCase& c : cases) {
    EXPECT_EQ(TtyNameToPort(c.name), c.port) << c.name;
    EXPECT_EQ(PortToTtyName(c.port), c.name) << c.port;
    EXPECT_EQ(PlatformDevicePath(c.port), std::string("/dev/") + c.name) << c.port;
    EXPECT_EQ(ResolvePortArgument("COM" + std::to_string(c.port)).device,
              std::string("/dev/") + c.name) << c.port;
  }
  // Every number 1..160 names one device, and that device names the number again.
  for (int port = 1; port < kCalloutFirstPort; ++port) {
    EXPECT_EQ(TtyNameToPort(PortToTtyName(port)), port) << port;
  }
}

TEST(TtyNumbers, OtherNamesHaveNoNumber) {
  const char* names[] = {"ttyS32",  "ttyUSB64", "ttyACM64", "ttyS01",  "ttyS",
                         "ttyUSB",  "ttyS-1",   "ttyS1a",   "tty0",    "ttyAMA0",
                         "pts",     "cu.usb",   "",         "ttyS100", "TTYS0"};
  for (const char* name : names) EXPECT_EQ(TtyNameToPort(name), 0) << name;
  EXPECT_EQ(PortToTtyName(0), "");
  EXPECT_EQ(PortToTtyName(161), "");
  // A bare device name is no path; paths are opened as they are, never as a number.
  EXPECT_EQ(ResolvePortArgument("ttyS0").device, "");
  for (const char* path : {"/tmp/ttyS0", "/dev/pts/3", "/dev/ttyS99"}) {
    EXPECT_EQ(ResolvePortArgument(path).device, path);
    EXPECT_EQ(ResolvePortArgument(path).name, path);
  }
}

TEST(TtyNumbers, DeviceFolderListingNumbersPresentDevicesInOrder) {
  const std::vector<std::string> names = {
      ".",           "..",       "ttyUSB1", "null",    "ttyS0",  "ttyS1",   "cu.b",
      "ttyACM0",     "cu.a",     "tty",     "ttyS4",   "ttyUSB0", "cu.",    "pts"};
  // Only ttyS0 and ttyS4 have a UART behind them.
  auto hasUart = [](const std::string& name) { return name == "ttyS0" || name == "ttyS4"; };
  std::vector<PortEntry> ports = NumberTtyDevices(names, "/dev/", hasUart);
  const std::vector<std::pair<int, std::string>> expected = {
      {1, "/dev/ttyS0"},    {5, "/dev/ttyS4"},    {33, "/dev/ttyUSB0"}, {34, "/dev/ttyUSB1"},
      {97, "/dev/ttyACM0"}, {161, "/dev/cu.a"},   {162, "/dev/cu.b"}};
  ASSERT_EQ(ports.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(ports[i].number, expected[i].first) << i;
    EXPECT_EQ(ports[i].device, expected[i].second) << i;
  }
}

TEST(TtyNumbers, CalloutDevicesStopAtTheLastPort) {
  std::vector<std::string> names;
  for (int i = 0; i < 120; ++i) {
    char name[16];
    std::snprintf(name, sizeof(name), "cu.dev%03d", i);
    names.push_back(name);
  }
  std::vector<PortEntry> ports = NumberTtyDevices(names, "/dev/", [](const std::string&) {
    return true;
  });
  ASSERT_EQ(ports.size(), static_cast<size_t>(kLastPort - kCalloutFirstPort + 1));
  EXPECT_EQ(ports.front().number, kCalloutFirstPort);
  EXPECT_EQ(ports.front().device, "/dev/cu.dev000");
  EXPECT_EQ(ports.back().number, kLastPort);
  EXPECT_EQ(ports.back().device, "/dev/cu.dev094");
}

TEST(TtyNumbers, EnumeratedPortsAreAscendingAndOpenTheirOwnDevice) {
  std::vector<PortEntry> ports = EnumeratePorts();
  for (size_t i = 0; i < ports.size(); ++i) {
    EXPECT_GE(ports[i].number, kFirstPort);
    EXPECT_LE(ports[i].number, kLastPort);
    if (i > 0) {
      EXPECT_LT(ports[i - 1].number, ports[i].number);
    }
    EXPECT_EQ(PlatformDevicePath(ports[i].number), ports[i].device);
    EXPECT_EQ(ResolvePortArgument(std::to_string(ports[i].number)).device, ports[i].device);
  }
}

TEST(TtyNumbers, APlatformDevicePathKeepsItsPathAndItsNumberOpensTheSameDevice) {
  for (const TtyCase& c : {TtyCase{"/dev/ttyUSB0", 33}, TtyCase{"/dev/ttyS2", 3},
                           TtyCase{"/dev/ttyACM0", 97}}) {
    EXPECT_EQ(ResolvePortArgument(c.name).name, c.name);
    EXPECT_EQ(ResolvePortArgument(c.name).device, c.name);
    EXPECT_EQ(ResolvePortArgument("COM" + std::to_string(c.port)).device, c.name);
    EXPECT_EQ(ResolvePortArgument("COM" + std::to_string(c.port)).name,
              "COM" + std::to_string(c.port));
  }
}

TEST(TtyNumbers, TheLateAnswerFixNamesTheAdapterBehindThePort) {
  // The device as typed, by its number, and through a link (as /dev/serial/by-id/ has).
  const std::string link = "/tmp/k470-by-id-" + std::to_string(getpid());
  ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
  const struct {
    std::string port;
    const char* device;
  } cases[] = {{"/dev/ttyUSB3", "ttyUSB3"}, {"COM34", "ttyUSB1"}, {"/dev/ttyACM0", "ttyACM0"},
               {link, "null"}, {"line", "ttyUSBn"}};
  for (const auto& c : cases) {
    EXPECT_EQ(LateAnswerFix(c.port, ResolvePortArgument(c.port).device),
              std::string("the port's driver took no low-latency mode: set the adapter's "
                          "latency timer to 1 ms (write 1 into /sys/bus/usb-serial/devices/") +
                  c.device + "/latency_timer)")
        << c.port;
  }
  std::remove(link.c_str());
}

}  // namespace
}  // namespace k470
