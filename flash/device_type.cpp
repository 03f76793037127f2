// DeviceType: the ranges a type's values must keep to be written.
#include "flash/device_type.h"

#include "base/fill_text.h"
#include "base/texts.h"

namespace k470 {

const char* DeviceTypeFaultKey(const DeviceType& type) {
  if (type.Id != kDeviceIdH8_3069 && type.Id != kDeviceIdH8_36077) return "Id";
  if (type.RomSize < 1 || type.RomSize > kRomSizeMaxBytes) return "RomSize";
  if (type.Id == kDeviceIdH8_3069) {
    if (BootRateIndex(type.Bps) < 0) return "Bps";
    if (!ClockFitsField(type.Clk)) return "Clk";
  }
  return nullptr;
}

std::string DeviceTypeFault(const DeviceType& type) {
  const char* key = DeviceTypeFaultKey(type);
  if (key == nullptr) return std::string();
  return FillText(Text(TextId::kTableValueOutOfRange),
                  {type.Section.empty() ? type.Name : type.Section, key});
}

}  // namespace k470
