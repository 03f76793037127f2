// CComboBoxCom: the main window's port box. Lists the serial ports present as COM1,
// COM3, ... in ascending port order; the box is editable, so that a port the list does not
// hold (a network port, a COM port not present yet) can be typed in.
#pragma once

#include <string>

#include "ui/wnd.h"

namespace k470 {

class CComboBoxCom : public CComboBox {
 public:
  static constexpr int kMaxPorts = 255;

  // useRegistry 0: every port 1..255 counts as present; otherwise the ports listed in
  // the registry's serial device map are present.
  explicit CComboBoxCom(int useRegistry);
  ~CComboBoxCom() override = default;

  // Lists the present ports and selects `selectPort` when listed, else the first entry.
  // Returns 0 (and lists nothing) when selectPort is outside 1..255.
  int Fill(int selectPort);

  // Port number of the selected entry; 0 when nothing is selected.
  int GetSelectedPort() const;

  // The port as it is opened and named in messages: the box's text (a listed "COM<n>" or
  // a typed name, see PortBoxName).
  std::string GetSelectedPortName() const;

  // Marks port `port` present (1..255; other numbers are ignored), or every port absent.
  void MarkPresent(int port);
  void MarkAllAbsent();

 private:
  void ReadRegistry();

  int m_portState[kMaxPorts];   // -1 absent; 0 present; after Fill: the list index
  int m_portByIndex[kMaxPorts]; // port number shown by list item i
  int m_count = 0;
};

}  // namespace k470
