// CComPort for unit tests: every port name or device path is the one scripted FakeLine
// (the operations built on these come from serial/com_port.cpp).
#include "serial/com_port.h"
#include "serial/port_names.h"
#include "tests/support/fake_line.h"

namespace k470 {

using test::FakeLine;

namespace {
constexpr const char* kTextScriptedRefusal = "refused by the scripted line";
}  // namespace

int CComPort::OpenDevice(const std::string& port) {
  if (ParsePortName(port) == 0 && !IsDevicePath(port)) return OpenFailed(kTextNoSuchPort);
  m_name = PortNameOf(port);
  if (!FakeLine::Instance().OnOpen(m_line.baud)) return OpenFailed(kTextScriptedRefusal);
  m_handle = 1;
  m_lost = false;
  m_openError.clear();
  return 1;
}

int CComPort::ChangeLineDevice(const LineSettings& line) {
  FakeLine::Instance().OnLineChange(line.baud);
  return 1;
}

void CComPort::CloseDevice() {
  if (m_handle != kClosed) FakeLine::Instance().OnClose();
  m_handle = kClosed;
}

void CComPort::PurgeDevice() {
  if (m_handle != kClosed) FakeLine::Instance().OnPurge();
}

int CComPort::ReadDevice(uint8_t* buffer, int n) {
  if (m_handle == kClosed) return 0;
  int count = FakeLine::Instance().OnRead(buffer, n);
  if (count < 0) {
    m_lost = true;
    buffer[0] = 0;
    return -1;
  }
  buffer[count] = 0;
  return count;
}

int CComPort::ReadWithinDevice(uint8_t* buffer, int n, uint32_t waitMs) {
  FakeLine::Instance().AwaitByte(waitMs);
  const int count = ReadDevice(buffer, n);
  return count < 0 ? kReadPortLost : count;
}

int CComPort::WriteDevice(const uint8_t* buffer, int n) {
  if (m_handle == kClosed || m_lost) return 0;
  if (FakeLine::Instance().OnWrite(buffer, n)) return 1;
  if (FakeLine::Instance().IsLost()) m_lost = true;
  return 0;
}

}  // namespace k470
