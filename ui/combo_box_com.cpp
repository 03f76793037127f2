// CComboBoxCom: ports from the registry's serial device map, listed as COM<n>.
#include "ui/combo_box_com.h"

#include <cstdio>

#include "serial/port_names.h"
#include "ui/shell_rules.h"

namespace k470 {

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

void CComboBoxCom::MarkAllAbsent() {
  for (int i = 0; i < kMaxPorts; ++i) m_portState[i] = -1;
}

void CComboBoxCom::ReadRegistry() {
  // The serial device map of the registry, read by the port list of the serial layer.
  for (const PortEntry& entry : EnumeratePorts()) MarkPresent(entry.number);
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

std::string CComboBoxCom::GetSelectedPortName() const {
  // The box is editable: what it shows (a listed entry or a typed name) is the port.
  return PortBoxName(GetWindowText(), GetSelectedPort());
}

}  // namespace k470
