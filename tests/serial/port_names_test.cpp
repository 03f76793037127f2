// Port names: parsing what the user types or the registry holds, and the device paths
// registered for a run.
#include "serial/port_names.h"

#include <gtest/gtest.h>

namespace k470 {
namespace {

struct NameCase {
  const char* text;
  int port;
};

TEST(PortNames, ParsePortNameAcceptsComNamesAndNumbersOnly) {
  const NameCase cases[] = {
      {"COM1", 1},    {"COM10", 10},  {"com3", 3},     {"Com255", 255}, {"10", 10},
      {"255", 255},   {"007", 7},     {"COM0", 0},     {"COM256", 0},   {"0", 0},
      {"256", 0},     {"999", 0},     {"COM", 0},      {"", 0},         {"COM1x", 0},
      {" COM1", 0},   {"COM 1", 0},   {"COM-1", 0},    {"COM+1", 0},    {"COM1000", 0},
      {"LPT1", 0},    {"CO1", 0},     {"1a", 0},       {"COMCOM1", 0},  {"\\\\.\\COM1", 0},
      {"/dev/ttyS0", 0},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(ParsePortName(c.text), c.port) << "text \"" << c.text << "\"";
  }
}

TEST(PortNames, SerialCommDataGivesTheNumberAfterCom) {
  const NameCase cases[] = {
      {"COM1", 1},   {"COM10", 10}, {"COM3", 3}, {"COM255", 255}, {"com4", 4},
      {"COM0", 0},   {"COM256", 0}, {"COM", 0},  {"", 0},         {"LPT1", 0},
      {"COMx", 0},   {"COM99999999999", 0},       {"XYZ5", 0},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(SerialCommDataToPort(c.text), c.port) << "data \"" << c.text << "\"";
  }
  EXPECT_EQ(SerialCommDataToPort(nullptr), 0);
}

class PortRegistry : public ::testing::Test {
 protected:
  void SetUp() override { ForgetPortDevices(); }
  void TearDown() override { ForgetPortDevices(); }
};

TEST_F(PortRegistry, RegisteredPathReplacesThePlatformDevice) {
  EXPECT_EQ(PortDevicePath(5), PlatformDevicePath(5));
  RegisterPortDevice(5, "/tmp/line5");
  EXPECT_EQ(PortDevicePath(5), "/tmp/line5");
  EXPECT_EQ(PortDevicePath(6), PlatformDevicePath(6));
  ForgetPortDevices();
  EXPECT_EQ(PortDevicePath(5), PlatformDevicePath(5));
}

TEST_F(PortRegistry, NumbersOutsideTheRangeHaveNoDevice) {
  RegisterPortDevice(0, "/tmp/zero");
  RegisterPortDevice(256, "/tmp/big");
  EXPECT_EQ(PortDevicePath(0), "");
  EXPECT_EQ(PortDevicePath(256), "");
  EXPECT_EQ(PortDevicePath(-1), "");
  EXPECT_EQ(PlatformDevicePath(0), "");
  EXPECT_EQ(PlatformDevicePath(256), "");
}

TEST_F(PortRegistry, ResolveTakesNamesAndNumbersAsTheyAre) {
  EXPECT_EQ(ResolvePortArgument("COM3"), 3);
  EXPECT_EQ(ResolvePortArgument("com12"), 12);
  EXPECT_EQ(ResolvePortArgument("7"), 7);
  // Neither a port name nor a path: refused, nothing registered.
  EXPECT_EQ(ResolvePortArgument("COM0"), 0);
  EXPECT_EQ(ResolvePortArgument("COM300"), 0);
  EXPECT_EQ(ResolvePortArgument("line"), 0);
  EXPECT_EQ(ResolvePortArgument(""), 0);
  EXPECT_EQ(PortDevicePath(255), PlatformDevicePath(255));
}

TEST_F(PortRegistry, UnknownPathsGetFreeNumbersFromTheTopAndKeepThem) {
  int first = ResolvePortArgument("/tmp/k470-line-a");
  int second = ResolvePortArgument("/tmp/k470-line-b");
  EXPECT_EQ(first, 255);
  EXPECT_EQ(second, 254);
  EXPECT_EQ(PortDevicePath(first), "/tmp/k470-line-a");
  EXPECT_EQ(PortDevicePath(second), "/tmp/k470-line-b");
  // The same path again is the same port, not a new one.
  EXPECT_EQ(ResolvePortArgument("/tmp/k470-line-a"), first);
  EXPECT_EQ(ResolvePortArgument("/tmp/k470-line-b"), second);
}

TEST_F(PortRegistry, ExplicitlyRegisteredNumbersAreNotHandedOutAgain) {
  RegisterPortDevice(255, "/tmp/k470-taken");
  EXPECT_EQ(ResolvePortArgument("/tmp/k470-taken"), 255);
  EXPECT_EQ(ResolvePortArgument("/tmp/k470-other"), 254);
}

TEST_F(PortRegistry, ResolveFailsWhenEveryNumberIsTaken) {
  for (int n = kFirstPort; n <= kLastPort; ++n) {
    RegisterPortDevice(n, "/tmp/k470-full-" + std::to_string(n));
  }
  EXPECT_EQ(ResolvePortArgument("/tmp/k470-one-more"), 0);
  EXPECT_EQ(ResolvePortArgument("/tmp/k470-full-17"), 17);
}

}  // namespace
}  // namespace k470
