// CComPort: the operations built on the platform half's Open, Close, Read and Write.
#include "serial/com_port.h"

#include <cstring>

#include "jobs/ticks.h"

namespace k470 {

CComPort::~CComPort() { Close(); }

int CComPort::Reopen(const std::string& port, uint32_t baud, int byteSize, int parity,
                     int stopBits) {
  Close();
  m_baud = baud;
  m_byteSize = byteSize;
  m_parity = parity;
  m_stopBits = stopBits;
  return Open(port);
}

int CComPort::ReadByte() {
  uint8_t b[2];
  return Read(b, 1) == 1 ? kByteArrived + b[0] : 0;
}

int CComPort::WaitRead(uint8_t* buffer, int n, uint32_t timeoutMs,
                       const std::atomic<int>* cancel) {
  if (m_handle == kClosed || m_lost) return kReadPortLost;
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
        ReadWithin(buffer, n, left < kWaitSliceMs ? static_cast<uint32_t>(left) : kWaitSliceMs);
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
