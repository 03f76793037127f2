// The values of the device settings dialog: the four bit rates of its rate list and the
// clock field's MHz turned into the device table's kHz.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/numbers.h"
#include "flash/device_type.h"

namespace k470 {

// The rate list's items are the boot rates (kBootRatesBps), in that order.

// The list index of a bit rate; 0 for a rate that is not in the list (and for 0).
inline int FsetRateIndex(int32_t bps) {
  const int index = BootRateIndex(bps);
  return index < 0 ? 0 : index;
}

// MHz as kHz, truncated toward zero (19.6608 gives 19660). A pasted "inf" or a huge
// number is held at the ends of the 32-bit range; "nan" gives 0.
inline int32_t FsetClockKhz(double mhz) {
  int32_t khz = 0;
  if (MhzToKhz(mhz, &khz) || std::isnan(mhz)) return khz;
  return mhz > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
}

}  // namespace k470
