// Line settings from plain numbers for the tests' tables: the data bits, then the parity
// and the stop bits by their place in their lists (0: none, one). A number outside a list
// gives a setting no line takes.
#pragma once

#include "serial/line_settings.h"

namespace k470 {

inline LineSettings LineOf(uint32_t baud, int dataBits, int parity, int stopBits) {
  return LineSettings{baud, static_cast<DataBits>(dataBits), static_cast<Parity>(parity),
                      static_cast<StopBits>(stopBits)};
}

}  // namespace k470
