// The COM ports present on Windows: the devices of the Ports class (port_setupapi_win32.cpp),
// and the values of the system's serial device map in the registry, whose data name the
// ports ("COM7"), for ports that no such device names.
#include <windows.h>

#include <cstdio>
#include <set>

#include "serial/port_names.h"
#include "serial/port_setupapi.h"

namespace k470 {
namespace {

constexpr char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr DWORD kValueNameChars = 256;
constexpr DWORD kValueDataBytes = 256;

}  // namespace

std::vector<PortEntry> EnumeratePorts() {
  std::set<int> present;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    for (DWORD index = 0;; ++index) {
      char name[kValueNameChars];
      // One byte more than the buffer the value may fill, so that data without its
      // terminating NUL still ends inside the buffer.
      char data[kValueDataBytes + 1];
      DWORD nameChars = kValueNameChars;
      DWORD dataBytes = kValueDataBytes;
      DWORD type = 0;
      LONG result = RegEnumValueA(key, index, name, &nameChars, nullptr, &type,
                                  reinterpret_cast<BYTE*>(data), &dataBytes);
      // A value too long for the buffers is no port name; the ones after it still count.
      if (result == ERROR_MORE_DATA) continue;
      if (result != ERROR_SUCCESS) break;
      if (type != REG_SZ) continue;
      data[dataBytes < kValueDataBytes ? dataBytes : kValueDataBytes] = '\0';
      int port = SerialCommDataToPort(data);
      if (port != 0) present.insert(port);
    }
    RegCloseKey(key);
  }
  return MergePortLists(ReadPortsClass(), std::vector<int>(present.begin(), present.end()),
                        PlatformDevicePath);
}

std::string PlatformDevicePath(int port) {
  if (port < kFirstPort || port > kLastPort) return std::string();
  char name[16];
  std::snprintf(name, sizeof(name), "\\\\.\\COM%d", port);
  return name;
}

}  // namespace k470
