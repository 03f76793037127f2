// The Unix serial port over a pseudo-terminal: the test holds the far end (the master)
// and the port opens the slave by its path.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <linux/serial.h>

#include "serial/com_port.h"
#include "serial/low_latency.h"
#include "tests/support/line_of.h"

namespace k470 {
namespace {

// Who opens a port without privileges when the test runs as root.
constexpr uid_t kUnprivilegedUid = 65534;  // nobody
constexpr int kArrivalTimeoutMs = 3000;  // far beyond anything a pseudo-terminal needs

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes AllByteValues() {
  Bytes bytes(256);
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

// The far end of the line: the pty master, raw before the port ever opens the slave.
class PtyFarEnd {
 public:
  PtyFarEnd() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
    // Raw (no echo, no translation), yet with XON/XOFF flow control on, as a driver may
    // have left the line: the port must switch it off.
    termios tio{};
    tcgetattr(m_master, &tio);
    cfmakeraw(&tio);
    tio.c_iflag |= IXON | IXOFF;
    tcsetattr(m_master, TCSANOW, &tio);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    const char* name = ptsname(m_master);
    if (name != nullptr) m_slave = name;
  }
  ~PtyFarEnd() { CloseMaster(); }

  bool Ready() const { return m_master >= 0 && !m_slave.empty(); }
  const std::string& SlavePath() const { return m_slave; }

  void Send(const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else {
        pollfd p{m_master, POLLOUT, 0};
        if (poll(&p, 1, kArrivalTimeoutMs) <= 0) return;
      }
    }
  }
  void Send(const std::string& text) { Send(Bytes(text.begin(), text.end())); }

  // Whatever arrives until `count` bytes are there or the time-out passes.
  Bytes Receive(size_t count) {
    Bytes got;
    auto deadline = Clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
    while (got.size() < count && Clock::now() < deadline) {
      pollfd p{m_master, POLLIN, 0};
      if (poll(&p, 1, 10) <= 0) continue;
      uint8_t chunk[4096];
      ssize_t n = read(m_master, chunk, std::min(sizeof(chunk), count - got.size()));
      if (n > 0) got.insert(got.end(), chunk, chunk + n);
    }
    return got;
  }

  // The line settings the host gave the slave (the master reports the slave's).
  termios Line() const {
    termios tio{};
    tcgetattr(m_master, &tio);
    return tio;
  }

  void CloseMaster() {
    if (m_master >= 0) close(m_master);
    m_master = -1;
  }

