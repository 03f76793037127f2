// DeviceType: one entry of the device table: which chip driver to use, the chip's clock
// and boot bit rate, its flash size, and whether clock and bit rate may be changed.
#pragma once

#include <cstdint>
#include <string>

#include "boot/boot_rates.h"   // kBootRatesBps: the rates a type's writing may have
#include "boot/clock_field.h"  // ClockFitsField: the clocks an H8/3069 type may have

namespace k470 {

constexpr int kDeviceIdH8_3069 = 0;   // BootH8_3069
constexpr int kDeviceIdH8_36077 = 1;  // BootH8_36077

// The largest flash a type may have: the write image's size. Both chips' flash fits it
// (the H8/3069F holds 512 KiB, the H8/36077 56 KiB); a larger value in the table is a
// typing error, refused before anything is sent rather than written in part.
constexpr int32_t kRomSizeMaxBytes = 0x80000;  // 512 KiB

struct DeviceType {
  int32_t Id = 0;          // chip driver, kDeviceId...
  std::string Section;     // the device table's section it was read from
  std::string Name;        // shown in the device list and the settings dialog's title
  int32_t ClkSelect = 0;   // non-zero: the clock may be changed
  int32_t BpsSelect = 0;   // non-zero: the bit rate may be changed
  int32_t Clk = 0;         // input clock in kHz
  int32_t Bps = 0;         // boot-mode bit rate in bit/s
  int32_t RomSize = 0;     // flash size in bytes: the size of the write image
};

// The key of `type` whose value is outside its range, or null when the type can be
// written: Id 0 or 1; RomSize 1 byte to kRomSizeMaxBytes; and where the bit rate and the clock are
// sent to the chip (Id 0, the H8/3069), Bps one of kBootRatesBps and a clock that the
// new-bit-rate frame carries (ClockFitsField).
const char* DeviceTypeFaultKey(const DeviceType& type);

// The message for a type that cannot be written (kTableValueOutOfRange: its section, then
// the key whose value is outside its range); empty when the type can be written.
std::string DeviceTypeFault(const DeviceType& type);

}  // namespace k470
