// CComPort on a Win32 COM port handle: a plain synchronous handle, reads that return at
// once with what the driver holds, writes flushed to the line before they return.
#include <windows.h>

#include <cstring>

#include "serial/com_port.h"
#include "serial/port_names.h"

namespace k470 {
namespace {

// A read returns at once with the bytes already received.
constexpr DWORD kReadIntervalTimeoutMs = MAXDWORD;
constexpr DWORD kReadTotalTimeoutMultiplierMs = 0;
constexpr DWORD kReadTotalTimeoutConstantMs = 0;
// A write of n bytes may take up to 1000 + 1000 * n ms before it fails.
constexpr DWORD kWriteTotalTimeoutMultiplierMs = 1000;
constexpr DWORD kWriteTotalTimeoutConstantMs = 1000;

HANDLE HandleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The line settings of the port, and no flow control of any kind.
void SetLine(DCB* dcb, uint32_t baud, int byteSize, int parity, int stopBits) {
  dcb->BaudRate = baud;
  dcb->ByteSize = static_cast<BYTE>(byteSize);
  dcb->Parity = static_cast<BYTE>(parity);
  dcb->StopBits = static_cast<BYTE>(stopBits);
  // No parity check, no hardware handshake, DTR and RTS held off (boards wire them to
  // reset and boot-mode pins).
  dcb->fParity = FALSE;
  dcb->fOutxCtsFlow = FALSE;
  dcb->fOutxDsrFlow = FALSE;
  dcb->fDtrControl = DTR_CONTROL_DISABLE;
  dcb->fRtsControl = RTS_CONTROL_DISABLE;
  // The boot protocols and the images are binary (the bit-rate match is a stream of 0x00
  // bytes): a driver left with XON/XOFF, NUL stripping or error-character replacement on
  // swallows or changes bytes, so those are switched off whatever the driver reported.
  dcb->fBinary = TRUE;
  dcb->fOutX = FALSE;
  dcb->fInX = FALSE;
  dcb->fNull = FALSE;
  dcb->fErrorChar = FALSE;
}

}  // namespace

int CComPort::Open(int port) {
  if (port < kFirstPort || port > kLastPort) return 0;
  Close();
  std::string device = PortDevicePath(port);
  if (device.empty()) return 0;

  HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    m_handle = kClosed;
    return 0;
  }
  m_handle = reinterpret_cast<intptr_t>(handle);

  DCB dcb;
  std::memset(&dcb, 0, sizeof(dcb));
  dcb.DCBlength = sizeof(dcb);
  GetCommState(handle, &dcb);
  SetLine(&dcb, m_baud, m_byteSize, m_parity, m_stopBits);
  SetCommState(handle, &dcb);

  // When the time-outs cannot be read the handle stays open until the next Close.
  COMMTIMEOUTS timeouts;
  if (!GetCommTimeouts(handle, &timeouts)) return 0;
  timeouts.ReadIntervalTimeout = kReadIntervalTimeoutMs;
  timeouts.ReadTotalTimeoutMultiplier = kReadTotalTimeoutMultiplierMs;
  timeouts.ReadTotalTimeoutConstant = kReadTotalTimeoutConstantMs;
  timeouts.WriteTotalTimeoutMultiplier = kWriteTotalTimeoutMultiplierMs;
  timeouts.WriteTotalTimeoutConstant = kWriteTotalTimeoutConstantMs;
  return SetCommTimeouts(handle, &timeouts) ? 1 : 0;
}

void CComPort::Close() {
  if (m_handle != kClosed) CloseHandle(HandleOf(m_handle));
  m_handle = kClosed;
}

void CComPort::Purge() {
  if (m_handle != kClosed) PurgeComm(HandleOf(m_handle), PURGE_RXABORT | PURGE_RXCLEAR);
}

int CComPort::Read(uint8_t* buffer, int n) {
  if (m_handle == kClosed) return 0;
  HANDLE handle = HandleOf(m_handle);
  // Clears any line error (framing, overrun, parity) and tells what waits.
  DWORD errors = 0;
  COMSTAT status;
  std::memset(&status, 0, sizeof(status));
  ClearCommError(handle, &errors, &status);
  if (status.cbInQue == 0 || n <= 0) {
    buffer[0] = 0;
    return 0;
  }
  DWORD count = 0;
  if (!ReadFile(handle, buffer, static_cast<DWORD>(n), &count, nullptr)) {
    ClearCommError(handle, &errors, &status);
    return -1;
  }
  buffer[count] = 0;
  return static_cast<int>(count);
}

int CComPort::Write(const uint8_t* buffer, int n) {
  if (m_handle == kClosed) return 0;
  HANDLE handle = HandleOf(m_handle);
  DWORD written = 0;
  if (!WriteFile(handle, buffer, static_cast<DWORD>(n), &written, nullptr)) return 0;
  FlushFileBuffers(handle);
  return 1;
}

}  // namespace k470
