// S-record text: the checksum is the ones' complement of the sum of count, address and data.
#include "tests/support/srecords.h"

#include <algorithm>
#include <cstdio>

namespace k470::test {
namespace {

int AddressBytes(int type) {
  switch (type) {
    case 2: case 8: return 3;
    case 3: case 7: return 4;
    default: return 2;
  }
}

}  // namespace

std::string SRecord(int type, uint32_t address, const Bytes& data) {
  const int width = AddressBytes(type);
  Bytes body = {static_cast<uint8_t>(width + data.size() + 1)};
  for (int i = width - 1; i >= 0; --i) body.push_back(static_cast<uint8_t>(address >> (8 * i)));
  body.insert(body.end(), data.begin(), data.end());
  unsigned sum = 0;
  char cell[4];
  std::string line = "S" + std::to_string(type);
  for (uint8_t b : body) {
    sum += b;
    std::snprintf(cell, sizeof cell, "%02X", b);
    line += cell;
  }
  std::snprintf(cell, sizeof cell, "%02X", 0xFF - (sum & 0xFF));
  return line + cell;
}

std::string SRecords(int type, uint32_t address, const Bytes& data, const std::string& lineEnd) {
  std::string text;
  for (size_t at = 0; at < data.size(); at += kSRecordDataBytes) {
    const size_t n = std::min(kSRecordDataBytes, data.size() - at);
    const Bytes piece(data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
    text += SRecord(type, address + static_cast<uint32_t>(at), piece) + lineEnd;
  }
  return text;
}

}  // namespace k470::test
