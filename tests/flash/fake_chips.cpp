// The fake chips' protocol sides, parsed from the host's bytes as they arrive.
#include "tests/flash/fake_chips.h"

#include <cstring>

namespace k470::test {

namespace {
uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
Bytes WithSum(Bytes frame) {
  uint8_t sum = 0;
  for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
  frame.push_back(static_cast<uint8_t>(0x100 - sum));
  return frame;
}
}  // namespace

void FakeChip::Attach(const std::shared_ptr<FakeChip>& chip) {
  FakeLine::Instance().SetResponder(
      [chip](const Bytes& written, uint32_t baud) { return chip->OnWrite(written, baud); });
}

bool FakeChip::Adjust(uint8_t b, uint32_t baud, uint8_t code, Bytes* answer) {
  if (m_confirmed) return false;
  if (answerOnlyAt != 0 && baud != answerOnlyAt) return true;  // garbage at this rate
  if (b == 0x00 && !m_locked) {
    m_locked = true;
    answer->push_back(0x00);
  } else if (b == 0x55 && m_locked) {
    m_confirmed = true;
    answer->push_back(code);
  }
  return true;
}

Bytes FakeH8_3069::OnWrite(const Bytes& written, uint32_t baud) {
  Bytes answer;
  for (uint8_t b : written) {
    if (Adjust(b, baud, 0xE6, &answer)) continue;
    m_pending.push_back(b);
    const uint8_t cmd = m_pending[0];
    size_t need = 1;
    if (cmd == 0x10 || cmd == 0x11 || cmd == 0x3F || cmd == 0x52) {
      need = m_pending.size() < 2 ? 2 : m_pending[1] + 3u;
    } else if (cmd == 0x50) {
      need = m_pending.size() < 5 ? 5 : (Be32(&m_pending[1]) == 0xFFFFFFFF ? 6 : 134);
    }
    if (m_pending.size() < need) continue;
    const Bytes frame = m_pending;
    m_pending.clear();
    switch (cmd) {
      case 0x20: {
        Bytes r = {0x30, 0x12, 0x01, 0x10, '3', '0', '6', '9'};
        for (char c : std::string("HD64F3069F20")) r.push_back(static_cast<uint8_t>(c));
        const Bytes full = WithSum(r);
        answer.insert(answer.end(), full.begin(), full.end());
        break;
      }
      case 0x21: { const Bytes r = WithSum({0x31, 0x02, 0x01, 0x00}); answer.insert(answer.end(), r.begin(), r.end()); break; }
      case 0x22: { const Bytes r = WithSum({0x32, 0x03, 0x01, 0x01, 0x01}); answer.insert(answer.end(), r.begin(), r.end()); break; }
      case 0x23: { const Bytes r = WithSum({0x33, 0x05, 0x01, 0x03, 0xE8, 0x07, 0xD0}); answer.insert(answer.end(), r.begin(), r.end()); break; }
      case 0x4B: {
        ++sumChecks;
        uint32_t sum = 0;
        for (uint8_t f : flash) sum += f;
        const Bytes r = WithSum({0x5B, 0x04, static_cast<uint8_t>(sum >> 24),
                                 static_cast<uint8_t>(sum >> 16), static_cast<uint8_t>(sum >> 8),
                                 static_cast<uint8_t>(sum)});
        answer.insert(answer.end(), r.begin(), r.end());
        break;
      }
      case 0x52: {  // read-back after a different sum (a flash larger than the type's ROM)
        const uint32_t address = Be32(&frame[3]);
        const uint32_t length = Be32(&frame[7]);
        Bytes r = {0x52, 0, 0, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
        r.insert(r.end(), flash.begin() + address, flash.begin() + address + length);
        r = WithSum(r);
        answer.insert(answer.end(), r.begin(), r.end());
        break;
      }
      case 0x3F:
        newRate = ((frame[2] << 8) | frame[3]) * 100u;
        answer.push_back(0x06);
        break;
      case 0x50: {
        const uint32_t address = Be32(&frame[1]);
        if (address == 0xFFFFFFFF) {
          ended = true;
          answer.push_back(0x06);
          break;
        }
        const int index = static_cast<int>(blocks.size());
        blocks.push_back(address);
        if (onBlock) onBlock(index);
        if (index == errorAtBlock) {
          answer.insert(answer.end(), {0xD0, 0x51});
          break;
        }
        if (address + 128 <= flash.size()) std::memcpy(&flash[address], &frame[5], 128);
        answer.push_back(0x06);
        break;
      }
      default:
        answer.push_back(0x06);
        break;
    }
  }
  return answer;
}

Bytes FakeH8_36077::OnWrite(const Bytes& written, uint32_t baud) {
  Bytes answer;
  for (uint8_t b : written) {
    if (Adjust(b, baud, 0xAA, &answer)) continue;
    if (!m_loaded) {
      answer.push_back(b);  // the boot program echoes the count and the program
      m_pending.push_back(b);
      if (m_count < 0 && m_pending.size() == 2) {
        m_count = (m_pending[0] << 8) | m_pending[1];
        m_pending.clear();
      } else if (m_count >= 0) {
        program.push_back(b);
        m_pending.clear();
      }
      if (m_count >= 0 && static_cast<int>(program.size()) == m_count) {
        m_loaded = true;
        answer.push_back(0xAA);
      }
      continue;
    }
    if (baud != 57600) continue;  // the write-control program listens at 57600 only
    m_pending.push_back(b);
    const uint8_t cmd = m_pending[0];
    if (cmd == 'A' && m_pending.size() < 135) continue;
    const Bytes frame = m_pending;
    m_pending.clear();
    if (cmd == 'S') {
      answer.push_back(0x05);
    } else if (cmd == 'E') {
      ended = true;
      answer.push_back(0x05);
    } else if (cmd == 'A') {
      const uint32_t address = Be32(&frame[1]);
      const int index = static_cast<int>(blocks.size());
      blocks.push_back(address);
      if (onBlock) onBlock(index);
      if (index == errorAtBlock) {
        answer.push_back(0x15);
        continue;
      }
      if (address + 128 <= flash.size()) std::memcpy(&flash[address], &frame[5], 128);
      answer.insert(answer.end(), {0x05, 0x05});
    }
  }
  return answer;
}

}  // namespace k470::test