 private:
  int m_master = -1;
  std::string m_slave;
};

// Reads from the port until `count` bytes came or the time-out passed; Read itself
// never waits, so this polls.
Bytes ReadFromPort(CComPort& port, size_t count) {
  Bytes got;
  auto deadline = Clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
  while (got.size() < count && Clock::now() < deadline) {
    uint8_t chunk[300];
    int n = port.Read(chunk, static_cast<int>(std::min<size_t>(256, count - got.size())));
    if (n < 0) break;
    if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    got.insert(got.end(), chunk, chunk + n);
  }
  return got;
}

// The first non-empty Read, with its result and the buffer it filled.
int FirstRead(CComPort& port, uint8_t* buffer, int n) {
  auto deadline = Clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
  while (Clock::now() < deadline) {
    int count = port.Read(buffer, n);
    if (count != 0) return count;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return 0;
}

int FirstReadByte(CComPort& port) {
  auto deadline = Clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
  while (Clock::now() < deadline) {
    int got = port.ReadByte();
    if (got != 0) return got;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return 0;
}

// Why an open of `path` fails for a user without privileges: in a child process that
// gives up root first when the test runs as root (root passes every file mode).
std::string OpenErrorUnprivileged(const std::string& path) {
  int fds[2];
  if (pipe(fds) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    std::string reason = "setuid failed";
    if (geteuid() != 0 || setuid(kUnprivilegedUid) == 0) {
      CComPort port;
      reason = port.Open(path) ? "opened" : port.OpenError();
    }
    (void)!write(fds[1], reason.data(), reason.size());
    _exit(0);
  }
  close(fds[1]);
  std::string reason;
  char chunk[128];
  ssize_t n;
  while ((n = read(fds[0], chunk, sizeof chunk)) > 0) reason.append(chunk, static_cast<size_t>(n));
  close(fds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return reason;
}

class PtyPort : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_far.Ready()) << "no pseudo-terminal"; }
  void TearDown() override { m_port.Close(); }
  bool Connect(uint32_t baud = 38400) {
    return m_port.Reopen(Slave(), LineSettings{}.AtRate(baud)) == 1;
  }
  const std::string& Slave() const { return m_far.SlavePath(); }

  PtyFarEnd m_far;
  CComPort m_port;
};

TEST_F(PtyPort, AllByteValuesCrossBothWays) {
  ASSERT_TRUE(Connect());
  const Bytes all = AllByteValues();
  EXPECT_EQ(m_port.Write(all.data(), static_cast<int>(all.size())), 1);
  EXPECT_EQ(m_far.Receive(all.size()), all);
  m_far.Send(all);
  EXPECT_EQ(ReadFromPort(m_port, all.size()), all);
  // Single bytes and strings go out unchanged too.
  EXPECT_EQ(m_port.WriteByte(0x13), 1);
  EXPECT_EQ(m_port.WriteByte(0x11), 1);
  EXPECT_EQ(m_port.WriteString("L 200000 16 s\r"), 1);
  EXPECT_EQ(m_far.Receive(16), Bytes({0x13, 0x11, 'L', ' ', '2', '0', '0', '0', '0', '0', ' ',
                                     '1', '6', ' ', 's', '\r'}));
  EXPECT_EQ(m_port.WriteString(""), 1);
}

TEST_F(PtyPort, ReadReturnsAtOnceWithWhatWaitsAndANulAfterIt) {
  ASSERT_TRUE(Connect());
  uint8_t buffer[17];
  std::fill(std::begin(buffer), std::end(buffer), 0xAA);
  EXPECT_EQ(m_port.Read(buffer, 16), 0);  // nothing waits: no wait either
  EXPECT_EQ(buffer[0], 0);

  std::fill(std::begin(buffer), std::end(buffer), 0xAA);
  m_far.Send("abc");
  ASSERT_EQ(FirstRead(m_port, buffer, 16), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), "abc");
  EXPECT_EQ(buffer[3], 0);
  EXPECT_EQ(buffer[4], 0xAA);
  EXPECT_EQ(m_port.Read(buffer, 16), 0);

  // A read smaller than what waits leaves the rest for the next one.
  m_far.Send("defgh");
  ASSERT_EQ(FirstRead(m_port, buffer, 2), 2);
  EXPECT_EQ(buffer[0], 'd');
  EXPECT_EQ(buffer[2], 0);
  EXPECT_EQ(ReadFromPort(m_port, 3), Bytes({'f', 'g', 'h'}));
}

TEST_F(PtyPort, ReadByteSetsBitEightAboveTheByte) {
  ASSERT_TRUE(Connect());
  EXPECT_EQ(m_port.ReadByte(), 0);
  m_far.Send(Bytes{0x00, 0xFF, 0x41});
  EXPECT_EQ(FirstReadByte(m_port), 0x100);
  EXPECT_EQ(FirstReadByte(m_port), 0x1FF);
  EXPECT_EQ(FirstReadByte(m_port), 0x141);
  EXPECT_EQ(m_port.ReadByte(), 0);
}

