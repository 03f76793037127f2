// ReadPortsClass: the present devices of the Ports class through SetupAPI, each with its
// port name, friendly name, hardware id and the instance ids of itself and its parent.
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "serial/port_setupapi.h"

namespace k470 {
namespace {

// {4D36E978-E325-11CE-BFC1-08002BE10318}: the device setup class of COM and LPT ports.
constexpr GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE,
                              {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr DWORD kTextChars = 512;
constexpr UINT kProgramCodePage = 932;

// A text from the system in the program's own encoding; a character that code page cannot
// hold becomes "?".
std::string ProgramText(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text, -1,
                                        nullptr, 0, "?", nullptr);
  if (bytes <= 1) return std::string();
  std::vector<char> narrow(static_cast<size_t>(bytes));
  WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text, -1, narrow.data(), bytes,
                      "?", nullptr);
  return std::string(narrow.data());
}

// A text property of the device (the first string of a list property); empty when it has
// none or it does not fit.
std::string TextProperty(HDEVINFO set, SP_DEVINFO_DATA* info, DWORD property) {
  wchar_t text[kTextChars + 2] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, info, property, &type,
                                         reinterpret_cast<BYTE*>(text),
                                         kTextChars * sizeof(wchar_t), nullptr)) {
    return std::string();
  }
  if (type != REG_SZ && type != REG_MULTI_SZ) return std::string();
  return ProgramText(text);
}

std::string PortNameOfDevice(HDEVINFO set, SP_DEVINFO_DATA* info) {
  HKEY key = SetupDiOpenDevRegKey(set, info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return std::string();
  wchar_t name[kTextChars + 1] = {};
  DWORD type = 0;
  DWORD bytes = kTextChars * sizeof(wchar_t);
  const LONG result = RegQueryValueExW(key, L"PortName", nullptr, &type,
                                       reinterpret_cast<BYTE*>(name), &bytes);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return std::string();
  return ProgramText(name);
}

std::string InstanceId(DEVINST instance) {
  wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
  if (CM_Get_Device_IDW(instance, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return std::string();
  return ProgramText(id);
}

}  // namespace

std::vector<SetupApiPort> ReadPortsClass() {
  std::vector<SetupApiPort> ports;
  HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return ports;
  SP_DEVINFO_DATA info = {};
  info.cbSize = sizeof(info);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &info); ++index) {
    SetupApiPort port;
    port.portName = PortNameOfDevice(set, &info);
    if (port.portName.empty()) continue;
    port.friendlyName = TextProperty(set, &info, SPDRP_FRIENDLYNAME);
    port.hardwareId = TextProperty(set, &info, SPDRP_HARDWAREID);
    port.instanceId = InstanceId(info.DevInst);
    DEVINST parent = 0;
    if (CM_Get_Parent(&parent, info.DevInst, 0) == CR_SUCCESS) port.parentId = InstanceId(parent);
    ports.push_back(port);
  }
  SetupDiDestroyDeviceInfoList(set);
  return ports;
}

}  // namespace k470
