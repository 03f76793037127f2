// NetLink: a network port's connection, its telnet negotiation and its data queue.
#include "serial/net_port.h"

#include <cctype>
#include <cstdlib>

#include "base/cancel_slice.h"
#include "base/ticks.h"

namespace k470 {
namespace {

constexpr char kTelnetPrefix[] = "rfc2217://";
constexpr char kRawPrefix[] = "socket://";
constexpr long kLastTcpPort = 65535;

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool IsTcpPort(const std::string& text) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  const long n = std::strtol(text.c_str(), nullptr, 10);
  return n >= 1 && n <= kLastTcpPort;
}

uint32_t Bit(uint8_t command) { return uint32_t{1} << command; }

// The options this client is willing to use: binary in both directions (bytes are never
// translated), no go-ahead signals, and the COM port option on its own side.
bool WantsServerOption(uint8_t option) {
  return option == rfc2217::kOptionBinary || option == rfc2217::kOptionSuppressGoAhead;
}
bool WantsOwnOption(uint8_t option) {
  return option == rfc2217::kOptionBinary || option == rfc2217::kOptionSuppressGoAhead ||
         option == rfc2217::kOptionComPort;
}

}  // namespace

bool IsNetPortName(const std::string& text) {
  return StartsWithNoCase(text, kTelnetPrefix) || StartsWithNoCase(text, kRawPrefix);
}

bool IsRawNetPortName(const std::string& text) { return StartsWithNoCase(text, kRawPrefix); }

bool ParseNetAddress(const std::string& text, NetAddress* address) {
  NetAddress parsed;
  std::string rest;
  if (StartsWithNoCase(text, kTelnetPrefix)) {
    parsed.telnet = true;
    rest = text.substr(sizeof kTelnetPrefix - 1);
  } else if (StartsWithNoCase(text, kRawPrefix)) {
    rest = text.substr(sizeof kRawPrefix - 1);
  } else {
    return false;
  }
  size_t colon;
  if (!rest.empty() && rest[0] == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
      return false;
    }
    parsed.host = rest.substr(1, close - 1);
    colon = close + 1;
  } else {
    colon = rest.find(':');
    if (colon == std::string::npos || rest.find(':', colon + 1) != std::string::npos) {
      return false;  // an IPv6 address must be in brackets
    }
    parsed.host = rest.substr(0, colon);
  }
  parsed.service = rest.substr(colon + 1);
  if (parsed.host.empty() || !IsTcpPort(parsed.service)) return false;
  for (char c : parsed.host) {
    if (std::isspace(static_cast<unsigned char>(c)) || c == '/') return false;
  }
  *address = parsed;
  return true;
}

NetLink::~NetLink() { NetClose(m_socket); }

int NetLink::Open(const NetAddress& address, const LineSettings& line, std::string* error) {
  const NetSocket socket =
      NetConnect(address.host, address.service, kConnectTimeoutMs, m_cancel, error);
  if (socket == kNoSocket) {
    if (Cancelled()) *error = kTextOpenCancelled;
    return 0;
  }
  return OpenConnected(socket, address.telnet, line, error);
}

