// CComPort: the operations built on the platform half's Open, Close, Read and Write, and
// the choice between the platform half and a network port's NetLink.
#include "serial/com_port.h"

#include <cstring>

#include "base/ticks.h"
#include "serial/net_port.h"

namespace k470 {

CComPort::~CComPort() { Close(); }

int CComPort::Open(const std::string& port) {
  return IsNetPortName(port) ? OpenNet(port) : OpenDevice(port);
}

int CComPort::OpenNet(const std::string& port) {
  NetAddress address;
  if (!ParseNetAddress(port, &address)) return OpenFailed(kTextBadNetAddress);
  std::string error;
  // The same address again: the connection stays, only the line changes.
  if (m_net != nullptr && port == m_name && !m_lost) {
    if (!m_net->SetLine(m_line, &error)) {
      if (m_net->Ended()) m_lost = true;
      return OpenFailed(error);
    }
    m_openError.clear();
    return 1;
  }
  Close();
  m_name = port;
  m_device.clear();
  NetLink* link = new NetLink;
  link->SetCancel(m_cancel);
  if (!link->Open(address, m_line, &error)) {
    delete link;
    return OpenFailed(error);
  }
  m_net = link;
  m_lost = false;
  m_openError.clear();
  return 1;
}

int CComPort::Reopen(const std::string& port, const LineSettings& line) {
  const bool keep = m_net != nullptr && port == m_name;
  if (!keep) Close();
  m_line = line;
  return Open(port);
}

int CComPort::ChangeLine(const LineSettings& line) {
  if (!IsOpen() || m_lost) return 0;
  if (m_net == nullptr) {
    if (!ChangeLineDevice(line)) return 0;
  } else {
    std::string error;
    if (!m_net->SetLine(line, &error)) {
      if (m_net->Ended()) m_lost = true;
      return OpenFailed(error);
    }
  }
  m_line = line;
  m_openError.clear();
  return 1;
}

void CComPort::Close() {
  delete m_net;
  m_net = nullptr;
  CloseDevice();
}

void CComPort::Purge() {
  if (m_net != nullptr) {
    m_net->Purge();
  } else {
    PurgeDevice();
  }
}

int CComPort::Read(uint8_t* buffer, int n) {
  if (m_net == nullptr) return ReadDevice(buffer, n);
  const int count = m_net->Read(buffer, n);
  if (count >= 0) return count;
  m_lost = true;
  return -1;
}

int CComPort::ReadWithin(uint8_t* buffer, int n, uint32_t waitMs) {
  if (m_net == nullptr) return ReadWithinDevice(buffer, n, waitMs);
  const int count = m_net->ReadWithin(buffer, n, waitMs);
  return count >= 0 ? count : kReadPortLost;
}

int CComPort::Write(const uint8_t* buffer, int n) {
  if (m_net == nullptr) return WriteDevice(buffer, n);
  if (m_lost) return 0;
  if (m_net->Write(buffer, n)) return 1;
  if (m_net->Ended()) m_lost = true;
  return 0;
}

int CComPort::ReadByte() {
  uint8_t b[2];
  return Read(b, 1) == 1 ? kByteArrived + b[0] : 0;
}

int CComPort::WaitRead(uint8_t* buffer, int n, uint32_t timeoutMs,
                       const std::atomic<int>* cancel) {
  if (!IsOpen() || m_lost) return kReadPortLost;
  const uint32_t start = TickCountMs();
  for (;;) {
    if (cancel != nullptr && cancel->load() != 0) return kReadCancelled;
    // The tick count moves in whole milliseconds: wait until more than `timeoutMs` have
    // passed, so that the wait is never shorter than asked.
    const uint32_t elapsed = TickCountMs() - start;
    const uint64_t left = elapsed > timeoutMs ? 0 : uint64_t{timeoutMs} - elapsed + 1;
    // One last look without waiting once the time is up: a byte that came with the
    // time-out still counts.
    const int count =
        ReadWithin(buffer, n, left < kCancelSliceMs ? static_cast<uint32_t>(left) : kCancelSliceMs);
    if (count == kReadPortLost) m_lost = true;
    if (count != 0) return count;
    if (left == 0) return kReadTimedOut;
  }
}

int CComPort::WaitReadByte(uint32_t timeoutMs, const std::atomic<int>* cancel) {
  uint8_t b[2];
  const int count = WaitRead(b, 1, timeoutMs, cancel);
  return count == 1 ? kByteArrived + b[0] : count;
}

int CComPort::OpenFailed(const std::string& reason) {
  m_openError = reason;
  return 0;
}

int CComPort::WriteByte(uint8_t b) { return Write(&b, 1); }

int CComPort::WriteString(const char* s) {
  if (s == nullptr) return 0;
  return Write(reinterpret_cast<const uint8_t*>(s), static_cast<int>(std::strlen(s)));
}

}  // namespace k470
