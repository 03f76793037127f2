// The Win32 serial port against a pseudo-terminal far end (pty_far_end), which links the
// pty as the COM port named by K470_TEST_PORT and answers line commands.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <string>
#include <vector>

#include "serial/com_port.h"
#include "serial/port_names.h"
#include "tests/support/line_of.h"

namespace k470 {
namespace {

constexpr DWORD kReplyTimeoutMs = 3000;  // far beyond anything the far end needs

using Bytes = std::vector<uint8_t>;

// The port the far end links, as "COM42"; empty without one.
std::string TestPort() {
  const char* text = std::getenv("K470_TEST_PORT");
  const int number = text != nullptr ? ParsePortName(text) : 0;
  return number != 0 ? "COM" + std::to_string(number) : std::string();
}

Bytes AllByteValues() {
  Bytes bytes(256);
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

// Reads until `count` bytes came or the time-out passed; Read never waits, so this polls.
Bytes ReadBytes(CComPort& port, size_t count) {
  Bytes got;
  DWORD start = GetTickCount();
  while (got.size() < count && GetTickCount() - start < kReplyTimeoutMs) {
    uint8_t chunk[300];
    int n = port.Read(chunk, static_cast<int>(std::min<size_t>(256, count - got.size())));
    if (n < 0) break;
    if (n == 0) Sleep(1);
    got.insert(got.end(), chunk, chunk + n);
  }
  return got;
}

// One reply line of the far end, without its '\n'.
std::string ReadLine(CComPort& port) {
  std::string line;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kReplyTimeoutMs) {
    int got = port.ReadByte();
    if (got == 0) {
      Sleep(1);
    } else if ((got & 0xFF) == '\n') {
      return line;
    } else {
      line += static_cast<char>(got & 0xFF);
    }
  }
  return line + "<time-out>";
}

int FirstRead(CComPort& port, uint8_t* buffer, int n) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kReplyTimeoutMs) {
    int count = port.Read(buffer, n);
    if (count != 0) return count;
    Sleep(1);
  }
  return 0;
}

int FirstReadByte(CComPort& port) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kReplyTimeoutMs) {
    int got = port.ReadByte();
    if (got != 0) return got;
    Sleep(1);
  }
  return 0;
}

class WinePort : public ::testing::Test {
 protected:
  void SetUp() override {
    m_name = TestPort();
    ASSERT_NE(m_name, "") << "K470_TEST_PORT names no port: run through pty_far_end";
    ASSERT_EQ(m_port.Reopen(m_name, LineSettings{}), 1) << m_name << ": " << m_port.OpenError();
  }
  bool Command(const std::string& line) { return m_port.WriteString((line + "\n").c_str()); }

  std::string m_name;
  CComPort m_port;
};

TEST_F(WinePort, AllByteValuesCrossBothWays) {
  const Bytes all = AllByteValues();
  ASSERT_TRUE(Command("BYTES"));
  EXPECT_EQ(m_port.Write(all.data(), static_cast<int>(all.size())), 1);
  EXPECT_EQ(ReadLine(m_port), "GOT 256 OK");
  EXPECT_EQ(ReadBytes(m_port, all.size()), all);
}

TEST_F(WinePort, DriverKeepsNoFlowControlOrByteFilter) {
  DCB dcb;
  ZeroMemory(&dcb, sizeof(dcb));
  dcb.DCBlength = sizeof(dcb);
  ASSERT_TRUE(GetCommState(reinterpret_cast<HANDLE>(m_port.PlatformHandle()), &dcb));
  EXPECT_EQ(dcb.BaudRate, 38400u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);
  EXPECT_EQ(dcb.fNull, 0u);
  EXPECT_EQ(dcb.fErrorChar, 0u);
  EXPECT_EQ(dcb.fParity, 0u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
  // (DTR and RTS are not asked: a pseudo-terminal has no modem lines to report.)
  // And the line itself: no software or hardware flow control at the far end's view.
  ASSERT_TRUE(Command("LINE"));
  EXPECT_EQ(ReadLine(m_port), "LINE 38400 0 0 0 0 0");
}

TEST_F(WinePort, SoftwareFlowControlLeftOnTheLineIsSwitchedOff) {
  const Bytes all = AllByteValues();
  for (uint32_t rate : {9600u, 38400u}) {
    ASSERT_TRUE(Command("SOFTFLOW"));
    ASSERT_EQ(ReadLine(m_port), "SOFTFLOW");
    ASSERT_EQ(m_port.Reopen(m_name, LineOf(rate, 8, 0, 0)), 1);
    DCB dcb;
    ZeroMemory(&dcb, sizeof(dcb));
    dcb.DCBlength = sizeof(dcb);
    ASSERT_TRUE(GetCommState(reinterpret_cast<HANDLE>(m_port.PlatformHandle()), &dcb));
    EXPECT_EQ(dcb.fOutX, 0u) << rate;
    EXPECT_EQ(dcb.fInX, 0u) << rate;
    ASSERT_TRUE(Command("LINE"));
    EXPECT_EQ(ReadLine(m_port), "LINE " + std::to_string(rate) + " 0 0 0 0 0");
    // XON and XOFF are data like any other byte, both ways.
    ASSERT_TRUE(Command("BYTES"));
    EXPECT_EQ(m_port.Write(all.data(), static_cast<int>(all.size())), 1);
    EXPECT_EQ(ReadLine(m_port), "GOT 256 OK") << rate;
    EXPECT_EQ(ReadBytes(m_port, all.size()), all) << rate;
  }
}

TEST_F(WinePort, ReadReturnsAtOnceWithWhatWaitsAndANulAfterIt) {
  uint8_t buffer[17];
  FillMemory(buffer, sizeof(buffer), 0xAA);
  EXPECT_EQ(m_port.Read(buffer, 16), 0);
  EXPECT_EQ(buffer[0], 0);

  FillMemory(buffer, sizeof(buffer), 0xAA);
  ASSERT_TRUE(Command("SEND 3"));
  ASSERT_EQ(FirstRead(m_port, buffer, 16), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), "abc");
  EXPECT_EQ(buffer[3], 0);
  EXPECT_EQ(buffer[4], 0xAA);
  EXPECT_EQ(m_port.Read(buffer, 16), 0);
}