int NetLink::OpenConnected(NetSocket socket, bool telnet, const LineSettings& line,
                           std::string* error) {
  m_socket = socket;
  m_telnet = telnet;
  if (!m_telnet) return 1;

  std::vector<uint8_t> offer;
  rfc2217::AppendOption(rfc2217::kWill, rfc2217::kOptionComPort, &offer);
  rfc2217::AppendOption(rfc2217::kWill, rfc2217::kOptionBinary, &offer);
  rfc2217::AppendOption(rfc2217::kDo, rfc2217::kOptionBinary, &offer);
  m_sentWill.set(rfc2217::kOptionComPort);
  m_sentWill.set(rfc2217::kOptionBinary);
  m_sentDo.set(rfc2217::kOptionBinary);
  if (!Send(offer)) {
    *error = kTextConnectionClosed;
    return 0;
  }
  // The server's negotiation is read within the answer time and up to a bounded amount,
  // whatever it sends.
  const uint32_t start = TickCountMs();
  while (!m_comPortAgreed && !m_comPortRefused) {
    if (Cancelled()) {
      *error = kTextOpenCancelled;
      return 0;
    }
    const uint32_t elapsed = TickCountMs() - start;
    const bool timeUp = elapsed >= kAnswerTimeoutMs;
    if (m_commandBytes > kNegotiationLimitBytes) {
      *error = kTextNegotiationFlood;
      return 0;
    }
    // The server's answer that has come is read before the time is found up.
    const uint32_t left = timeUp ? 0 : kAnswerTimeoutMs - elapsed;
    if (!Pump(left < kCancelSliceMs ? left : kCancelSliceMs)) {
      *error = kTextConnectionClosed;
      return 0;
    }
    if (timeUp) break;
  }
  if (!m_comPortAgreed) {
    *error = kTextNoComPortControl;
    return 0;
  }
  // No flow control, DTR and RTS inactive (boards wire them to reset and boot-mode
  // pins). A line without modem lines (a pseudo-terminal) may leave these unanswered,
  // so nothing waits for their answers.
  std::vector<uint8_t> control;
  for (uint8_t value : {rfc2217::kControlNoFlowControl, rfc2217::kControlDtrOff,
                        rfc2217::kControlRtsOff}) {
    rfc2217::AppendCommand(rfc2217::kSetControl, &value, 1, &control);
  }
  if (!Send(control)) {
    *error = kTextConnectionClosed;
    return 0;
  }
  return SetLine(line, error);
}

int NetLink::SetLine(const LineSettings& line, std::string* error) {
  if (!m_telnet) return 1;
  std::vector<uint8_t> settings;
  if (!rfc2217::AppendLineSettings(line, &settings)) {
    *error = kTextBadLineSettings;
    return 0;
  }
  const uint32_t asked = Bit(rfc2217::kSetBaudrate) | Bit(rfc2217::kSetDatasize) |
                         Bit(rfc2217::kSetParity) | Bit(rfc2217::kSetStopsize);
  m_answered &= ~asked;
  if (!Send(settings) || !AwaitAnswers(asked)) {
    *error = m_ended ? kTextConnectionClosed : Cancelled() ? kTextOpenCancelled : kTextNoAnswer;
    return 0;
  }
  return 1;
}

void NetLink::Purge() {
  Discard();
  if (!m_telnet) {
    Pump(0);  // what the socket already holds arrived before the purge
    Discard();
    return;
  }
  const uint8_t which = rfc2217::kPurgeReceiveBuffer;
  std::vector<uint8_t> purge;
  rfc2217::AppendCommand(rfc2217::kPurgeData, &which, 1, &purge);
  m_answered &= ~Bit(rfc2217::kPurgeData);
  m_purging = true;
  // A server that does not answer leaves the purge to this side alone.
  if (!Send(purge) || !AwaitAnswers(Bit(rfc2217::kPurgeData))) Discard();
  m_purging = false;
}

int NetLink::Read(uint8_t* buffer, int n) {
  if (m_head == m_queue.size()) Pump(0);
  if (m_head == m_queue.size()) {
    buffer[0] = 0;
    return m_ended ? kNetClosed : 0;
  }
  size_t count = m_queue.size() - m_head;
  if (n <= 0) count = 0;
  if (count > static_cast<size_t>(n)) count = static_cast<size_t>(n);
  for (size_t i = 0; i < count; ++i) buffer[i] = m_queue[m_head + i];
  buffer[count] = 0;
  m_head += count;
  if (m_head == m_queue.size()) {
    m_queue.clear();
    m_head = 0;
  }
  return static_cast<int>(count);
}

int NetLink::ReadWithin(uint8_t* buffer, int n, uint32_t waitMs) {
  if (m_head == m_queue.size() && !m_ended) Pump(waitMs);
  return Read(buffer, n);
}

int NetLink::Write(const uint8_t* buffer, int n) {
  if (m_ended || n < 0) return 0;
  if (!m_telnet) {
    if (NetSend(m_socket, buffer, n, kSendStallTimeoutMs)) return 1;
    m_ended = true;
    return 0;
  }
  std::vector<uint8_t> encoded;
  encoded.reserve(static_cast<size_t>(n) + 16);
  rfc2217::AppendData(buffer, n, &encoded);
  return Send(encoded) ? 1 : 0;
}

