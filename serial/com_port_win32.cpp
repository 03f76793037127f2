// CComPort on a Win32 COM port handle: a plain synchronous handle, reads that return at
// once with what the driver holds or wait for the first byte, writes flushed to the line
// before they return.
//
// Waiting: the read time-outs are total time-outs only (no interval time-out), so a
// ReadFile of one byte returns as soon as that byte has come or when the constant has
// passed; what waits beyond it is then taken without waiting, never more than the queue
// holds. This behaves the same on Windows and under Wine on a pseudo-terminal.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "serial/system_error_text.h"
#include "serial/com_port.h"
#include "serial/line_time.h"
#include "serial/port_names.h"

namespace k470 {
namespace {

// A read of bytes that wait returns at once; a read of one byte when none waits returns
// with the first byte or after the constant (one wait slice, shortened for the last).
constexpr DWORD kReadIntervalTimeoutMs = 0;
constexpr DWORD kReadTotalTimeoutMultiplierMs = 0;
constexpr DWORD kReadTotalTimeoutConstantMs = kCancelSliceMs;
// A write may take the line time of its bytes and this much more before it fails, as a
// write on POSIX that makes no progress for as long.
constexpr DWORD kWriteSlackMs = 2000;
constexpr DWORD kWriteTotalTimeoutMultiplierMs = 0;  // the line time goes into the constant

HANDLE HandleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }


// Clears any line error (framing, overrun, parity) and tells how many bytes wait; false
// when the driver no longer answers (the device was removed).
bool QueueStatus(HANDLE handle, DWORD* waiting) {
  DWORD errors = 0;
  COMSTAT status;
  std::memset(&status, 0, sizeof(status));
  if (!ClearCommError(handle, &errors, &status)) return false;
  *waiting = status.cbInQue;
  return true;
}

// Errors of ReadFile and WriteFile after which the device has gone: USB serial drivers
// answer these once their adapter is unplugged.
bool DeviceGone(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_FILE_NOT_FOUND:
      return true;
    default:
      return false;
  }
}

// The DCB's codes, in the order of the settings' lists.
constexpr BYTE kDcbByteSizes[] = {5, 6, 7, 8};
constexpr BYTE kDcbParities[] = {NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY};
constexpr BYTE kDcbStopBits[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};

// The line settings of the port, and no flow control of any kind; false, with the last
// error set, for a setting no line takes.
bool SetDcb(DCB* dcb, const LineSettings& line) {
  if (!CodeOf(line.dataBits, kDcbByteSizes, &dcb->ByteSize) ||
      !CodeOf(line.parity, kDcbParities, &dcb->Parity) ||
      !CodeOf(line.stopBits, kDcbStopBits, &dcb->StopBits)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  dcb->BaudRate = line.baud;
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
  return true;
}

}  // namespace

int CComPort::OpenDevice(const std::string& port) {
  const PortChoice choice = ResolvePortArgument(port);
  if (choice.device.empty()) return OpenFailed(kTextNoSuchPort);
  Close();
  m_name = choice.name;
  m_device = choice.device;

  HANDLE handle = CreateFileA(choice.device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    m_handle = kClosed;
    return OpenFailed(SystemErrorText(GetLastError()));
  }
  // Every call that sets the line is checked: a setting the driver refuses fails the open
  // with the system's reason, and the handle is closed (the port is not open).
  auto refused = [this, handle]() {
    const DWORD error = GetLastError();
    CloseHandle(handle);
    return OpenFailed(SystemErrorText(error));
  };
  DCB dcb;
  std::memset(&dcb, 0, sizeof(dcb));
  dcb.DCBlength = sizeof(dcb);
  if (!GetCommState(handle, &dcb)) return refused();
  if (!SetDcb(&dcb, m_line) || !SetCommState(handle, &dcb)) return refused();

  COMMTIMEOUTS timeouts;
  if (!GetCommTimeouts(handle, &timeouts)) return refused();
  timeouts.ReadIntervalTimeout = kReadIntervalTimeoutMs;
  timeouts.ReadTotalTimeoutMultiplier = kReadTotalTimeoutMultiplierMs;
  timeouts.ReadTotalTimeoutConstant = kReadTotalTimeoutConstantMs;
  timeouts.WriteTotalTimeoutMultiplier = kWriteTotalTimeoutMultiplierMs;
  timeouts.WriteTotalTimeoutConstant = kWriteSlackMs;
  if (!SetCommTimeouts(handle, &timeouts)) return refused();

  m_handle = reinterpret_cast<intptr_t>(handle);
  m_lost = false;
  m_openError.clear();
  m_writeError.clear();
  return 1;
}

int CComPort::ChangeLineDevice(const LineSettings& line) {
  HANDLE handle = HandleOf(m_handle);
  DCB dcb;
  std::memset(&dcb, 0, sizeof(dcb));
  dcb.DCBlength = sizeof(dcb);
  if (!GetCommState(handle, &dcb) || !SetDcb(&dcb, line) || !SetCommState(handle, &dcb)) {
    return OpenFailed(SystemErrorText(GetLastError()));
  }
  PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
  return 1;
}

