// The far end of a pseudo-terminal line for the serial tests of the Windows build: makes a
// pty, links a device name to its slave (Wine's dosdevices/comN), runs the given test
// program and answers its line commands until that program ends.
//
//   pty_far_end --link <path> [--timeout <s>] -- <program> [args...]
//
// Line commands (each ends in '\n'; replies end in '\n'):
//   BYTES      then 256 raw bytes; reply "GOT <count> OK|BAD" (OK when they were 0..255
//              in order), then the 256 bytes 0..255
//   SEND <n>   reply n bytes "abc..xyzabc.."
//   HEX <hex>  reply the bytes the hex digits spell
//   SINK <n>   then n raw bytes; reply "SUM <count> <sum of the bytes>"
//   LINE       reply "LINE <bit/s> <ixon> <ixoff> <crtscts> <cstopb> <parodd>" from the
//              settings the host gave the line
//   SOFTFLOW   switch XON/XOFF flow control on in the line's settings, as a driver may
//              leave it; reply "SOFTFLOW"
//   AFTER <ms> <n>  wait ms milliseconds, then reply as SEND <n>
//   HANGUP     close the line (as an unplugged adapter) and end the far end
//   QUIT       end the far end
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPayloadTimeoutMs = 2000;  // for the raw bytes after BYTES and SINK
constexpr int kDefaultTimeoutS = 120;
constexpr size_t kAllBytes = 256;

struct Rate {
  speed_t code;
  unsigned bitsPerSecond;
};

constexpr Rate kRates[] = {{B1200, 1200},     {B2400, 2400},   {B4800, 4800},
                           {B9600, 9600},     {B19200, 19200}, {B38400, 38400},
                           {B57600, 57600},   {B115200, 115200}, {B230400, 230400}};

unsigned BitsPerSecond(speed_t code) {
  for (const Rate& rate : kRates) {
    if (rate.code == code) return rate.bitsPerSecond;
  }
  return 0;
}

void WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n > 0) {
      p += n;
      size -= static_cast<size_t>(n);
    } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
      return;
    } else {
      pollfd out{fd, POLLOUT, 0};
      poll(&out, 1, 100);
    }
  }
}

void Reply(int fd, const std::string& text) { WriteAll(fd, text.data(), text.size()); }

// Raw, but with XON/XOFF flow control on, as a driver may have left the line: the port
// must switch it off, or 0x11 and 0x13 never arrive.
void SwitchSoftFlowOn(int master) {
  termios tio{};
  tcgetattr(master, &tio);
  cfmakeraw(&tio);
  tio.c_iflag |= IXON | IXOFF;
  tcsetattr(master, TCSANOW, &tio);
}

// Serves the host's commands on the pty master until QUIT or until `alive` (the read end
// of a pipe whose writer is the launching process) reports that the launcher is gone.
class FarEnd {
 public:
  FarEnd(int master, int alive) : m_master(master), m_alive(alive) {}

  void Serve() {
    for (;;) {
      std::string line;
      if (!ReadLine(&line)) return;
      if (!Handle(line)) return;
    }
  }

 private:
  // Takes bytes from the line into m_pending; false when the launcher went away.
  bool Fill(int timeoutMs) {
    pollfd fds[2] = {{m_master, POLLIN, 0}, {m_alive, POLLIN, 0}};
    int ready = poll(fds, 2, timeoutMs);
    if (ready < 0) return errno == EINTR;
    if (fds[1].revents != 0) return false;
    if (fds[0].revents & POLLIN) {
      char chunk[4096];
      ssize_t n = read(m_master, chunk, sizeof(chunk));
      if (n > 0) m_pending.append(chunk, static_cast<size_t>(n));
    } else if (fds[0].revents & (POLLHUP | POLLERR)) {
      // The host closed the line (a reopen): wait until it opens it again.
      usleep(10 * 1000);
    }
    return true;
  }

  bool ReadLine(std::string* line) {
    for (;;) {
      size_t end = m_pending.find('\n');
      if (end != std::string::npos) {
        *line = m_pending.substr(0, end);
        m_pending.erase(0, end + 1);
        return true;
      }
      if (!Fill(1000)) return false;
    }
  }

  // Up to `count` raw bytes, fewer when they stop coming.
  std::string ReadPayload(size_t count) {
    int waitedMs = 0;
    while (m_pending.size() < count && waitedMs < kPayloadTimeoutMs) {
      size_t before = m_pending.size();
      if (!Fill(50)) break;
      waitedMs = m_pending.size() > before ? 0 : waitedMs + 50;
    }
    std::string payload = m_pending.substr(0, count);
    m_pending.erase(0, payload.size());
    return payload;
  }

