// Motorola S-record text for the tests: one record with a correct checksum, or a run of
// data records over a block of bytes.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/fake_line.h"

namespace k470::test {

// Data bytes a record of SRecords holds (the last record of a block may hold fewer).
constexpr size_t kSRecordDataBytes = 32;

// One record line without its line end: "S<type>", the count, the address in the type's
// width (S1/S9 and S0/S5: 2 bytes, S2/S8: 3, S3/S7: 4), the data and the checksum.
std::string SRecord(int type, uint32_t address, const Bytes& data);

// Data records of `type` (1, 2 or 3) over `data` from `address`, kSRecordDataBytes a
// record, each line ended by `lineEnd`.
std::string SRecords(int type, uint32_t address, const Bytes& data,
                     const std::string& lineEnd = "\r\n");

}  // namespace k470::test
