// DeviceType: one entry of the device table: which chip driver to use, the chip's clock
// and boot bit rate, its flash size, and whether clock and bit rate may be changed.
#pragma once

#include <cstdint>
#include <string>

#include "boot/clock_field.h"  // ClockFitsField: the clocks a device type may have

namespace k470 {

constexpr int kDeviceIdH8_3069 = 0;   // BootH8_3069
constexpr int kDeviceIdH8_36077 = 1;  // BootH8_36077

// The bit rates a device type's writing may be changed to (the settings dialog's rate
// list, in its order, and k470 flash --bps).
constexpr int32_t kDeviceRatesBps[] = {9600, 19200, 38400, 57600};
constexpr int kDeviceRateCount = 4;

struct DeviceType {
  int32_t Id = 0;          // chip driver, kDeviceId...
  std::string Name;        // shown in the device list and the settings dialog's title
  int32_t ClkSelect = 0;   // non-zero: the clock may be changed
  int32_t BpsSelect = 0;   // non-zero: the bit rate may be changed
  int32_t Clk = 0;         // input clock in kHz; always ClockFitsField
  int32_t Bps = 0;         // boot-mode bit rate in bit/s
  int32_t RomSize = 0;     // flash size in bytes: the size of the write image
};

}  // namespace k470
