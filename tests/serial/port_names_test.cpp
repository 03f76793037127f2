// Port names: parsing what the user types or the registry holds, and what a port the
// user chose opens and is called.
#include "serial/port_names.h"
#include "serial/line_time.h"
#include "serial/late_answer_fix.h"
#include "serial/port_texts.h"
#include "tests/support/line_of.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

struct ChoiceCase {
  const char* text;
  const char* name;
  int platformPort;    // the device is the platform's for this number, when not 0
  const char* device;  // else this device ("" for none)
};

void ExpectChoices(const std::vector<ChoiceCase>& cases) {
  for (const ChoiceCase& c : cases) {
    const PortChoice choice = ResolvePortArgument(c.text);
    EXPECT_EQ(choice.name, c.name) << "text \"" << c.text << "\"";
    EXPECT_EQ(choice.device, c.platformPort != 0 ? PlatformDevicePath(c.platformPort) : c.device)
        << "text \"" << c.text << "\"";
  }
}

TEST(PortChoices, NamesAndNumbersOpenThePlatformDeviceAndAreCalledComN) {
  ExpectChoices({
      {"COM3", "COM3", 3, ""},     {"com12", "COM12", 12, ""}, {"7", "COM7", 7, ""},
      {"5", "COM5", 5, ""},        {"COM6", "COM6", 6, ""},    {"007", "COM7", 7, ""},
      {"Com255", "COM255", 255, ""},
  });
}

TEST(PortChoices, TextsThatAreNeitherANameNorAPathNameNoDevice) {
  // Refused as they are, numbers out of the range too; nothing is filed anywhere.
  ExpectChoices({
      {"COM0", "COM0", 0, ""}, {"COM300", "COM300", 0, ""}, {"line", "line", 0, ""},
      {"", "", 0, ""},         {"0", "0", 0, ""},           {"256", "256", 0, ""},
      {"-1", "-1", 0, ""},
  });
  EXPECT_EQ(PlatformDevicePath(0), "");
  EXPECT_EQ(PlatformDevicePath(256), "");
}

TEST(PortChoices, DevicePathsAreOpenedAndCalledAsTyped) {
  // No number is made up for a path, however many there are and whatever the ports
  // present: the same path is the same choice every time.
  ExpectChoices({
      {"/tmp/line5", "/tmp/line5", 0, "/tmp/line5"},
      {"/tmp/k470-line-a", "/tmp/k470-line-a", 0, "/tmp/k470-line-a"},
      {"/tmp/k470-line-b", "/tmp/k470-line-b", 0, "/tmp/k470-line-b"},
      {"/tmp/k470-line-a", "/tmp/k470-line-a", 0, "/tmp/k470-line-a"},
      {"/dev/ttyS77", "/dev/ttyS77", 0, "/dev/ttyS77"},
      {"/dev/pts/999", "/dev/pts/999", 0, "/dev/pts/999"},
      {"\\\\.\\CNCA0", "\\\\.\\CNCA0", 0, "\\\\.\\CNCA0"},
  });
  for (int n = kFirstPort; n <= kLastPort + 1; ++n) {
    const std::string path = "/tmp/k470-full-" + std::to_string(n);
    EXPECT_EQ(ResolvePortArgument(path).device, path);
    EXPECT_EQ(ResolvePortArgument(path).name, path);
  }
}

TEST(LineTime, CountsEveryBitOfEveryByteAndRoundsUp) {
  EXPECT_EQ(LineTimeMs(96, LineOf(9600, 8, 0, 0)), 100u);       // 10 bits a byte
  EXPECT_EQ(LineTimeMs(133, LineOf(57600, 8, 0, 0)), 24u);      // 23.09 ms, rounded up
  EXPECT_EQ(LineTimeMs(100, LineOf(9600, 7, 2, 1)), 110u);      // 1 + 7 + 1 + 1.5 bits
  EXPECT_EQ(LineTimeMs(1, LineOf(38400, 8, 0, 2)), 1u);
  EXPECT_EQ(LineTimeMs(0, LineOf(38400, 8, 0, 0)), 0u);
}

TEST(PortTexts, AMessageKeepsItsEndWhateverTheLengthOfThePortsName) {
  const std::string name = "rfc2217://" + std::string(300, 'h') + ".example:4001";
  EXPECT_EQ(PortLostMessage(name), name + "との通信が切れました。");
  // A name that holds a conversion is taken as it is.
  EXPECT_EQ(PortLostMessage("%s%d"), "%s%dとの通信が切れました。");
}

TEST(LateAnswerFix, ANetworkPortsAdapterIsSetAtItsServer) {
  for (const char* port : {"rfc2217://rack-2:7000", "SOCKET://rack-2:7001",
                           "rfc2217://[rack-2]:7000"}) {
    const std::string fix = LateAnswerFix(port, "");
    EXPECT_NE(fix.find("sits at the server rack-2: set its latency timer to 1 ms there"),
              std::string::npos) << port << ": " << fix;
    EXPECT_EQ(fix.find("/sys/"), std::string::npos) << port;
  }
}

}  // namespace
}  // namespace k470
