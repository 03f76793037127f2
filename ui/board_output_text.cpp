// BoardOutputText: line ends, control bytes and split characters of the board's output.
#include "ui/board_output_text.h"

#include <cstdint>
#include <cstdio>

#include "base/mbcs.h"

namespace k470 {
namespace {
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kTab = 0x09;
constexpr uint8_t kDel = 0x7F;
constexpr uint8_t kFirstPrintable = 0x20;
}  // namespace

void BoardOutputText::Reset() {
  m_afterCr = false;
  m_lead.clear();
}

std::string BoardOutputText::Render(const std::string& bytes) {
  std::string shown;
  shown.reserve(bytes.size() + bytes.size() / 8);
  for (const char c : bytes) {
    const uint8_t b = static_cast<uint8_t>(c);
    if (!m_lead.empty()) {
      // The second byte of a two-byte character; a line end or control byte instead
      // leaves the lead byte alone (it shows as what the code page makes of it).
      if (b >= kFirstPrintable && b != kDel) {
        shown += m_lead;
        shown += c;
        m_lead.clear();
        continue;
      }
      shown += m_lead;
      m_lead.clear();
    }
    const bool afterCr = m_afterCr;
    m_afterCr = b == kCr;
    if (b == kCr) {
      shown += "\r\n";
    } else if (b == kLf) {
      if (!afterCr) shown += "\r\n";
    } else if (b == kTab) {
      shown += c;
    } else if (b < kFirstPrintable || b == kDel) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", b);
      shown += hex;
    } else if (IsMbcsLead(b)) {
      m_lead.assign(1, c);
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace k470
