// The table of `k470 ports`: one line a port under a header, the columns aligned by the
// cells the texts fill on a terminal, "-" where the system knows nothing.
#pragma once

#include <string>
#include <vector>

#include "serial/port_names.h"

namespace k470::cli {

// "0403:6001"; empty when the port has no USB ids.
std::string UsbIdsText(const PortEntry& port);

// The whole table, each line ending in "\n"; empty when there are no ports. Texts from the
// system have their control characters escaped.
std::string PortTable(const std::vector<PortEntry>& ports);

}  // namespace k470::cli
