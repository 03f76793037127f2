// CComPort on a Unix terminal device: a raw line at the stored rate and frame format, no
// flow control, DTR and RTS held inactive, reads that never wait and writes that return
// once the data has been handed to the line.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "serial/system_error_text.h"
#include "serial/com_port.h"
#include "serial/low_latency.h"
#include "serial/port_names.h"

namespace k470 {
namespace {

// A write that makes no progress for this long has stalled (the line is gone).
constexpr int kWriteStallTimeoutMs = 2000;

// Why a device that opened is still no port.
constexpr const char* kTextNotATerminal = "not a terminal";

struct RateCode {
  uint32_t bitsPerSecond;
  speed_t code;
};

constexpr RateCode kRates[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

bool RateToCode(uint32_t bitsPerSecond, speed_t* code) {
  for (const RateCode& rate : kRates) {
    if (rate.bitsPerSecond == bitsPerSecond) {
      *code = rate.code;
      return true;
    }
  }
  return false;
}

// The termios flags, in the order of the settings' lists. Mark and space parity exist
// only where the system has CMSPAR; one and a half stop bits exist only with 5 data bits,
// where CSTOPB gives them.
constexpr tcflag_t kSizeFlags[] = {CS5, CS6, CS7, CS8};
constexpr tcflag_t kParityFlags[] = {0, PARENB | PARODD, PARENB,
#ifdef CMSPAR
                                     PARENB | PARODD | CMSPAR, PARENB | CMSPAR
#endif
};
constexpr tcflag_t kStopFlags[] = {0, CSTOPB, CSTOPB};

// Puts the line into raw mode with the given settings; false with errno set for a
// setting the line cannot take (EINVAL) or a line that refused them.
bool ConfigureLine(int fd, const LineSettings& line) {
  speed_t speed;
  tcflag_t sizeFlag, parityFlags, stopFlags;
  if (!RateToCode(line.baud, &speed) || !CodeOf(line.dataBits, kSizeFlags, &sizeFlag) ||
      !CodeOf(line.parity, kParityFlags, &parityFlags) ||
      !CodeOf(line.stopBits, kStopFlags, &stopFlags)) {
    errno = EINVAL;
    return false;
  }
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  // The boot protocols and the images are binary: no software flow control, no
  // translation, no parity marking of received bytes.
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | ISTRIP | IGNPAR);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | HUPCL);
#ifdef CMSPAR
  tio.c_cflag &= ~CMSPAR;
#endif
#ifdef CRTSCTS
  tio.c_cflag &= ~CRTSCTS;
#endif
  tio.c_cflag |= sizeFlag | parityFlags | stopFlags | CLOCAL | CREAD;
  // Reads return at once with what is there.
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return false;
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// An empty read is how a raw line without waiting says "nothing yet", and also how a
// line that went away (adapter unplugged, far end of a pseudo-terminal closed) answers;
// only the latter reports a hang-up.
bool LineHungUp(int fd) {
  pollfd line{fd, POLLIN, 0};
  return poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Errors with which a read or write tells that the device itself has gone.
bool DeviceGone(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

int FdOf(intptr_t handle) { return static_cast<int>(handle - 1); }

// DTR and RTS inactive, as soon as the port is ours: the system raises both at the open,
// and boards wire them to reset and boot-mode pins. HUPCL goes too (ConfigureLine), so
// that the close leaves them as they are; the port is not opened again within a job. A
// pseudo-terminal has no modem lines, so a refusal here is no failure.
void DropModemLines(int fd) {
  int lines = TIOCM_DTR | TIOCM_RTS;
  (void)ioctl(fd, TIOCMBIC, &lines);
}


}  // namespace

int CComPort::OpenDevice(const std::string& port) {
  const PortChoice choice = ResolvePortArgument(port);
  if (choice.device.empty()) return OpenFailed(kTextNoSuchPort);
  Close();
  m_name = choice.name;
  m_device = choice.device;

  int fd = open(choice.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenFailed(SystemErrorText(errno));
  if (!isatty(fd)) {
    close(fd);
    return OpenFailed(kTextNotATerminal);
  }
  // One user at a time: the lock keeps out every program that locks the same way, the
  // exclusive mode keeps out other openers that are not privileged. A lock held by
  // another program reads as the busy device that it is, and its lines are left alone.
  int error = 0;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? EBUSY : errno;
  } else {
    DropModemLines(fd);
    if (ioctl(fd, TIOCEXCL) != 0 || !ConfigureLine(fd, m_line)) error = errno;
    // Once more: a line the system had left at rate 0 raises them when it gets a rate.
    if (error == 0) DropModemLines(fd);
  }
  if (error != 0) {
    close(fd);
    return OpenFailed(SystemErrorText(error));
  }
  // Answers reach the program as they come, not at a USB adapter's next timer tick.
  m_driverFlags = EnterLowLatency(fd);
  m_handle = static_cast<intptr_t>(fd) + 1;
  m_lost = false;
  m_openError.clear();
  return 1;
}

int CComPort::ChangeLineDevice(const LineSettings& line) {
  const int fd = FdOf(m_handle);
  if (!ConfigureLine(fd, line)) return OpenFailed(SystemErrorText(errno));
  tcflush(fd, TCIOFLUSH);
  return 1;
}

void CComPort::CloseDevice() {
  if (m_handle != kClosed) {
    int fd = FdOf(m_handle);
    LeaveLowLatency(fd, m_driverFlags);
    m_driverFlags = kDriverFlagsUnchanged;
    (void)ioctl(fd, TIOCNXCL);
    close(fd);  // also releases the lock
  }
  m_handle = kClosed;
}

void CComPort::PurgeDevice() {
  if (m_handle != kClosed) tcflush(FdOf(m_handle), TCIFLUSH);
}

int CComPort::ReadDevice(uint8_t* buffer, int n) {
  if (m_handle == kClosed) return 0;
  if (n <= 0) {
    buffer[0] = 0;
    return 0;
  }
  ssize_t count;
  do {
    count = read(FdOf(m_handle), buffer, static_cast<size_t>(n));
  } while (count < 0 && errno == EINTR);
  if (count < 0) {
    buffer[0] = 0;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    if (DeviceGone(errno)) m_lost = true;
    return -1;
  }
  buffer[count] = 0;
  if (count == 0 && LineHungUp(FdOf(m_handle))) {
    m_lost = true;
    return -1;
  }
  return static_cast<int>(count);
}

int CComPort::ReadWithinDevice(uint8_t* buffer, int n, uint32_t waitMs) {
  pollfd line{FdOf(m_handle), POLLIN, 0};
  int ready;
  do {
    ready = poll(&line, 1, static_cast<int>(waitMs));
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return kReadPortLost;
  if (ready == 0) {
    buffer[0] = 0;
    return 0;
  }
  // POLLIN with POLLHUP still delivers what arrived before the hang-up; the read after
  // the last byte then reports the loss.
  const int count = ReadDevice(buffer, n);
  return count < 0 ? kReadPortLost : count;
}

int CComPort::WriteDevice(const uint8_t* buffer, int n) {
  if (m_handle == kClosed || m_lost) return 0;
  int fd = FdOf(m_handle);
  m_writeError.clear();
  int done = 0;
  while (done < n) {
    ssize_t count = write(fd, buffer + done, static_cast<size_t>(n - done));
    if (count > 0) {
      done += static_cast<int>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      return WriteFailed(n, static_cast<uint32_t>(done), static_cast<unsigned long>(errno));
    }
    // The output queue is full: wait until the line takes more.
    pollfd waitFor{fd, POLLOUT, 0};
    int ready = poll(&waitFor, 1, kWriteStallTimeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0 && (waitFor.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      m_lost = true;
      return WriteFailed(n, static_cast<uint32_t>(done), static_cast<unsigned long>(EIO));
    }
    if (ready <= 0) return WriteFailed(n, static_cast<uint32_t>(done), 0);
  }
  while (tcdrain(fd) != 0 && errno == EINTR) {
  }
  return 1;
}

int CComPort::WriteFailed(int asked, uint32_t sent, unsigned long error) {
  if (error != 0 && DeviceGone(static_cast<int>(error))) m_lost = true;
  m_writeError = std::to_string(sent) + " of " + std::to_string(asked) + " bytes sent";
  m_writeError += error != 0 ? ": " + SystemErrorText(error)
                             : "; the line took none for " +
                                   std::to_string(kWriteStallTimeoutMs) + " ms";
  return 0;
}

}  // namespace k470
