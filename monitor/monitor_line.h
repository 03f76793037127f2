// The board monitor's line: 38400 bit/s, 8 data bits, no parity, one stop bit. The RAM
// load page and the command-line tool open the port with it.
#pragma once

#include "serial/line_settings.h"

namespace k470 {

constexpr LineSettings kMonitorLine{38400, DataBits::kEight, Parity::kNone, StopBits::kOne};

}  // namespace k470
