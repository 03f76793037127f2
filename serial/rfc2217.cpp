// The COM port control option's encoder and the byte-at-a-time receive parser.
#include "serial/rfc2217.h"

namespace k470::rfc2217 {
namespace {

// The wire values, in the order of the settings' lists.
constexpr uint8_t kDatasizeValues[] = {5, 6, 7, 8};
constexpr uint8_t kParityValues[] = {1, 2, 3, 4, 5};
constexpr uint8_t kStopsizeValues[] = {1, 3, 2};

}  // namespace

void AppendData(const uint8_t* data, int n, std::vector<uint8_t>* out) {
  for (int i = 0; i < n; ++i) {
    out->push_back(data[i]);
    if (data[i] == kIac) out->push_back(kIac);
  }
}

void AppendOption(uint8_t verb, uint8_t option, std::vector<uint8_t>* out) {
  out->push_back(kIac);
  out->push_back(verb);
  out->push_back(option);
}

void AppendCommand(uint8_t command, const uint8_t* value, int n, std::vector<uint8_t>* out) {
  out->push_back(kIac);
  out->push_back(kSb);
  out->push_back(kOptionComPort);
  out->push_back(command);
  AppendData(value, n, out);
  out->push_back(kIac);
  out->push_back(kSe);
}

bool AppendLineSettings(const LineSettings& line, std::vector<uint8_t>* out) {
  const uint32_t baud = line.baud;
  uint8_t size = 0;
  uint8_t parity = 0;
  uint8_t stopsize = 0;
  // A rate of 0 asks the server for its current rate instead of setting one.
  if (baud == 0 || !CodeOf(line.dataBits, kDatasizeValues, &size) ||
      !CodeOf(line.parity, kParityValues, &parity) ||
      !CodeOf(line.stopBits, kStopsizeValues, &stopsize)) {
    return false;
  }
  const uint8_t rate[4] = {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16),
                           static_cast<uint8_t>(baud >> 8), static_cast<uint8_t>(baud)};
  AppendCommand(kSetBaudrate, rate, 4, out);
  AppendCommand(kSetDatasize, &size, 1, out);
  AppendCommand(kSetParity, &parity, 1, out);
  AppendCommand(kSetStopsize, &stopsize, 1, out);
  return true;
}

Event Parser::Take(uint8_t b) {
  switch (m_state) {
    case State::kData:
      if (b == kIac) {
        m_state = State::kIac;
        return Event::kNone;
      }
      m_data = b;
      return Event::kData;
    case State::kIac:
      if (b == kIac) {  // a doubled 0xFF is one data byte
        m_state = State::kData;
        m_data = b;
        return Event::kData;
      }
      if (b == kSb) {
        m_state = State::kSub;
        m_subLength = 0;
        m_subCut = false;
        return Event::kNone;
      }
      if (b >= kWill && b <= kDont) {
        m_verb = b;
        m_state = State::kVerb;
        return Event::kNone;
      }
      m_state = State::kData;  // NOP, GA and the like carry nothing for the line
      return Event::kNone;
    case State::kVerb:
      m_option = b;
      m_state = State::kData;
      return Event::kOption;
    case State::kSub:
      if (b == kIac) {
        m_state = State::kSubIac;
        return Event::kNone;
      }
      break;
    case State::kSubIac:
      if (b == kSe) {
        m_state = State::kData;
        return EndSub();
      }
      m_state = State::kSub;
      if (b != kIac) return Event::kNone;  // not valid inside a subnegotiation: dropped
      break;
  }
  // A byte of the subnegotiation's body.
  if (m_subLength < kSubBytes) {
    m_sub[m_subLength++] = b;
  } else {
    m_subCut = true;
  }
  return Event::kNone;
}

Event Parser::EndSub() {
  if (m_subCut || m_subLength < 2 || m_sub[0] != kOptionComPort) return Event::kNone;
  return Event::kCommand;
}

}  // namespace k470::rfc2217