TEST_F(PtyPort, PurgeDropsWaitingInputOnly) {
  ASSERT_TRUE(Connect());
  m_far.Send("stale reply");
  // Until all of it waits at the port, so that the purge meets it there.
  const int fd = static_cast<int>(m_port.PlatformHandle() - 1);
  int waiting = 0;
  auto deadline = Clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
  while (ioctl(fd, FIONREAD, &waiting) == 0 && waiting < 11 && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(waiting, 11);
  m_port.Purge();
  EXPECT_EQ(m_port.ReadByte(), 0);
  // The line still works both ways after a purge.
  m_far.Send("k");
  EXPECT_EQ(FirstReadByte(m_port), 0x100 + 'k');
  EXPECT_EQ(m_port.WriteString("ok"), 1);
  EXPECT_EQ(m_far.Receive(2), Bytes({'o', 'k'}));
}

TEST_F(PtyPort, LineSettingsReachTheFarEnd) {
  struct RateCase {
    uint32_t baud;
    speed_t code;
  };
  const RateCase rates[] = {{38400, B38400}, {9600, B9600},   {19200, B19200},
                            {57600, B57600}, {115200, B115200}};
  for (const RateCase& rate : rates) {
    ASSERT_TRUE(Connect(rate.baud)) << rate.baud;
    termios line = m_far.Line();
    EXPECT_EQ(cfgetospeed(&line), rate.code) << rate.baud;
    EXPECT_EQ(cfgetispeed(&line), rate.code) << rate.baud;
    // Raw 8N1, receiver on, modem lines ignored, no flow control of either kind.
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    // Data passes after each reopen.
    m_far.Send(Bytes{0x11, 0x13, 0x00, '\r'});
    EXPECT_EQ(ReadFromPort(m_port, 4), Bytes({0x11, 0x13, 0x00, '\r'})) << rate.baud;
  }
  // Other frame formats open too. A pseudo-terminal always reports 8 bits without
  // parity, so only the stop bits and the parity sense show at its far end.
  ASSERT_EQ(m_port.Reopen(Slave(), LineOf(9600, 7, 2, 2)), 1);
  termios line = m_far.Line();
  EXPECT_EQ(line.c_cflag & (PARODD | CSTOPB), static_cast<tcflag_t>(CSTOPB));
  ASSERT_EQ(m_port.Reopen(Slave(), LineOf(9600, 8, 1, 0)), 1);
  line = m_far.Line();
  EXPECT_EQ(line.c_cflag & (PARODD | CSTOPB), static_cast<tcflag_t>(PARODD));
}

TEST_F(PtyPort, ARateChangeKeepsThePortOpenAndEmptiesItsQueue) {
  ASSERT_TRUE(Connect(9600));
  const intptr_t handle = m_port.PlatformHandle();
  m_far.Send("stale");
  const int fd = static_cast<int>(handle - 1);
  int waiting = 0;
  auto deadline = Clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
  while (ioctl(fd, FIONREAD, &waiting) == 0 && waiting < 5 && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(waiting, 5);
  ASSERT_EQ(m_port.ChangeLine(LineSettings{}.AtRate(57600)), 1);
  EXPECT_EQ(m_port.PlatformHandle(), handle);  // the same open, not a new one
  termios line = m_far.Line();
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B57600));
  EXPECT_EQ(line.c_cflag & HUPCL, 0u);  // the close leaves DTR and RTS alone too
  EXPECT_EQ(m_port.ReadByte(), 0);      // what waited from before the change is gone
  m_far.Send("k");
  EXPECT_EQ(FirstReadByte(m_port), 0x100 + 'k');
  // A rate the line cannot take leaves the port open at the one it had.
  EXPECT_EQ(m_port.ChangeLine(LineSettings{}.AtRate(12345)), 0);
  EXPECT_EQ(m_port.OpenError(), std::strerror(EINVAL));
  EXPECT_TRUE(m_port.IsOpen());
  EXPECT_EQ(m_port.Line().baud, 57600u);
}

TEST_F(PtyPort, SettingsTheLineCannotTakeFailTheOpen) {
  struct BadCase {
    uint32_t baud;
    int byteSize, parity, stopBits;
  };
  const BadCase cases[] = {{12345, 8, 0, 0}, {0, 8, 0, 0}, {38400, 9, 0, 0},
                           {38400, 4, 0, 0}, {38400, 8, 5, 0}, {38400, 8, 0, 3}};
  for (const BadCase& c : cases) {
    EXPECT_EQ(m_port.Reopen(Slave(), LineOf(c.baud, c.byteSize, c.parity, c.stopBits)), 0)
        << c.baud << " " << c.byteSize << " " << c.parity << " " << c.stopBits;
    EXPECT_FALSE(m_port.IsOpen());
    EXPECT_EQ(m_port.OpenError(), std::strerror(EINVAL));
    // The failed open left the device free.
    CComPort other;
    EXPECT_EQ(other.Open(Slave()), 1);
  }
}

TEST_F(PtyPort, APortInUseCannotBeOpenedTwice) {
  ASSERT_TRUE(Connect());
  CComPort second;
  EXPECT_EQ(second.Open(Slave()), 0);
  EXPECT_FALSE(second.IsOpen());
  // Busy, in the system's words, not missing: the lock (or the exclusive mode, for an
  // unprivileged opener) refused it.
  EXPECT_EQ(second.OpenError(), std::strerror(EBUSY));
  EXPECT_EQ(second.Name(), Slave());
  // The first user is undisturbed.
  m_far.Send("x");
  EXPECT_EQ(FirstReadByte(m_port), 0x100 + 'x');
  m_port.Close();
  EXPECT_EQ(second.Open(Slave()), 1);
  EXPECT_EQ(second.OpenError(), "");
  EXPECT_EQ(m_port.Open(Slave()), 0);
  // Another user, who may open the slave, meets the exclusive mode.
  ASSERT_EQ(chmod(Slave().c_str(), 0666), 0);
  EXPECT_EQ(OpenErrorUnprivileged(Slave()), std::strerror(EBUSY));
}

