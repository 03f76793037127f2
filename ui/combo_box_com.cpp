// CComboBoxCom: ports from the registry's serial device map, listed as COM<n>.
#include "ui/combo_box_com.h"

#include <cstdio>
#include <cstdlib>

namespace k470 {
namespace {
constexpr const char* kSerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr DWORD kValueNameChars = 256;
constexpr DWORD kValueDataBytes = 256;
}  // namespace

CComboBoxCom::CComboBoxCom(int useRegistry) {
  for (int i = 0; i < kMaxPorts; ++i) {
    m_portState[i] = useRegistry != 0 ? -1 : 0;
    m_portByIndex[i] = 0;
  }
  if (useRegistry != 0) ReadRegistry();
}

void CComboBoxCom::MarkPresent(int port) {
  if (port >= 1 && port <= kMaxPorts) m_portState[port - 1] = 0;
}

void CComboBoxCom::ReadRegistry() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  for (DWORD index = 0;; ++index) {
    char name[kValueNameChars];
    BYTE data[kValueDataBytes + 1] = {};
    DWORD nameChars = kValueNameChars;
    DWORD dataBytes = kValueDataBytes;
    DWORD type = 0;
    if (RegEnumValueA(key, index, name, &nameChars, nullptr, &type, data, &dataBytes) !=
        ERROR_SUCCESS)
      break;
    data[kValueDataBytes] = 0;
    // The data is the device name, such as COM7: the number follows its third character.
    const char* device = reinterpret_cast<const char*>(data);
    if (dataBytes > 3 && type == REG_SZ) MarkPresent(std::atoi(device + 3));
  }
  RegCloseKey(key);
}

int CComboBoxCom::Fill(int selectPort) {
  if (selectPort < 1 || selectPort > kMaxPorts) return 0;
  for (int port = 1; port <= kMaxPorts; ++port) {
    if (m_portState[port - 1] < 0 || m_count >= kMaxPorts) continue;
    char text[16];
    std::snprintf(text, sizeof text, "COM%d", port);
    AddString(text);
    m_portByIndex[m_count] = port;
    m_portState[port - 1] = m_count;
    ++m_count;
  }
  const int state = m_portState[selectPort - 1];
  SetCurSel(state >= 0 && state < m_count && m_portByIndex[state] == selectPort ? state : 0);
  return 1;
}

int CComboBoxCom::GetSelectedPort() const {
  const int sel = GetCurSel();
  if (sel < 0 || sel >= m_count) return 0;
  return m_portByIndex[sel];
}

}  // namespace k470
