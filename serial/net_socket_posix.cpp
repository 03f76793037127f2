// The network ports' TCP connection on POSIX sockets.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/cancel_slice.h"
#include "base/ticks.h"
#include "serial/system_error_text.h"
#include "serial/com_port.h"
#include "serial/net_socket.h"

namespace k470 {
namespace {



int Poll(int fd, short events, uint32_t waitMs, short* revents) {
  pollfd entry{fd, events, 0};
  int ready;
  do {
    ready = poll(&entry, 1, static_cast<int>(waitMs));
  } while (ready < 0 && errno == EINTR);
  *revents = entry.revents;
  return ready;
}

// One address: a non-blocking connect that has until `timeoutMs` after `start` to complete.
int ConnectOne(const addrinfo* address, uint32_t start, uint32_t timeoutMs,
               const std::atomic<int>* cancel, int* error) {
  const int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                        address->ai_protocol);
  if (fd < 0) {
    *error = errno;
    return -1;
  }
  if (connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
    if (errno != EINPROGRESS) {
      *error = errno;
      close(fd);
      return -1;
    }
    // Waited for in slices, so that a cancel ends the connect at once; once the time is
    // up, a connect that has completed meanwhile still counts.
    short revents = 0;
    int ready = 0;
    bool cancelled = false;
    for (;;) {
      cancelled = cancel != nullptr && cancel->load() != 0;
      if (cancelled) break;
      const uint32_t elapsed = TickCountMs() - start;
      const uint32_t left = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
      ready = Poll(fd, POLLOUT, left < kCancelSliceMs ? left : kCancelSliceMs, &revents);
      if (ready != 0 || left == 0) break;
    }
    int result = 0;
    socklen_t length = sizeof result;
    if (cancelled) {
      result = ECANCELED;
    } else if (ready <= 0) {
      result = ready == 0 ? ETIMEDOUT : errno;
    } else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0) {
      result = errno;
    }
    if (result != 0) {
      *error = result;
      close(fd);
      return -1;
    }
  }
  // The boot protocols wait for each answer: small writes must leave at once.
  int on = 1;
  (void)setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

}  // namespace

NetSocket NetConnect(const std::string& host, const std::string& service, uint32_t timeoutMs,
                     const std::atomic<int>* cancel, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* addresses = nullptr;
  const int resolved = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses);
  if (resolved != 0) {
    *error = resolved == EAI_SYSTEM ? SystemErrorText(errno) : gai_strerror(resolved);
    return kNoSocket;
  }
  const uint32_t start = TickCountMs();
  int lastError = ETIMEDOUT;
  int fd = -1;
  for (const addrinfo* a = addresses; a != nullptr && fd < 0; a = a->ai_next) {
    if (TickCountMs() - start >= timeoutMs) break;
    if (cancel != nullptr && cancel->load() != 0) {
      lastError = ECANCELED;
      break;
    }
    fd = ConnectOne(a, start, timeoutMs, cancel, &lastError);
  }
  freeaddrinfo(addresses);
  if (fd < 0) {
    *error = SystemErrorText(lastError);
    return kNoSocket;
  }
  return fd;
}

int NetReceive(NetSocket socket, uint8_t* buffer, int n) {
  ssize_t count;
  do {
    count = recv(static_cast<int>(socket), buffer, static_cast<size_t>(n), 0);
  } while (count < 0 && errno == EINTR);
  if (count > 0) return static_cast<int>(count);
  if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
  return kNetClosed;  // 0: the far end closed the connection
}

int NetWaitReadable(NetSocket socket, uint32_t waitMs) {
  short revents = 0;
  const int ready = Poll(static_cast<int>(socket), POLLIN, waitMs, &revents);
  if (ready < 0) return kNetClosed;
  return ready > 0 ? 1 : 0;
}

bool NetSend(NetSocket socket, const uint8_t* buffer, int n, uint32_t stallMs) {
  const int fd = static_cast<int>(socket);
  int done = 0;
  while (done < n) {
    // No SIGPIPE for a connection the far end has closed: the error says it.
    const ssize_t count = send(fd, buffer + done, static_cast<size_t>(n - done), MSG_NOSIGNAL);
    if (count > 0) {
      done += static_cast<int>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    short revents = 0;
    const int ready = Poll(fd, POLLOUT, stallMs, &revents);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || (revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return false;
  }
  return true;
}

void NetClose(NetSocket socket) {
  if (socket != kNoSocket) close(static_cast<int>(socket));
}

std::vector<std::string> NetHostAddresses(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::vector<std::string> addresses;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return addresses;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    char text[NI_MAXHOST];
    if (getnameinfo(a->ai_addr, static_cast<socklen_t>(a->ai_addrlen), text, sizeof text,
                    nullptr, 0, NI_NUMERICHOST) == 0) {
      addresses.push_back(text);
    }
  }
  freeaddrinfo(found);
  return addresses;
}

}  // namespace k470
