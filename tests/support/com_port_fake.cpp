// CComPort for unit tests: every port is the one scripted FakeLine.
#include <cstring>

#include "serial/com_port.h"
#include "tests/support/fake_line.h"

namespace k470 {

using test::FakeLine;

CComPort::~CComPort() { Close(); }

int CComPort::Open(int port) {
  if (port < 1 || port > 255) return 0;
  if (!FakeLine::Instance().OnOpen(m_baud)) return 0;
  m_handle = 1;
  return 1;
}

int CComPort::Reopen(int port, uint32_t baud, int byteSize, int parity, int stopBits) {
  Close();
  m_baud = baud;
  m_byteSize = byteSize;
  m_parity = parity;
  m_stopBits = stopBits;
  return Open(port);
}

void CComPort::Close() {
  if (m_handle != kClosed) FakeLine::Instance().OnClose();
  m_handle = kClosed;
}

void CComPort::Purge() {
  if (m_handle != kClosed) FakeLine::Instance().OnPurge();
}

int CComPort::Read(uint8_t* buffer, int n) {
  if (m_handle == kClosed) return 0;
  int count = FakeLine::Instance().OnRead(buffer, n);
  buffer[count] = 0;
  return count;
}

int CComPort::ReadByte() {
  uint8_t b[2];
  return Read(b, 1) == 1 ? 0x100 + b[0] : 0;
}

int CComPort::Write(const uint8_t* buffer, int n) {
  if (m_handle == kClosed) return 0;
  return FakeLine::Instance().OnWrite(buffer, n) ? 1 : 0;
}

int CComPort::WriteByte(uint8_t b) { return Write(&b, 1); }

int CComPort::WriteString(const char* s) {
  return Write(reinterpret_cast<const uint8_t*>(s), static_cast<int>(std::strlen(s)));
}

}  // namespace k470
