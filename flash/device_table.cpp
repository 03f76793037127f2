// The device table reader: pass 1 collects the section names listed under "Type", pass 2
// reads each section.
#include "flash/device_table.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "flash/program_folder.h"
#include "settings/iniacs.h"

namespace k470 {

namespace {

constexpr const char* kListSection = "Type";
constexpr const char* kListKeyFormat = "Type%d";
constexpr double kKhzPerMhz = 1000.0;

// GetInt's "absent" (-1) counts as 0.
int32_t IntOrZero(iniacs& ini, const char* section, const char* key) {
  const int32_t value = ini.GetInt(section, key);
  return value == -1 ? 0 : value;
}

// "20" → 20000, "19.6608" → 19660: MHz text to kHz, truncated toward zero. A text that
// is no number, or a value outside the int range, gives 0.
int32_t ClockKhz(const char* text) {
  const double khz = std::strtod(text, nullptr) * kKhzPerMhz;
  if (!(khz > static_cast<double>(INT_MIN) && khz < static_cast<double>(INT_MAX))) return 0;
  return static_cast<int32_t>(khz);
}

}  // namespace

int ReadDeviceTableFile(const std::string& path, DeviceType table[kDeviceTableSize],
                        int* count, std::vector<std::string>* badClock) {
  iniacs ini;
  ini.SetFile(path, 0);
  char text[kDeviceTableTextBytes];

  std::string sections[kDeviceTableSize];
  int listed = 0;
  for (int n = 0; n < kDeviceTableSize; ++n) {
    char key[16];
    std::snprintf(key, sizeof key, kListKeyFormat, n);
    if (ini.GetString(kListSection, key, text, sizeof text)) sections[listed++] = text;
  }

  int kept = 0;
  for (int i = 0; i < listed; ++i) {
    const char* section = sections[i].c_str();
    if (!ini.GetString(section, "Name", text, sizeof text)) {
      for (int k = i; k < listed; ++k) table[kept + k - i].Name = sections[k];
      *count = kept + listed - i;
      return 0;
    }
    DeviceType type;
    type.Name = text;
    type.Id = IntOrZero(ini, section, "Id");
    type.Clk = ini.GetString(section, "Clk", text, sizeof text) ? ClockKhz(text) : 0;
    type.RomSize = IntOrZero(ini, section, "RomSize");
    type.Bps = IntOrZero(ini, section, "Bps");
    type.ClkSelect = IntOrZero(ini, section, "ClkSelect");
    type.BpsSelect = IntOrZero(ini, section, "BpsSelect");
    if (!ClockFitsField(type.Clk)) {
      if (badClock != nullptr) badClock->push_back(sections[i]);
      continue;
    }
    table[kept++] = type;
  }
  *count = kept;
  return 1;
}

int ReadDeviceTable(const std::string& folder, DeviceType table[kDeviceTableSize],
                    int* count, std::vector<std::string>* badClock) {
  return ReadDeviceTableFile(BinFilePath(folder, kDeviceTableFileName), table, count,
                             badClock);
}

std::string TableClockMessage(const std::string& section) {
  char message[kDeviceTableTextBytes + 64];
  std::snprintf(message, sizeof message, kTextTableClockFormat, section.c_str());
  return message;
}

}  // namespace k470
