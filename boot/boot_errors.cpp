// Meanings of the boot programs' error codes.
#include "boot/boot_errors.h"

#include <cstdio>

namespace k470 {
namespace {

struct ErrorCode {
  uint8_t code;
  const char* meaning;
};

constexpr ErrorCode kBootErrors[] = {
    {0x11, "checksum error"},
    {0x12, "program size error"},
    {0x21, "device code mismatch"},
    {0x22, "clock mode mismatch"},
    {0x24, "bit rate cannot be selected"},
    {0x25, "input frequency out of range"},
    {0x26, "multiplication ratio out of range"},
    {0x27, "operating frequency out of range"},
    {0x28, "address error"},
    {0x29, "block number error"},
    {0x2A, "address error"},
    {0x2B, "data length error"},
    {0x51, "erasure error"},
    {0x52, "incomplete erasure"},
    {0x53, "programming error"},
    {0x54, "selection processing error"},
    {0x80, "command error"},
    {0xFF, "bit rate adjustment confirmation error"},
};

}  // namespace

std::string BootErrorMeaning(uint8_t code) {
  for (const ErrorCode& e : kBootErrors) {
    if (e.code == code) return e.meaning;
  }
  char text[32];
  std::snprintf(text, sizeof text, "unknown error code 0x%02X", code);
  return text;
}

std::string HexBytesText(const uint8_t* bytes, int count) {
  if (count <= 0) return "nothing";
  std::string text;
  char cell[4];
  for (int i = 0; i < count; ++i) {
    std::snprintf(cell, sizeof cell, i ? " %02X" : "%02X", bytes[i]);
    text += cell;
  }
  return text;
}

}  // namespace k470