TEST_F(WinePort, ReadByteSetsBitEightAboveTheByte) {
  EXPECT_EQ(m_port.ReadByte(), 0);
  ASSERT_TRUE(Command("HEX 00FF1113"));
  EXPECT_EQ(FirstReadByte(m_port), 0x100);
  EXPECT_EQ(FirstReadByte(m_port), 0x1FF);
  EXPECT_EQ(FirstReadByte(m_port), 0x111);
  EXPECT_EQ(FirstReadByte(m_port), 0x113);
  EXPECT_EQ(m_port.ReadByte(), 0);
}

TEST_F(WinePort, PurgeDropsWaitingInput) {
  ASSERT_TRUE(Command("SEND 20"));
  // Until all of it waits in the receive queue, so that the purge meets it there.
  HANDLE handle = reinterpret_cast<HANDLE>(m_port.PlatformHandle());
  COMSTAT status;
  ZeroMemory(&status, sizeof(status));
  DWORD errors = 0;
  DWORD start = GetTickCount();
  while (ClearCommError(handle, &errors, &status) && status.cbInQue < 20 &&
         GetTickCount() - start < kReplyTimeoutMs) {
    Sleep(1);
  }
  ASSERT_EQ(status.cbInQue, 20u);
  m_port.Purge();
  EXPECT_EQ(m_port.ReadByte(), 0);
  ASSERT_TRUE(Command("SEND 1"));
  EXPECT_EQ(FirstReadByte(m_port), 0x100 + 'a');
}

TEST_F(WinePort, ASettingTheDriverRefusesFailsTheOpenAndClosesTheHandle) {
  struct BadCase {
    int byteSize, parity, stopBits;
  };
  for (const BadCase& c : {BadCase{9, 0, 0}, BadCase{8, 5, 0}, BadCase{8, 0, 3}}) {
    EXPECT_EQ(m_port.Reopen(m_name, LineOf(38400, c.byteSize, c.parity, c.stopBits)), 0)
        << c.byteSize << " " << c.parity << " " << c.stopBits;
    EXPECT_FALSE(m_port.IsOpen());
    EXPECT_NE(m_port.OpenError(), "");
    // The handle was closed: the port opens again (it is opened for one user only).
    CComPort other;
    EXPECT_EQ(other.Reopen(m_name, LineOf(38400, 8, 0, 0)), 1) << other.OpenError();
  }
}

TEST_F(WinePort, ReopenAtAnotherRateReachesTheFarEnd) {
  const uint32_t rates[] = {9600, 19200, 57600, 115200, 38400};
  for (uint32_t rate : rates) {
    ASSERT_EQ(m_port.Reopen(m_name, LineOf(rate, 8, 0, 0)), 1) << rate;
    ASSERT_TRUE(Command("LINE"));
    EXPECT_EQ(ReadLine(m_port), "LINE " + std::to_string(rate) + " 0 0 0 0 0");
  }
  ASSERT_EQ(
      m_port.Reopen(m_name, LineSettings{9600, DataBits::kEight, Parity::kOdd, StopBits::kTwo}), 1);
  ASSERT_TRUE(Command("LINE"));
  EXPECT_EQ(ReadLine(m_port), "LINE 9600 0 0 0 1 1");
}

TEST_F(WinePort, ARateChangeOnTheOpenHandleReachesTheFarEnd) {
  const intptr_t handle = m_port.PlatformHandle();
  for (uint32_t rate : {57600u, 9600u, 38400u}) {
    ASSERT_EQ(m_port.ChangeLine(LineOf(rate, 8, 0, 0)), 1) << rate << ": " << m_port.OpenError();
    EXPECT_EQ(m_port.PlatformHandle(), handle);  // the same handle: no close, no open
    ASSERT_TRUE(Command("LINE"));
    EXPECT_EQ(ReadLine(m_port), "LINE " + std::to_string(rate) + " 0 0 0 0 0");
  }
}