bool NetLink::Pump(uint32_t waitMs) {
  if (m_ended) return false;
  if (waitMs > 0) {
    const int ready = NetWaitReadable(m_socket, waitMs);
    if (ready == kNetClosed) {
      m_ended = true;
      return false;
    }
    if (ready == 0) return true;
  }
  uint8_t chunk[kReceiveChunkBytes];
  size_t taken = 0;
  while (m_queue.size() - m_head < kQueueBytes && taken < kPumpBudgetBytes) {
    const int count = NetReceive(m_socket, chunk, kReceiveChunkBytes);
    if (count == 0) break;
    if (count == kNetClosed) {
      m_ended = true;
      return false;
    }
    taken += static_cast<size_t>(count);
    if (!m_telnet) {
      m_queue.insert(m_queue.end(), chunk, chunk + count);
      continue;
    }
    for (int i = 0; i < count; ++i) {
      const rfc2217::Event event = m_parser.Take(chunk[i]);
      if (event != rfc2217::Event::kData) ++m_commandBytes;
      Handle(event);
    }
  }
  return true;
}

void NetLink::Handle(rfc2217::Event event) {
  switch (event) {
    case rfc2217::Event::kNone:
      return;
    case rfc2217::Event::kData:
      if (!m_purging) m_queue.push_back(m_parser.data());
      return;
    case rfc2217::Event::kOption:
      AnswerOption(m_parser.verb(), m_parser.option());
      return;
    case rfc2217::Event::kCommand: {
      const uint8_t command = m_parser.command();
      if (command < rfc2217::kServerOffset) return;
      const uint8_t asked = static_cast<uint8_t>(command - rfc2217::kServerOffset);
      if (asked > rfc2217::kLastCommand) return;
      m_answered |= Bit(asked);
      if (asked == rfc2217::kPurgeData) m_purging = false;
      return;
    }
  }
}

void NetLink::AnswerOption(uint8_t verb, uint8_t option) {
  // Each option is agreed to once and refused once: a server that offers the same option
  // again and again gets no answer more, so what this side sends stays bounded. Nothing
  // answers WONT or DONT, so no two sides loop.
  std::vector<uint8_t> answer;
  if (verb == rfc2217::kWill) {
    if (!WantsServerOption(option)) {
      if (!m_refusedWill.test(option)) rfc2217::AppendOption(rfc2217::kDont, option, &answer);
      m_refusedWill.set(option);
    } else if (!m_sentDo.test(option)) {
      m_sentDo.set(option);
      rfc2217::AppendOption(rfc2217::kDo, option, &answer);
    }
  } else if (verb == rfc2217::kDo) {
    if (option == rfc2217::kOptionComPort) m_comPortAgreed = true;
    if (!WantsOwnOption(option)) {
      if (!m_refusedDo.test(option)) rfc2217::AppendOption(rfc2217::kWont, option, &answer);
      m_refusedDo.set(option);
    } else if (!m_sentWill.test(option)) {
      m_sentWill.set(option);
      rfc2217::AppendOption(rfc2217::kWill, option, &answer);
    }
  } else if (verb == rfc2217::kDont && option == rfc2217::kOptionComPort) {
    m_comPortRefused = true;
  }
  if (!answer.empty()) Send(answer);
}

bool NetLink::Send(const std::vector<uint8_t>& bytes) {
  if (m_ended) return false;
  if (NetSend(m_socket, bytes.data(), static_cast<int>(bytes.size()), kSendStallTimeoutMs)) {
    return true;
  }
  m_ended = true;
  return false;
}

bool NetLink::AwaitAnswers(uint32_t commands) {
  const uint32_t start = TickCountMs();
  while ((m_answered & commands) != commands) {
    if (Cancelled()) return false;
    // What has come is taken before the time-out is decided: a program stopped for longer
    // than the answer time finds the answers that came meanwhile.
    const uint32_t elapsed = TickCountMs() - start;
    const bool timeUp = elapsed >= kAnswerTimeoutMs;
    const uint32_t left = timeUp ? 0 : kAnswerTimeoutMs - elapsed;
    if (!Pump(left < kCancelSliceMs ? left : kCancelSliceMs)) return false;
    if (timeUp) return (m_answered & commands) == commands;
  }
  return true;
}

void NetLink::Discard() {
  m_queue.clear();
  m_head = 0;
}

}  // namespace k470
