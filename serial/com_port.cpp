// CComPort: the operations built on the platform half's Open, Close, Read and Write.
#include "serial/com_port.h"

#include <cstring>

namespace k470 {

CComPort::~CComPort() { Close(); }

int CComPort::Reopen(int port, uint32_t baud, int byteSize, int parity, int stopBits) {
  Close();
  m_baud = baud;
  m_byteSize = byteSize;
  m_parity = parity;
  m_stopBits = stopBits;
  return Open(port);
}

int CComPort::ReadByte() {
  uint8_t b[2];
  return Read(b, 1) == 1 ? 0x100 + b[0] : 0;
}

int CComPort::WriteByte(uint8_t b) { return Write(&b, 1); }

int CComPort::WriteString(const char* s) {
  if (s == nullptr) return 0;
  return Write(reinterpret_cast<const uint8_t*>(s), static_cast<int>(std::strlen(s)));
}

}  // namespace k470
