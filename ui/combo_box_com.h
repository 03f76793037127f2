// CComboBoxCom: the main window's port box. Lists the serial ports present as COM1,
// COM3, ... in ascending port order, each followed by its description where the system
// has one ("COM7: USB Serial Port"); the box is editable, so that a port the list does not
// hold (a network port, a COM port not present yet) can be typed in. The list is read
// again when it is opened and when a device comes or goes, keeping the chosen port.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "serial/port_names.h"
#include "ui/wnd.h"

namespace k470 {

class CComboBoxCom : public CComboBox {
 public:
  static constexpr int kMaxPorts = 255;

  // useRegistry 0: every port 1..255 counts as present; otherwise the ports the system
  // lists (the Ports class devices and the registry's serial device map) are present.
  explicit CComboBoxCom(int useRegistry);
  ~CComboBoxCom() override = default;

  // Where the ports present come from in place of the system's list (tests); read at once.
  void SetPortSource(std::function<std::vector<PortEntry>()> source);

  // Lists the present ports and selects `selectPort` when listed, else the first entry.
  // Returns 0 (and lists nothing) when selectPort is outside 1..255.
  int Fill(int selectPort);

  // Reads the ports present again and lists them anew. The selected port stays selected
  // while it is present, else the first entry is; a name the user typed stays as typed,
  // and so does the text of a disabled box (its port is in use).
  void Refill();

  // A device came or went (the main window's WM_DEVICECHANGE): refills the list.
  void OnDeviceChange(WPARAM event);

  // Port number of the selected entry; 0 when nothing is selected.
  int GetSelectedPort() const;

  // The port as it is opened and named in messages: "COM<n>" for a listed entry (its
  // description aside), else the name typed (see PortBoxName).
  std::string GetSelectedPortName() const;

  // Records the port a connect or a write used; LastUsedPort is the last such COM port
  // of this run (0 when none was used or the port was no COM port).
  void NoteUsed(const std::string& portName);
  int LastUsedPort() const { return m_lastUsed; }

  // Marks port `port` present (1..255; other numbers are ignored), or every port absent.
  void MarkPresent(int port);
  void MarkAllAbsent();

  // The list being opened: it is read again first.
  bool OnChildNotify(int code) override;

 private:
  void ReadPorts();
  void List();
  void Select(int port);
  std::string EntryText(int port) const;
  // The port a text of the box stands for: a listed entry's text or a COM name listed.
  int ListedPortOf(const std::string& text) const;
  void FitDroppedWidth() const;

  bool m_useRegistry;
  std::function<std::vector<PortEntry>()> m_source;
  int m_portState[kMaxPorts];   // -1 absent; 0 present; after Fill: the list index
  int m_portByIndex[kMaxPorts]; // port number shown by list item i
  std::string m_description[kMaxPorts];
  int m_count = 0;
  int m_lastUsed = 0;
};

}  // namespace k470
