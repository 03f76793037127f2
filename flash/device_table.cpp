// The device table reader: the file is read once into memory, then pass 1 collects the section
// names listed under "Type" and pass 2 reads each section.
#include "flash/device_table.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "base/numbers.h"
#include "base/program_folder.h"
#include "flash/table_file.h"
#include "settings/iniacs.h"

namespace k470 {

namespace {

constexpr const char* kListSection = "Type";
constexpr const char* kListKeyFormat = "Type%d";

// A decimal integer as the profile functions read it (leading number, else 0; a stored
// -1 reads as absent, 0), but held to the int range instead of wrapping: 99999999999
// stays far too large rather than turning into another plausible size.
int32_t IntOrZero(iniacs& ini, const char* section, const char* key) {
  char text[kDeviceTableTextBytes];
  if (!ini.GetString(section, key, text, sizeof text)) return 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (value == kIniAbsent) return 0;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// "20" → 20000, "19.6608" → 19660: MHz text to kHz, truncated toward zero. A text that
// is no number, or a value outside the int range, gives 0.
int32_t ClockKhz(const char* text) {
  int32_t khz = 0;
  MhzToKhz(std::strtod(text, nullptr), &khz);
  return khz;
}

// The file at `path` read once into `bytes` (empty for a missing file); empty when it
// may be read, else why not.
std::string ReadTableBytes(const std::string& path, std::string* bytes) {
  std::string reason;
  switch (ReadTableFile(path, kDeviceTableMaxBytes, bytes, &reason)) {
    case TableFileKind::kMissing: bytes->clear(); return std::string();
    case TableFileKind::kNotRegular: return "not a regular file";
    case TableFileKind::kTooLarge: return "larger than 1 MiB";
    case TableFileKind::kFailed: return reason;
    case TableFileKind::kRegular: break;
  }
  return std::string();
}

}  // namespace

int ReadDeviceTableFile(const std::string& path, DeviceType table[kDeviceTableSize],
                        int* count, std::string* refusal) {
  *count = 0;
  // Checked and read once: every key below comes from this copy, so that a file changed
  // or replaced meanwhile (by a FIFO, by a larger file) is never read again.
  std::string bytes;
  const std::string refused = ReadTableBytes(path, &bytes);
  if (!refused.empty()) {
    if (refusal != nullptr) *refusal = refused;
    return kTableRefused;
  }
  iniacs ini;
  ini.SetText(bytes);
  char text[kDeviceTableTextBytes];

  std::string sections[kDeviceTableSize];
  int listed = 0;
  for (int n = 0; n < kDeviceTableSize; ++n) {
    char key[16];
    std::snprintf(key, sizeof key, kListKeyFormat, n);
    if (ini.GetString(kListSection, key, text, sizeof text)) sections[listed++] = text;
  }

  *count = listed;
  for (int i = 0; i < listed; ++i) {
    const char* section = sections[i].c_str();
    if (!ini.GetString(section, "Name", text, sizeof text)) {
      for (int k = i; k < listed; ++k) table[k].Name = sections[k];
      return kTableNameless;
    }
    DeviceType& type = table[i];
    type = DeviceType();
    type.Section = sections[i];
    type.Name = text;
    type.Id = IntOrZero(ini, section, "Id");
    type.Clk = ini.GetString(section, "Clk", text, sizeof text) ? ClockKhz(text) : 0;
    type.RomSize = IntOrZero(ini, section, "RomSize");
    type.Bps = IntOrZero(ini, section, "Bps");
    type.ClkSelect = IntOrZero(ini, section, "ClkSelect");
    type.BpsSelect = IntOrZero(ini, section, "BpsSelect");
  }
  return kTableRead;
}

int ReadDeviceTable(const std::string& folder, DeviceType table[kDeviceTableSize],
                    int* count, std::string* refusal) {
  return ReadDeviceTableFile(BinFilePath(folder, kDeviceTableFileName), table, count,
                             refusal);
}

}  // namespace k470
