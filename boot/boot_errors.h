// The error codes of the H8 boot programs' error replies (the command byte with bit 7 set,
// then the code), with their meaning as the chips' hardware manuals list them.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

// "input frequency out of range" for 0x25; "unknown error code 0x5E" for a code the
// manuals do not list.
std::string BootErrorMeaning(uint8_t code);

// Bytes as upper-case hex pairs separated by blanks ("BF 25"); "nothing" for none.
std::string HexBytesText(const uint8_t* bytes, int count);

}  // namespace k470