TEST_F(PtyPort, ClosedAndRefusedPortsDoNothing) {
  uint8_t buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(m_port.Read(buffer, 3), 0);
  EXPECT_EQ(buffer[0], 0xAA);  // untouched
  EXPECT_EQ(m_port.ReadByte(), 0);
  EXPECT_EQ(m_port.Write(buffer, 3), 0);
  EXPECT_EQ(m_port.WriteByte(1), 0);
  EXPECT_EQ(m_port.WriteString("x"), 0);
  m_port.Purge();
  m_port.Close();
  m_port.Close();
  for (const char* text : {"0", "256", "-5", "COM0", "line", ""}) {
    EXPECT_EQ(m_port.Open(text), 0) << text;
    EXPECT_EQ(m_port.OpenError(), kTextNoSuchPort) << text;
  }
  EXPECT_FALSE(m_port.IsOpen());
  // A text that names no port leaves an open port as it was, name and all.
  ASSERT_TRUE(Connect());
  EXPECT_EQ(m_port.Name(), Slave());
  EXPECT_EQ(m_port.Open("256"), 0);
  EXPECT_TRUE(m_port.IsOpen());
  EXPECT_EQ(m_port.Name(), Slave());
  // Open on an open port starts over on the new device; a path without a device fails
  // and keeps the path as its name.
  EXPECT_EQ(m_port.Open(Slave()), 1);
  EXPECT_EQ(m_port.Open("/nonexistent/k470-line"), 0);
  EXPECT_FALSE(m_port.IsOpen());
  EXPECT_EQ(m_port.OpenError(), std::strerror(ENOENT));
  EXPECT_EQ(m_port.Name(), "/nonexistent/k470-line");
  // A file that is no terminal is no port.
  EXPECT_EQ(m_port.Open("/dev/null"), 0);
  EXPECT_EQ(m_port.OpenError(), "not a terminal");
  // A failed reopen leaves the port closed.
  ASSERT_TRUE(Connect());
  EXPECT_EQ(m_port.Reopen("/nonexistent/k470-line", LineOf(38400, 8, 0, 0)), 0);
  EXPECT_FALSE(m_port.IsOpen());
}

TEST_F(PtyPort, APortWithoutPermissionSaysSo) {
  // The slave itself with mode 000, and a plain file with mode 000: refused before
  // anything asks whether they are terminals.
  ASSERT_EQ(chmod(Slave().c_str(), 0), 0);
  EXPECT_EQ(OpenErrorUnprivileged(Slave()), std::strerror(EACCES));
  char file[] = "/tmp/k470-mode000-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(fchmod(fd, 0), 0);
  close(fd);
  EXPECT_EQ(OpenErrorUnprivileged(file), std::strerror(EACCES));
  unlink(file);
}

TEST_F(PtyPort, LargeWritesWaitForTheFarEndToTakeThem) {
  ASSERT_TRUE(Connect());
  // Larger than the terminal's queues, so the writer must wait for the reader.
  Bytes image(256 * 1024);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  Bytes received;
  std::thread reader([&] { received = m_far.Receive(image.size()); });
  EXPECT_EQ(m_port.Write(image.data(), static_cast<int>(image.size())), 1);
  reader.join();
  EXPECT_TRUE(received == image) << "received " << received.size() << " of " << image.size();
}

TEST_F(PtyPort, AWriteTheLineStopsTakingFailsWithWhatWasSent) {
  ASSERT_TRUE(Connect());
  // Nobody reads the far end: the queues fill, and the write fails once no byte has left
  // for the stall time, saying how many of its bytes went.
  Bytes image(256 * 1024, 0x55);
  EXPECT_EQ(m_port.Write(image.data(), static_cast<int>(image.size())), 0);
  const std::string why = m_port.WriteError();
  EXPECT_NE(why.find(" of 262144 bytes sent; the line took none for 2000 ms"),
            std::string::npos) << why;
  EXPECT_NE(why.rfind("0 of", 0), 0u) << "some bytes were sent: " << why;
}

