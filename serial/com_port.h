// CComPort: one serial port with non-waiting reads and drained writes; the tool's only
// transport. The platform half lives in com_port_win32.cpp or com_port_posix.cpp, the
// operations built on it in com_port.cpp.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

class CComPort {
 public:
  CComPort() = default;
  ~CComPort();
  CComPort(const CComPort&) = delete;
  CComPort& operator=(const CComPort&) = delete;

  // Opens port number `port` (1..255) with the stored line settings. The device is the
  // one PortDevicePath (port_names.h) names for that number. Returns 1/0.
  int Open(int port);

  // Closes the port, stores the settings and opens `port` again. Returns 1/0.
  int Reopen(int port, uint32_t baud, int byteSize, int parity, int stopBits);

  void Close();

  // Discards everything waiting in the receive queue.
  void Purge();

  // Returns at once with up to n waiting bytes and a NUL after them (buffer holds n + 1);
  // 0 when nothing waits or the port is closed, -1 when the read failed.
  int Read(uint8_t* buffer, int n);

  // 0x100 + the byte when a byte was read; 0 when none waited or the port is closed.
  int ReadByte();

  // Writes and waits until the data has been handed to the line. Returns 1/0.
  int Write(const uint8_t* buffer, int n);
  int WriteByte(uint8_t b);
  int WriteString(const char* s);

  bool IsOpen() const { return m_handle != kClosed; }

  // The platform handle, for checks of the line's state: the HANDLE on Windows, the file
  // descriptor + 1 elsewhere; 0 when the port is closed.
  intptr_t PlatformHandle() const { return m_handle; }

  // Line settings (Win32 codes: parity 0 none; stop bits 0 one).
  uint32_t m_baud = 38400;
  int m_byteSize = 8;
  int m_parity = 0;
  int m_stopBits = 0;

 private:
  static constexpr intptr_t kClosed = 0;
  // The platform handle: a HANDLE on Windows, a file descriptor + 1 elsewhere; kClosed
  // when the port is closed.
  intptr_t m_handle = kClosed;
};

}  // namespace k470
