// The simulator's end of the serial line (Linux pseudo-terminal).
#include "pty_line.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace k470sim {

uint32_t OtherRate(int fd);  // pty_rate_linux.cpp: rates set with BOTHER

namespace {

constexpr uint32_t kInitialRate = 38400;

struct RateCode {
  speed_t code;
  uint32_t rate;
};

constexpr RateCode kRates[] = {
    {B50, 50},          {B75, 75},          {B110, 110},        {B134, 134},
    {B150, 150},        {B200, 200},        {B300, 300},        {B600, 600},
    {B1200, 1200},      {B1800, 1800},      {B2400, 2400},      {B4800, 4800},
    {B9600, 9600},      {B19200, 19200},    {B38400, 38400},    {B57600, 57600},
    {B115200, 115200},  {B230400, 230400},  {B460800, 460800},  {B500000, 500000},
    {B576000, 576000},  {B921600, 921600},  {B1000000, 1000000}, {B1152000, 1152000},
    {B1500000, 1500000}, {B2000000, 2000000},
};

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

void MakeRaw(termios& t) {
  cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, B38400);
  cfsetospeed(&t, B38400);
}

volatile sig_atomic_t g_child = 0;

void Forward(int sig) {
  if (g_child > 0) kill(g_child, sig);
}

}  // namespace

PtyLine::~PtyLine() { Close(); }

bool PtyLine::Open(std::string& error) {
  m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (m_master < 0) {
    error = Errno("posix_openpt");
    return false;
  }
  // Raw mode first, through the master: nobody can open the slave before unlockpt.
  termios t{};
  if (tcgetattr(m_master, &t) != 0) {
    error = Errno("tcgetattr");
    return false;
  }
  MakeRaw(t);
  if (tcsetattr(m_master, TCSANOW, &t) != 0) {
    error = Errno("tcsetattr");
    return false;
  }
  if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
    error = Errno("grantpt/unlockpt");
    return false;
  }
  char name[PATH_MAX];
  if (ptsname_r(m_master, name, sizeof name) != 0) {
    error = Errno("ptsname");
    return false;
  }
  m_slavePath = name;
  // Without O_NOCTTY: a session leader without a terminal takes this one as its own.
  m_slave = open(name, O_RDWR | O_CLOEXEC);
  if (m_slave < 0) {
    error = Errno("open slave");
    return false;
  }
  ioctl(m_slave, TIOCSCTTY, 0);  // already ours when the open made it so
  if (tcsetattr(m_slave, TCSANOW, &t) != 0) {
    error = Errno("tcsetattr slave");
    return false;
  }
  // Watched from now on, so the simulator's own open above is not reported.
  m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (m_watch >= 0 &&
      inotify_add_watch(m_watch, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    close(m_watch);
    m_watch = -1;
  }
  return true;
}

void PtyLine::OnHostOpenClose() {
  alignas(inotify_event) char events[4096];
  ssize_t n = 0;
  while (m_watch >= 0 && (n = read(m_watch, events, sizeof events)) > 0) {
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      const auto* ev = reinterpret_cast<const inotify_event*>(events + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
      if (ev->mask & IN_OPEN) {
        ++m_hostOpenCount;
        if (m_hostOpens++ == 0) tcflush(m_slave, TCIFLUSH);
      } else if (ev->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
        // A terminal keeps its exclusive flag while any descriptor of it is open.
        ioctl(m_slave, TIOCNXCL);
        if (m_hostOpens > 0) --m_hostOpens;
        if (m_hostOpens == 0) tcflush(m_slave, TCIFLUSH);
      }
    }
  }
}

bool PtyLine::Link(const std::string& path, std::string& error) {
  struct stat st{};
  if (lstat(path.c_str(), &st) == 0 && unlink(path.c_str()) != 0) {
    error = Errno("unlink link");
    return false;
  }
  if (symlink(m_slavePath.c_str(), path.c_str()) != 0) {
    error = Errno("symlink");
    return false;
  }
  m_linkPath = path;
  return true;
}

void PtyLine::Close() {
  if (!m_linkPath.empty()) {
    // Only our own link is removed; someone may have pointed it elsewhere meanwhile.
    char target[PATH_MAX];
    ssize_t n = readlink(m_linkPath.c_str(), target, sizeof target - 1);
    if (n > 0) {
      target[n] = '\0';
      if (m_slavePath == target) unlink(m_linkPath.c_str());
    }
    m_linkPath.clear();
  }
  if (m_watch >= 0) close(m_watch);
  if (m_slave >= 0) close(m_slave);
  if (m_master >= 0) close(m_master);
  m_watch = m_slave = m_master = -1;
}

HostLine PtyLine::Host() const {
  HostLine h;
  termios t{};
  // The master reports the slave's settings: whatever the host set last.
  if (tcgetattr(m_master, &t) != 0) {
    h.rate = kInitialRate;
    return h;
  }
  speed_t code = cfgetospeed(&t);
  h.rate = 0;
  for (const RateCode& r : kRates) {
    if (r.code == code) h.rate = r.rate;
  }
  if (h.rate == 0) h.rate = OtherRate(m_master);
  h.is8N1 = (t.c_cflag & CSIZE) == CS8 && !(t.c_cflag & PARENB);
  return h;
}

bool EnsureOwnSession(std::string& error) {
  if (setsid() >= 0 || getsid(0) == getpid()) return true;
  // Leading a process group: only a child can start a session. The stop signals stay
  // blocked across the fork until the parent's forwarding is in place (the child installs
  // its own handlers and keeps them blocked outside its wait).
  sigset_t stops, old;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  sigprocmask(SIG_BLOCK, &stops, &old);
  pid_t child = fork();
  if (child < 0) {
    sigprocmask(SIG_SETMASK, &old, nullptr);
    error = Errno("fork");
    return false;
  }
  if (child == 0) {
    if (setsid() < 0) {
      error = Errno("setsid");
      return false;
    }
    return true;
  }
  g_child = child;
  struct sigaction sa{};
  sa.sa_handler = Forward;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigprocmask(SIG_SETMASK, &old, nullptr);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

}  // namespace k470sim