  bool Handle(const std::string& line) {
    if (line == "QUIT") return false;
    if (line == "HANGUP") {
      close(m_master);
      return false;
    }
    if (line == "BYTES") {
      std::string got = ReadPayload(kAllBytes);
      bool inOrder = got.size() == kAllBytes;
      for (size_t i = 0; inOrder && i < kAllBytes; ++i) {
        inOrder = static_cast<unsigned char>(got[i]) == i;
      }
      Reply(m_master, "GOT " + std::to_string(got.size()) + (inOrder ? " OK\n" : " BAD\n"));
      unsigned char all[kAllBytes];
      for (size_t i = 0; i < kAllBytes; ++i) all[i] = static_cast<unsigned char>(i);
      WriteAll(m_master, all, sizeof(all));
    } else if (line.compare(0, 5, "SEND ") == 0 || line.compare(0, 6, "AFTER ") == 0) {
      const char* numbers = line.c_str() + 5;
      if (line[0] == 'A') {
        char* end = nullptr;
        const long delayMs = std::strtol(line.c_str() + 6, &end, 10);
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        numbers = end;
      }
      size_t count = std::strtoul(numbers, nullptr, 10);
      std::string text;
      for (size_t i = 0; i < count; ++i) text += static_cast<char>('a' + i % 26);
      Reply(m_master, text);
    } else if (line.compare(0, 4, "HEX ") == 0) {
      std::string bytes;
      for (size_t i = 4; i + 1 < line.size(); i += 2) {
        bytes += static_cast<char>(std::strtoul(line.substr(i, 2).c_str(), nullptr, 16));
      }
      Reply(m_master, bytes);
    } else if (line.compare(0, 5, "SINK ") == 0) {
      size_t count = std::strtoul(line.c_str() + 5, nullptr, 10);
      std::string got = ReadPayload(count);
      unsigned long sum = 0;
      for (unsigned char c : got) sum += c;
      Reply(m_master, "SUM " + std::to_string(got.size()) + " " + std::to_string(sum) + "\n");
    } else if (line == "SOFTFLOW") {
      Reply(m_master, "SOFTFLOW\n");
      tcdrain(m_master);
      SwitchSoftFlowOn(m_master);
    } else if (line == "LINE") {
      termios tio{};
      tcgetattr(m_master, &tio);  // the master reports the slave's settings
      char text[128];
      std::snprintf(text, sizeof(text), "LINE %u %d %d %d %d %d\n",
                    BitsPerSecond(cfgetospeed(&tio)), (tio.c_iflag & IXON) != 0,
                    (tio.c_iflag & IXOFF) != 0, (tio.c_cflag & CRTSCTS) != 0,
                    (tio.c_cflag & CSTOPB) != 0, (tio.c_cflag & PARODD) != 0);
      Reply(m_master, text);
    } else {
      Reply(m_master, "ERR\n");
    }
    return true;
  }

  int m_master;
  int m_alive;
  std::string m_pending;
};

// The far end's own process: a session of its own whose controlling terminal is the pty,
// so that no later opener of the slave (the Wine server) takes it as its terminal.
int RunFarEnd(const std::string& link, int ready, int alive) {
  setsid();
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return 1;
  // Raw before anyone opens the slave (no echo, no translation of the test's bytes), yet
  // with the flow control that the port has to switch off.
  SwitchSoftFlowOn(master);
  const char* slaveName = ptsname(master);
  if (slaveName == nullptr) return 1;
  std::string slavePath = slaveName;
  // Held open for the whole run: the line stays up while the host closes and reopens it.
  // This end never reads from it.
  int slave = open(slavePath.c_str(), O_RDWR);
  if (slave < 0) return 1;
  ioctl(slave, TIOCSCTTY, 0);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  unlink(link.c_str());
  if (symlink(slavePath.c_str(), link.c_str()) != 0) {
    std::perror(link.c_str());
    return 1;
  }
  WriteAll(ready, "R", 1);
  close(ready);
  FarEnd(master, alive).Serve();
  unlink(link.c_str());
  return 0;
}

int Usage() {
  std::fprintf(stderr, "usage: pty_far_end --link <path> [--timeout <s>] -- <program> [args...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string link;
  int timeoutS = kDefaultTimeoutS;
  int first = 1;
  for (; first < argc; ++first) {
    std::string arg = argv[first];
    if (arg == "--link" && first + 1 < argc) {
      link = argv[++first];
    } else if (arg == "--timeout" && first + 1 < argc) {
      timeoutS = std::atoi(argv[++first]);
    } else if (arg == "--") {
      ++first;
      break;
    } else {
      return Usage();
    }
  }
  if (link.empty() || first >= argc) return Usage();

  int readyPipe[2], alivePipe[2];
  if (pipe2(readyPipe, O_CLOEXEC) != 0 || pipe2(alivePipe, O_CLOEXEC) != 0) return 1;
  pid_t farEnd = fork();
  if (farEnd < 0) return 1;
  if (farEnd == 0) {
    close(readyPipe[0]);
    close(alivePipe[1]);
    _exit(RunFarEnd(link, readyPipe[1], alivePipe[0]));
  }
  close(readyPipe[1]);
  close(alivePipe[0]);
  char ready = 0;
  if (read(readyPipe[0], &ready, 1) != 1) {
    std::fprintf(stderr, "pty_far_end: the far end did not start\n");
    waitpid(farEnd, nullptr, 0);
    return 1;
  }

  pid_t program = fork();
  if (program < 0) return 1;
  if (program == 0) {
    execvp(argv[first], argv + first);
    std::perror(argv[first]);
    _exit(127);
  }
  // The program's run is bounded: past the time-out it is ended, and the run fails.
  int status = 0;
  int waitedMs = 0;
  while (waitpid(program, &status, WNOHANG) == 0) {
    if (waitedMs >= timeoutS * 1000) {
      std::fprintf(stderr, "pty_far_end: %s ran longer than %d s\n", argv[first], timeoutS);
      kill(program, SIGKILL);
      waitpid(program, &status, 0);
      status = 1 << 8;
      break;
    }
    usleep(20 * 1000);
    waitedMs += 20;
  }
  close(alivePipe[1]);  // tells the far end to stop
  waitpid(farEnd, nullptr, 0);
  unlink(link.c_str());
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 1;
}