// Milliseconds since `start`.
long MsSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST_F(PtyPort, WaitReadEndsAtTheFirstByteItsTimeOutACancelOrALostLine) {
  ASSERT_TRUE(Connect());
  // The first byte ends the wait long before its time-out; what came with it is taken.
  std::thread sender([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    m_far.Send("xyz");
  });
  uint8_t buffer[17];
  Clock::time_point start = Clock::now();
  int count = m_port.WaitRead(buffer, 16, 20000, nullptr);
  sender.join();
  EXPECT_GE(count, 1);
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_LT(MsSince(start), 10000);
  std::string got(reinterpret_cast<char*>(buffer), static_cast<size_t>(count));
  while (got.size() < 3 && (count = m_port.WaitRead(buffer, 16, 3000, nullptr)) > 0) {
    got.append(reinterpret_cast<char*>(buffer), static_cast<size_t>(count));
  }
  EXPECT_EQ(got, "xyz");

  // Nothing comes: the wait ends at its time-out, not before.
  start = Clock::now();
  EXPECT_EQ(m_port.WaitReadByte(150, nullptr), kReadTimedOut);
  EXPECT_GE(MsSince(start), 150);

  // A cancel ends a long wait soon after it is set.
  std::atomic<int> cancel{0};
  std::thread canceller([&cancel] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cancel = 1;
  });
  start = Clock::now();
  EXPECT_EQ(m_port.WaitReadByte(20000, &cancel), kReadCancelled);
  canceller.join();
  EXPECT_LT(MsSince(start), 10000);

  // The far end goes away during a wait: the wait ends as lost, and so does every
  // later read, while nothing more is written.
  std::thread closer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    m_far.CloseMaster();
  });
  start = Clock::now();
  EXPECT_EQ(m_port.WaitReadByte(20000, nullptr), kReadPortLost);
  closer.join();
  EXPECT_LT(MsSince(start), 10000);
  EXPECT_TRUE(m_port.Lost());
  EXPECT_EQ(m_port.WaitReadByte(20000, nullptr), kReadPortLost);
  EXPECT_EQ(m_port.WriteByte(0x55), 0);
}

TEST_F(PtyPort, ALostFarEndIsAReadError) {
  ASSERT_TRUE(Connect());
  m_far.CloseMaster();
  uint8_t buffer[8];
  EXPECT_EQ(m_port.Read(buffer, 4), -1);
  EXPECT_EQ(m_port.ReadByte(), 0);
  uint8_t byte = 0x55;
  EXPECT_EQ(m_port.Write(&byte, 1), 0);
}

// The driver behind the seam: serial flags it reports and takes, every call recorded.
struct FakeSerialDriver {
  bool refuses = false;  // as a pseudo-terminal does (ENOTTY)
  int flags = ASYNC_SKIP_TEST;
  std::vector<std::string> calls;
};
FakeSerialDriver* g_driver = nullptr;

int FakeSerialIoctl(int, unsigned long request, void* arg) {
  auto* serial = static_cast<serial_struct*>(arg);
  const bool get = request == TIOCGSERIAL;
  g_driver->calls.push_back((get ? "get " : "set ") +
                            std::to_string(get ? g_driver->flags : serial->flags));
  if (g_driver->refuses) {
    errno = ENOTTY;
    return -1;
  }
  if (get) {
    serial->flags = g_driver->flags;
  } else {
    g_driver->flags = serial->flags;
  }
  return 0;
}

TEST_F(PtyPort, LowLatencyIsAskedForAtOpenAndTheOldFlagsGoBackAtClose) {
  FakeSerialDriver driver;
  g_driver = &driver;
  SetSerialIoctl(FakeSerialIoctl);
  const std::string old = std::to_string(ASYNC_SKIP_TEST);
  const std::string low = std::to_string(ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY);
  // Asked for at open; a reopen at another rate gives the flags back before it asks again.
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Connect(9600));
  m_port.Close();
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"get " + old, "set " + low, "get " + low,
                                                    "set " + old, "get " + old, "set " + low,
                                                    "get " + low, "set " + old}));
  EXPECT_EQ(driver.flags, ASYNC_SKIP_TEST);

  // A driver that refuses is left alone, and the port works all the same.
  driver = FakeSerialDriver{};
  driver.refuses = true;
  ASSERT_TRUE(Connect());
  EXPECT_EQ(m_port.WriteByte(0x5A), 1);
  EXPECT_EQ(m_far.Receive(1), Bytes{0x5A});
  m_port.Close();
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"get " + old}));
  SetSerialIoctl(nullptr);
  g_driver = nullptr;
}

}  // namespace
}  // namespace k470