TEST_F(WinePort, LargeWritesArriveWhole) {
  Bytes image(32 * 1024);
  unsigned long sum = 0;
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    sum += image[i];
  }
  ASSERT_TRUE(Command("SINK " + std::to_string(image.size())));
  EXPECT_EQ(m_port.Write(image.data(), static_cast<int>(image.size())), 1);
  EXPECT_EQ(ReadLine(m_port), "SUM " + std::to_string(image.size()) + " " + std::to_string(sum));
}

TEST_F(WinePort, WaitReadEndsAtTheFirstByteItsTimeOutOrACancel) {
  // The first byte ends the wait long before its time-out.
  ASSERT_TRUE(Command("AFTER 100 3"));
  uint8_t buffer[17];
  DWORD start = GetTickCount();
  int count = m_port.WaitRead(buffer, 16, 20000, nullptr);
  EXPECT_GE(count, 1);
  EXPECT_EQ(buffer[0], 'a');
  EXPECT_LT(GetTickCount() - start, 10000u);
  std::string got(reinterpret_cast<char*>(buffer), count > 0 ? static_cast<size_t>(count) : 0);
  while (got.size() < 3 && (count = m_port.WaitRead(buffer, 16, 3000, nullptr)) > 0) {
    got.append(reinterpret_cast<char*>(buffer), static_cast<size_t>(count));
  }
  EXPECT_EQ(got, "abc");

  // Nothing comes: the wait ends at its time-out, not before.
  start = GetTickCount();
  EXPECT_EQ(m_port.WaitReadByte(150, nullptr), kReadTimedOut);
  EXPECT_GE(GetTickCount() - start, 140u);

  // A cancel ends a long wait soon after it is set.
  std::atomic<int> cancel{0};
  std::thread canceller([&cancel] {
    Sleep(50);
    cancel = 1;
  });
  start = GetTickCount();
  EXPECT_EQ(m_port.WaitReadByte(20000, &cancel), kReadCancelled);
  canceller.join();
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_FALSE(m_port.Lost());
}

TEST_F(WinePort, ALostLineEndsTheWaitAndEveryWriteAfterIt) {
  // The far end closes the line and exits, as an unplugged adapter.
  ASSERT_TRUE(Command("HANGUP"));
  const DWORD start = GetTickCount();
  EXPECT_EQ(m_port.WaitReadByte(20000, nullptr), kReadPortLost);
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_TRUE(m_port.Lost());
  EXPECT_EQ(m_port.WaitReadByte(20000, nullptr), kReadPortLost);
  EXPECT_EQ(m_port.WriteByte(0x55), 0);
}

TEST_F(WinePort, ClosedAndRefusedPortsDoNothing) {
  CComPort port;
  uint8_t buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(port.Read(buffer, 3), 0);
  EXPECT_EQ(buffer[0], 0xAA);
  EXPECT_EQ(port.ReadByte(), 0);
  EXPECT_EQ(port.Write(buffer, 3), 0);
  EXPECT_EQ(port.WriteByte(1), 0);
  EXPECT_EQ(port.WriteString("x"), 0);
  port.Purge();
  port.Close();
  port.Close();
  EXPECT_EQ(port.Open("0"), 0);
  EXPECT_EQ(port.Open("256"), 0);
  EXPECT_EQ(port.OpenError(), kTextNoSuchPort);
  // A number without a device behind it: the system's own text, without the full stop
  // and line break that end it (Windows and Wine word it differently).
  const std::string absent = m_name == "COM250" ? "com251" : "com250";
  EXPECT_EQ(port.Open(absent), 0);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.PlatformHandle(), 0);
  EXPECT_EQ(port.Name(), absent == "com250" ? "COM250" : "COM251");
  const std::string reason = port.OpenError();
  ASSERT_NE(reason, "");
  EXPECT_NE(reason, kTextNoSuchPort);
  EXPECT_EQ(reason.find("system error"), std::string::npos) << reason;
  EXPECT_EQ(std::strchr(".\r\n ", reason.back()), nullptr) << reason;
  // A failed reopen leaves the port closed.
  EXPECT_EQ(m_port.Reopen(absent, LineOf(38400, 8, 0, 0)), 0);
  EXPECT_FALSE(m_port.IsOpen());
  // The same port by its device path opens and keeps the path as its name.
  const std::string path = "\\\\.\\" + m_name;
  ASSERT_EQ(m_port.Reopen(path, LineOf(38400, 8, 0, 0)), 1) << m_port.OpenError();
  EXPECT_EQ(m_port.Name(), path);
  EXPECT_EQ(m_port.OpenError(), "");
}

}  // namespace
}  // namespace k470
