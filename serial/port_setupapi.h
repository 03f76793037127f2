// The Windows port list from what SetupAPI says of the devices of the Ports class, with
// the ports of the registry's serial device map as the fallback for ports no device of that
// class names (virtual ports, other drivers). The SetupAPI answers arrive as records, so
// that the merge can be checked with recorded answers away from Windows.
#pragma once

#include <string>
#include <vector>

#include "serial/port_names.h"

namespace k470 {

// One present device of the Ports class as SetupAPI describes it (texts in the program's
// own encoding; empty where SetupAPI gave nothing).
struct SetupApiPort {
  std::string portName;      // the "PortName" value of its device key: "COM7" (or "LPT1")
  std::string friendlyName;  // SPDRP_FRIENDLYNAME: "USB Serial Port (COM7)"
  std::string hardwareId;    // the first SPDRP_HARDWAREID: "USB\VID_1A86&PID_7523&REV_0264"
  std::string instanceId;    // its device instance id: "USB\VID_1A86&PID_7523\5&2A0B7F2&0&2"
  std::string parentId;      // its parent's device instance id
};

// The Ports class devices present (port_setupapi_win32.cpp).
std::vector<SetupApiPort> ReadPortsClass();

// The port list: every COM port that a device names or the device map lists, ascending
// by number, once each; `devicePath` gives the device opened for a number.
std::vector<PortEntry> MergePortLists(const std::vector<SetupApiPort>& devices,
                                      const std::vector<int>& serialCommPorts,
                                      std::string (*devicePath)(int));

}  // namespace k470
