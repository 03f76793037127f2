// The Windows side of the port names: \\.\COMn devices and the ports listed in the
// registry's serial device map.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "serial/port_names.h"

namespace k470 {
namespace {

constexpr char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

TEST(Win32PortNames, DevicesAreComNamesInTheDeviceNamespace) {
  EXPECT_EQ(PlatformDevicePath(1), "\\\\.\\COM1");
  EXPECT_EQ(PlatformDevicePath(255), "\\\\.\\COM255");
  // A COM name or number opens \\.\COMn and is called COMn; a device path, COM port
  // or not, is opened and called as typed, never given a number.
  struct Case {
    const char* text;
    const char* name;
    const char* device;
  };
  const Case cases[] = {
      {"COM7", "COM7", "\\\\.\\COM7"},
      {"com12", "COM12", "\\\\.\\COM12"},
      {"3", "COM3", "\\\\.\\COM3"},
      {"\\\\.\\COM7", "\\\\.\\COM7", "\\\\.\\COM7"},
      {"\\\\.\\com12", "\\\\.\\com12", "\\\\.\\com12"},
      {"\\\\.\\7", "\\\\.\\7", "\\\\.\\7"},
      {"\\\\.\\COM0", "\\\\.\\COM0", "\\\\.\\COM0"},
      {"\\\\.\\LPT1", "\\\\.\\LPT1", "\\\\.\\LPT1"},
      {"\\\\.\\CNCA0", "\\\\.\\CNCA0", "\\\\.\\CNCA0"},
      {"LPT1", "LPT1", ""},
      {"COM0", "COM0", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolvePortArgument(c.text).name, c.name) << c.text;
    EXPECT_EQ(ResolvePortArgument(c.text).device, c.device) << c.text;
  }
}

// Values put into the serial device map for one test and taken out again.
class SerialCommValues : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, nullptr, 0,
                              KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    for (const std::string& name : m_names) RegDeleteValueA(m_key, name.c_str());
    RegCloseKey(m_key);
  }
  void Put(const std::string& name, const std::string& data) {
    m_names.push_back(name);
    RegSetValueExA(m_key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }
  void PutNumber(const std::string& name, DWORD value) {
    m_names.push_back(name);
    RegSetValueExA(m_key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
  }
  static bool Listed(const std::vector<PortEntry>& ports, int number) {
    return std::any_of(ports.begin(), ports.end(),
                       [number](const PortEntry& p) { return p.number == number; });
  }

  HKEY m_key = nullptr;
  std::vector<std::string> m_names;
};

TEST_F(SerialCommValues, PortsComeInNumberOrderAndOddValuesAreSkipped) {
  // Odd values first, so that the good ones come after them in the enumeration.
  Put("\\Device\\K470Long", "COM" + std::string(400, '9'));  // longer than the buffer
  Put("\\Device\\K470Lpt", "LPT9");
  Put("\\Device\\K470Zero", "COM0");
  Put("\\Device\\K470Big", "COM256");
  PutNumber("\\Device\\K470Dword", 77);
  Put("\\Device\\K470Ten", "COM210");
  Put("\\Device\\K470Three", "COM203");
  Put("\\Device\\K470One", "COM201");
  std::vector<PortEntry> ports = EnumeratePorts();
  for (size_t i = 1; i < ports.size(); ++i) EXPECT_LT(ports[i - 1].number, ports[i].number);
  EXPECT_TRUE(Listed(ports, 201));
  EXPECT_TRUE(Listed(ports, 203));
  EXPECT_TRUE(Listed(ports, 210));
  EXPECT_FALSE(Listed(ports, 0));
  EXPECT_FALSE(Listed(ports, 9));
  EXPECT_FALSE(Listed(ports, 77));
  for (const PortEntry& port : ports) {
    EXPECT_EQ(port.device, PlatformDevicePath(port.number));
  }
  // A port listed by two values is listed once.
  Put("\\Device\\K470Again", "COM203");
  ports = EnumeratePorts();
  EXPECT_EQ(std::count_if(ports.begin(), ports.end(),
                          [](const PortEntry& p) { return p.number == 203; }),
            1);
}

}  // namespace
}  // namespace k470