void CComPort::CloseDevice() {
  if (m_handle != kClosed) CloseHandle(HandleOf(m_handle));
  m_handle = kClosed;
}

void CComPort::PurgeDevice() {
  if (m_handle != kClosed) PurgeComm(HandleOf(m_handle), PURGE_RXABORT | PURGE_RXCLEAR);
}

int CComPort::ReadDevice(uint8_t* buffer, int n) {
  if (m_handle == kClosed) return 0;
  HANDLE handle = HandleOf(m_handle);
  DWORD waiting = 0;
  if (!QueueStatus(handle, &waiting)) {
    buffer[0] = 0;
    m_lost = true;
    return -1;
  }
  if (waiting == 0 || n <= 0) {
    buffer[0] = 0;
    return 0;
  }
  // Never more than waits: a longer read would wait for the rest.
  const DWORD take = waiting < static_cast<DWORD>(n) ? waiting : static_cast<DWORD>(n);
  DWORD count = 0;
  if (!ReadFile(handle, buffer, take, &count, nullptr)) {
    const DWORD error = GetLastError();
    if (!QueueStatus(handle, &waiting) || DeviceGone(error)) m_lost = true;
    buffer[0] = 0;
    return -1;
  }
  buffer[count] = 0;
  return static_cast<int>(count);
}

int CComPort::ReadWithinDevice(uint8_t* buffer, int n, uint32_t waitMs) {
  HANDLE handle = HandleOf(m_handle);
  DWORD waiting = 0;
  if (!QueueStatus(handle, &waiting)) return kReadPortLost;
  if (waiting > 0 || waitMs == 0 || n <= 0) {
    const int count = ReadDevice(buffer, n);
    return count < 0 ? (m_lost ? kReadPortLost : 0) : count;
  }
  // The last slice of a wait may be shorter than the others.
  const DWORD waitFor = waitMs < kCancelSliceMs ? waitMs : kCancelSliceMs;
  COMMTIMEOUTS timeouts{};
  const bool shortened = waitFor != kReadTotalTimeoutConstantMs &&
                         GetCommTimeouts(handle, &timeouts);
  if (shortened) {
    timeouts.ReadTotalTimeoutConstant = waitFor;
    SetCommTimeouts(handle, &timeouts);
  }
  DWORD count = 0;
  const BOOL read = ReadFile(handle, buffer, 1, &count, nullptr);
  const DWORD error = read ? ERROR_SUCCESS : GetLastError();
  if (shortened) {
    timeouts.ReadTotalTimeoutConstant = kReadTotalTimeoutConstantMs;
    SetCommTimeouts(handle, &timeouts);
  }
  if (!read) {
    if (!QueueStatus(handle, &waiting) || DeviceGone(error)) {
      m_lost = true;
      return kReadPortLost;
    }
    buffer[0] = 0;
    return 0;  // a line error ended the read; the bytes lost to it never come
  }
  if (count == 0) {
    buffer[0] = 0;
    return 0;
  }
  // The first byte came: take what has come with it, without waiting.
  int more = 0;
  if (n > 1) {
    more = ReadDevice(buffer + 1, n - 1);
    if (more < 0) more = 0;
  }
  buffer[1 + more] = 0;
  return 1 + more;
}

int CComPort::WriteDevice(const uint8_t* buffer, int n) {
  if (m_handle == kClosed || m_lost) return 0;
  HANDLE handle = HandleOf(m_handle);
  m_writeError.clear();
  // The time-out of this write: the line time of its bytes and the slack.
  const DWORD limitMs = LineTimeMs(n, m_line) + kWriteSlackMs;
  COMMTIMEOUTS timeouts{};
  if (!GetCommTimeouts(handle, &timeouts)) return WriteFailed(n, 0, GetLastError());
  if (timeouts.WriteTotalTimeoutConstant != limitMs) {
    timeouts.WriteTotalTimeoutConstant = limitMs;
    if (!SetCommTimeouts(handle, &timeouts)) return WriteFailed(n, 0, GetLastError());
  }
  DWORD written = 0;
  if (!WriteFile(handle, buffer, static_cast<DWORD>(n), &written, nullptr)) {
    return WriteFailed(n, written, GetLastError());
  }
  // A write that timed out returns success with fewer bytes sent: that is a failure too.
  if (written != static_cast<DWORD>(n)) return WriteFailed(n, written, ERROR_SUCCESS);
  // Every byte was taken; a line that goes away while they drain shows at the next use,
  // as on POSIX.
  FlushFileBuffers(handle);
  return 1;
}

int CComPort::WriteFailed(int asked, uint32_t sent, unsigned long error) {
  DWORD waiting = 0;
  if (!QueueStatus(HandleOf(m_handle), &waiting) || (error != 0 && DeviceGone(error))) {
    m_lost = true;
  }
  m_writeError = std::to_string(sent) + " of " + std::to_string(asked) + " bytes sent";
  m_writeError += error != 0 ? ": " + SystemErrorText(error)
                             : " within " + std::to_string(LineTimeMs(asked, m_line) +
                                                           kWriteSlackMs) + " ms";
  return 0;
}

}  // namespace k470
