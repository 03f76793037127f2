// CComboBoxCom: the ports the serial layer lists, shown as "COM<n>" or "COM<n>: <what it
// is>", read again when the list opens or a device comes or goes.
#include "ui/combo_box_com.h"

#include <dbt.h>

#include <algorithm>
#include <cstdio>

#include "ui/shell_rules.h"
#include "ui/wide_text.h"

namespace k470 {
namespace {

constexpr char kDescriptionSeparator[] = ": ";
constexpr int kDroppedMarginPx = 8;  // the list box's border and its items' inner space

}  // namespace

CComboBoxCom::CComboBoxCom(int useRegistry) : m_useRegistry(useRegistry != 0) {
  for (int i = 0; i < kMaxPorts; ++i) {
    m_portState[i] = m_useRegistry ? -1 : 0;
    m_portByIndex[i] = 0;
  }
  if (m_useRegistry) ReadPorts();
}

void CComboBoxCom::SetPortSource(std::function<std::vector<PortEntry>()> source) {
  m_source = std::move(source);
  m_useRegistry = true;
  ReadPorts();
}

void CComboBoxCom::MarkPresent(int port) {
  if (port >= 1 && port <= kMaxPorts) m_portState[port - 1] = 0;
}

void CComboBoxCom::MarkAllAbsent() {
  for (int i = 0; i < kMaxPorts; ++i) m_portState[i] = -1;
}

void CComboBoxCom::ReadPorts() {
  MarkAllAbsent();
  for (std::string& description : m_description) description.clear();
  for (const PortEntry& entry : m_source ? m_source() : EnumeratePorts()) {
    if (entry.number < 1 || entry.number > kMaxPorts) continue;
    MarkPresent(entry.number);
    m_description[entry.number - 1] = entry.description;
  }
}

std::string CComboBoxCom::EntryText(int port) const {
  const std::string name = "COM" + std::to_string(port);
  const std::string& description = m_description[port - 1];
  return description.empty() ? name : name + kDescriptionSeparator + description;
}

void CComboBoxCom::List() {
  ResetContent();
  m_count = 0;
  for (int port = 1; port <= kMaxPorts; ++port) {
    if (m_portState[port - 1] < 0 || m_count >= kMaxPorts) continue;
    AddString(EntryText(port).c_str());
    m_portByIndex[m_count] = port;
    m_portState[port - 1] = m_count;
    ++m_count;
  }
  FitDroppedWidth();
}

void CComboBoxCom::Select(int port) {
  const int state = port >= 1 && port <= kMaxPorts ? m_portState[port - 1] : -1;
  SetCurSel(state >= 0 && state < m_count && m_portByIndex[state] == port ? state : 0);
}

int CComboBoxCom::Fill(int selectPort) {
  if (selectPort < 1 || selectPort > kMaxPorts) return 0;
  List();
  Select(selectPort);
  return 1;
}

int CComboBoxCom::ListedPortOf(const std::string& text) const {
  for (int i = 0; i < m_count; ++i) {
    if (EntryText(m_portByIndex[i]) == text) return m_portByIndex[i];
  }
  const int named = ParsePortName(text);
  if (named == 0) return 0;
  const int index = m_portState[named - 1];
  return index >= 0 && index < m_count && m_portByIndex[index] == named ? named : 0;
}

void CComboBoxCom::Refill() {
  if (m_hWnd == nullptr) return;
  const std::string shown = GetWindowText();
  const int selected = ListedPortOf(shown);
  if (m_useRegistry) ReadPorts();
  const bool selectedStays = selected != 0 && m_portState[selected - 1] >= 0;
  const bool keepText = shown.find_first_not_of(" \t") != std::string::npos &&
                        (selected == 0 || (!selectedStays && !IsWindowEnabled()));
  List();
  if (keepText) {
    SetWindowText(shown);
    return;
  }
  Select(selectedStays ? selected : 0);
}

void CComboBoxCom::OnDeviceChange(WPARAM event) {
  // The event's data is not read: a port's arrival, its removal and the system's "device
  // tree changed" are all answered by reading the list again.
  if (event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE ||
      event == DBT_DEVNODES_CHANGED) {
    Refill();
  }
}

bool CComboBoxCom::OnChildNotify(int code) {
  if (code != CBN_DROPDOWN) return false;
  Refill();
  return true;
}

void CComboBoxCom::FitDroppedWidth() const {
  // A box narrower than its longest entry shows the whole entry in its open list.
  HDC dc = GetDC(m_hWnd);
  if (dc == nullptr) return;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
  int widest = 0;
  for (int i = 0; i < m_count; ++i) {
    const std::wstring text = Widen(EntryText(m_portByIndex[i]));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    widest = std::max(widest, static_cast<int>(size.cx));
  }
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);
  RECT box = {};
  GetWindowRect(m_hWnd, &box);
  const int width = widest + GetSystemMetrics(SM_CXVSCROLL) + kDroppedMarginPx;
  SendMessage(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::max<LONG>(width, box.right - box.left)));
}

int CComboBoxCom::GetSelectedPort() const {
  const int sel = GetCurSel();
  if (sel < 0 || sel >= m_count) return 0;
  return m_portByIndex[sel];
}

std::string CComboBoxCom::GetSelectedPortName() const {
  // The box is editable: what it shows (a listed entry or a typed name) is the port. An
  // entry's description belongs to the list, not to the port's name.
  const std::string shown = GetWindowText();
  const size_t separator = shown.find(kDescriptionSeparator);
  if (separator != std::string::npos && ParsePortName(shown.substr(0, separator)) != 0) {
    return PortBoxName(shown.substr(0, separator), GetSelectedPort());
  }
  return PortBoxName(shown, GetSelectedPort());
}

void CComboBoxCom::NoteUsed(const std::string& portName) {
  const int port = ParsePortName(portName);
  if (port != 0) m_lastUsed = port;
}

}  // namespace k470
