// fuzz_devtable: arbitrary contents of the device table file. Checks: no crash and no
// out-of-bounds access, at most 25 types, every type has a name that fits the reader's
// 256-byte text and holds no line end (a table given up at a type without a name still
// lists that type by its section name), and every type of a table read in full has a
// clock that the chip's new-bit-rate frame can carry.
#include <cstdint>
#include <string>
#include <vector>

#include "flash/device_table.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace k470;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = k470::fuzz::ScratchPath("fuzz_devtable_fw.dat");
  k470::fuzz::WriteFile(path, data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);

  DeviceType table[kDeviceTableSize];
  int count = -1;
  std::string refusal;
  const int complete = ReadDeviceTableFile(path, table, &count, &refusal);
  FUZZ_CHECK(complete == kTableNameless || complete == kTableRead ||
                 (complete == kTableRefused && size > kDeviceTableMaxBytes),
             "result neither read nor nameless");
  FUZZ_CHECK(count >= 0 && count <= kDeviceTableSize, "type count out of range");
  for (int i = 0; i < count; ++i) {
    const DeviceType& type = table[i];
    const std::string which = "type " + std::to_string(i);
    // Every listed type has a name: its own, or while the table is incomplete, its
    // section's name from the list.
    FUZZ_CHECK(!type.Name.empty(), which + " has no name");
    FUZZ_CHECK(type.Name.size() < static_cast<size_t>(kDeviceTableTextBytes),
               which + "'s name is longer than the reader's text");
    FUZZ_CHECK(type.Name.find_first_of("\r\n") == std::string::npos,
               which + "'s name holds a line end");
    // A type the write may take holds values its driver can send.
    if (complete == kTableRead && DeviceTypeFaultKey(type) == nullptr) {
      FUZZ_CHECK(type.Id == kDeviceIdH8_36077 || ClockFitsField(type.Clk),
                 which + "'s clock does not fit");
      FUZZ_CHECK(type.RomSize > 0, which + "'s ROM size is not positive");
    }
  }
  return 0;
}
