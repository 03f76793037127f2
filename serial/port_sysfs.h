// What Linux's sysfs says of a serial device: the USB device it belongs to (ids, product,
// maker, serial number) or the driver of a built-in UART, and its stable link under
// /dev/serial/by-id/. Every path is read below a root folder, so that a copy of the trees
// can stand in for the system's ("" reads the system itself).
#pragma once

#include <string>

#include "serial/port_names.h"

namespace k470 {

constexpr char kByIdDir[] = "/dev/serial/by-id/";

// The name of the driver behind /dev/<name> ("serial8250", "ftdi_sio", "cdc_acm"); the
// port and controller devices that newer kernels put between a UART and its tty are passed
// over. Empty when no driver is bound.
std::string SysfsDriverName(const std::string& root, const std::string& name);

// Fills what sysfs knows of /dev/<name> into `entry` (description, USB ids, serial number,
// by-id path); leaves unknown fields as they are.
void DescribeSysfsPort(const std::string& root, const std::string& name, PortEntry* entry);

// The ports present below `root`: the numbered devices of <root>/dev/, described from
// <root>/sys/ (port_list_posix.cpp). Device paths are the system's, without the root.
std::vector<PortEntry> EnumeratePortsUnder(const std::string& root);

}  // namespace k470
