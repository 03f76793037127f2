// CComPort: one serial port with non-waiting reads and drained writes; the tool's only
// transport. The platform half lives in com_port_win32.cpp or com_port_posix.cpp, the
// operations built on it in com_port.cpp. A port named "rfc2217://HOST:PORT" or
// "socket://HOST:PORT" is a serial line on another machine, reached through a NetLink
// (net_port.h) instead of the platform half.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "base/cancel_slice.h"  // a waiting read looks at its cancel flag this often
#include "serial/line_settings.h"

namespace k470 {

class NetLink;

// ReadByte and WaitReadByte: bit 8 set above the byte when a byte was read.
constexpr int kByteArrived = 0x100;

// What the waiting reads return when no byte came.
constexpr int kReadTimedOut = 0;     // the time-out passed (or nothing waited)
constexpr int kReadPortLost = -1;    // the device has gone (adapter unplugged, far end closed)
constexpr int kReadCancelled = -2;   // the cancel flag was set

// Why an open failed when the text the user typed names no device.
constexpr const char* kTextNoSuchPort = "no such port";

class CComPort {
 public:
  CComPort() = default;
  ~CComPort();
  CComPort(const CComPort&) = delete;
  CComPort& operator=(const CComPort&) = delete;

  // Opens the port the user chose with the stored line settings: "COM3" (any case) or "3"
  // opens the platform's device for that number, a device path opens that path
  // (ResolvePortArgument, port_names.h), a network address connects to it (within 5 s)
  // and, over rfc2217://, sets the far line. Returns 1/0; OpenError() then tells why. A
  // text that names no device leaves an open port as it was.
  int Open(const std::string& port);

  // A flag (may be null) that ends the open of a network port (its connect, its
  // negotiation, its answers) at once when it is set: the owner's cancel.
  void SetCancel(const std::atomic<int>* cancel) { m_cancel = cancel; }

  // Closes the port, stores the settings and opens `port` again. Returns 1/0. An
  // rfc2217:// port open on the same address keeps its connection and sends the new
  // settings over it.
  int Reopen(const std::string& port, const LineSettings& line);

  // Gives the open port new settings (a new bit rate) without closing it: a close and a
  // new open would pulse DTR and RTS on many systems, and boards wire those to reset and
  // boot-mode pins. What waits in the receive and transmit queues is discarded, as a new
  // open would find them empty; an rfc2217:// port sends the settings over its
  // connection. Returns 1/0; after a 0 OpenError() tells why, and the port stays open
  // with the settings it had where the system refused the new ones.
  int ChangeLine(const LineSettings& line);

  // The line settings the next open uses (and the open port has).
  const LineSettings& Line() const { return m_line; }
  void SetLine(const LineSettings& line) { m_line = line; }

  // Why the last open failed, in the system's words ("No such file or directory",
  // "Device or resource busy"); empty after an open that succeeded.
  std::string OpenError() const { return m_openError; }

  void Close();

  // Discards everything waiting in the receive queue.
  void Purge();

  // Returns at once with up to n waiting bytes and a NUL after them (buffer holds n + 1);
  // 0 when nothing waits or the port is closed, -1 when the read failed.
  int Read(uint8_t* buffer, int n);

  // 0x100 + the byte when a byte was read; 0 when none waited, the port is closed or the
  // read failed (Lost() then tells whether the device has gone).
  int ReadByte();

  // Waits until at least one byte has arrived and returns the count read (up to n, with
  // a NUL after them); kReadTimedOut once `timeoutMs` have passed, kReadCancelled as soon
  // as `*cancel` (may be null) is seen set, kReadPortLost at once when the device has
  // gone or the port is closed. The buffer holds n + 1 bytes.
  int WaitRead(uint8_t* buffer, int n, uint32_t timeoutMs, const std::atomic<int>* cancel);

  // WaitRead of one byte: 0x100 + the byte, or one of the results above.
  int WaitReadByte(uint32_t timeoutMs, const std::atomic<int>* cancel);

  // True once a read or write has found the device gone; every later write fails, so
  // nothing reaches a line after its loss has been seen. Open clears it.
  bool Lost() const { return m_lost; }

  // The port's name for messages as the user chose it: "COM3" for a port name or number,
  // a device path as typed; empty before the first open.
  std::string Name() const { return m_name; }

  // The local device the last open chose ("/dev/ttyUSB3", "\\.\COM3"); empty for a
  // network port and before the first open.
  std::string Device() const { return m_device; }

  // Writes and waits until the data has been handed to the line. Returns 1/0; after a 0,
  // WriteError() tells how many of the bytes were sent and why the rest were not.
  int Write(const uint8_t* buffer, int n);
  int WriteByte(uint8_t b);
  int WriteString(const char* s);
  // Why the last write failed ("12 of 133 bytes sent within 2035 ms"); empty after a write
  // that succeeded.
  std::string WriteError() const { return m_writeError; }

  bool IsOpen() const { return m_handle != kClosed || m_net != nullptr; }

  // The platform handle, for checks of the line's state: the HANDLE on Windows, the file
  // descriptor + 1 elsewhere; 0 when the port is closed or is a network port.
  intptr_t PlatformHandle() const { return m_handle; }

 private:
  // Waits up to `waitMs` (at most one slice) for the first byte and reads what has come:
  // the count, 0 when nothing came, kReadPortLost when the device has gone.
  int ReadWithin(uint8_t* buffer, int n, uint32_t waitMs);

  // The platform half: the operations above on a local device.
  int OpenDevice(const std::string& port);
  // The open device's new settings and its queues emptied; 1/0 (OpenFailed on refusal).
  int ChangeLineDevice(const LineSettings& line);
  void CloseDevice();
  void PurgeDevice();
  int ReadDevice(uint8_t* buffer, int n);
  int ReadWithinDevice(uint8_t* buffer, int n, uint32_t waitMs);
  int WriteDevice(const uint8_t* buffer, int n);

  // A network port: opens it, or sends new settings over its open connection.
  int OpenNet(const std::string& port);

  static constexpr intptr_t kClosed = 0;
  // The platform handle: a HANDLE on Windows, a file descriptor + 1 elsewhere; kClosed
  // when the port is closed.
  intptr_t m_handle = kClosed;
  // Records why an open failed and returns 0; the platform halves give the system's words.
  int OpenFailed(const std::string& reason);
  // Records a write that sent `sent` of `asked` bytes (`error`: the system's code, 0 for
  // a time-out) and whether the device has gone; returns 0.
  int WriteFailed(int asked, uint32_t sent, unsigned long error);

  LineSettings m_line;
  NetLink* m_net = nullptr;  // owned; the connection while a network port is open
  const std::atomic<int>* m_cancel = nullptr;
  std::string m_name;       // the port last chosen, for messages
  std::string m_device;     // the local device it opened
  std::string m_openError;  // why the last open failed
  std::string m_writeError;  // why the last write failed
  bool m_lost = false;
  // The driver's own flags while the port has changed them (low latency on POSIX),
  // given back at close; -1 when nothing was changed.
  int m_driverFlags = -1;
};

}  // namespace k470
