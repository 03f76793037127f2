// The Windows side of the port names: \\.\COMn devices and the ports listed in the
// registry's serial device map.
#include <windows.h>
#include <setupapi.h>

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

// A device of the Ports class made for one test, root-enumerated, with the name, hardware
// id and port name a USB adapter's driver gives its device; removed again at the end.
class PortsClassDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    static const GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE,
                                     {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    m_set = SetupDiCreateDeviceInfoList(&kPortsClass, nullptr);
    ASSERT_NE(m_set, INVALID_HANDLE_VALUE);
    m_info.cbSize = sizeof(m_info);
    ASSERT_TRUE(SetupDiCreateDeviceInfoW(m_set, L"PORTS", &kPortsClass, nullptr, nullptr,
                                         DICD_GENERATE_ID, &m_info));
    const wchar_t hardwareId[] = L"USB\\VID_0403&PID_6001&REV_0600\0";
    const wchar_t name[] = L"K470 Test Serial Port (COM205)";
    ASSERT_TRUE(SetupDiSetDeviceRegistryPropertyW(m_set, &m_info, SPDRP_HARDWAREID,
                                                  reinterpret_cast<const BYTE*>(hardwareId),
                                                  sizeof(hardwareId)));
    ASSERT_TRUE(SetupDiSetDeviceRegistryPropertyW(m_set, &m_info, SPDRP_FRIENDLYNAME,
                                                  reinterpret_cast<const BYTE*>(name),
                                                  sizeof(name)));
    ASSERT_TRUE(SetupDiRegisterDeviceInfo(m_set, &m_info, 0, nullptr, nullptr, nullptr));
    m_registered = true;
    HKEY key = SetupDiCreateDevRegKeyW(m_set, &m_info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr,
                                       nullptr);
    ASSERT_NE(key, INVALID_HANDLE_VALUE);
    const wchar_t port[] = L"COM205";
    RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(port), sizeof(port));
    RegCloseKey(key);
  }
  void TearDown() override {
    if (m_registered) SetupDiRemoveDevice(m_set, &m_info);
    if (m_set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(m_set);
  }

  HDEVINFO m_set = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA m_info = {};
  bool m_registered = false;
};

TEST_F(PortsClassDevice, ItsPortIsListedWithItsNameAndUsbIds) {
  const std::vector<PortEntry> ports = EnumeratePorts();
  const auto listed = std::find_if(ports.begin(), ports.end(),
                                   [](const PortEntry& p) { return p.number == 205; });
  ASSERT_NE(listed, ports.end());
  EXPECT_EQ(listed->device, "\\\\.\\COM205");
  EXPECT_EQ(listed->description, "K470 Test Serial Port");
  EXPECT_EQ(listed->usbVendor, 0x0403);
  EXPECT_EQ(listed->usbProduct, 0x6001);
}

}  // namespace
}  // namespace k470
