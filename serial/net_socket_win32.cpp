// The network ports' TCP connection on Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <mutex>

#include "base/cancel_slice.h"
#include "base/ticks.h"
#include "serial/system_error_text.h"
#include "serial/com_port.h"
#include "serial/net_socket.h"

namespace k470 {
namespace {

constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

// Winsock is started once for the program's life; a failed start is reported by every
// connect.
int StartWinsock() {
  static std::once_flag once;
  static int result = 0;
  std::call_once(once, [] {
    WSADATA data;
    result = WSAStartup(kWinsockVersion, &data);
  });
  return result;
}


SOCKET SocketOf(NetSocket socket) { return static_cast<SOCKET>(socket); }

// select on one socket: 1 ready, 0 time out, SOCKET_ERROR failed. `failures` also
// collects a connect that failed.
int Select(SOCKET s, bool forWrite, uint32_t waitMs) {
  fd_set ready;
  fd_set failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(s, &ready);
  FD_SET(s, &failed);
  timeval wait{static_cast<long>(waitMs / 1000), static_cast<long>((waitMs % 1000) * 1000)};
  const int result = select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr,
                            forWrite ? &failed : nullptr, &wait);
  if (result <= 0) return result;
  return FD_ISSET(s, &ready) ? 1 : SOCKET_ERROR;
}

SOCKET ConnectOne(const addrinfo* address, uint32_t start, uint32_t timeoutMs,
                  const std::atomic<int>* cancel, int* error) {
  SOCKET s = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
  if (s == INVALID_SOCKET) {
    *error = WSAGetLastError();
    return INVALID_SOCKET;
  }
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  if (connect(s, address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0) {
    const int started = WSAGetLastError();
    if (started != WSAEWOULDBLOCK) {
      *error = started;
      closesocket(s);
      return INVALID_SOCKET;
    }
    // Waited for in slices, so that a cancel ends the connect at once; once the time is
    // up, a connect that has completed meanwhile still counts.
    int ready = 0;
    bool cancelled = false;
    for (;;) {
      cancelled = cancel != nullptr && cancel->load() != 0;
      if (cancelled) break;
      const uint32_t elapsed = TickCountMs() - start;
      const uint32_t left = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
      ready = Select(s, true, left < kCancelSliceMs ? left : kCancelSliceMs);
      if (ready != 0 || left == 0) break;
    }
    if (ready != 1) {
      int result = cancelled ? WSAECANCELLED : WSAETIMEDOUT;
      int length = sizeof result;
      if (ready != 0 &&
          getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length) != 0) {
        result = WSAGetLastError();
      }
      *error = result != 0 ? result : WSAECONNREFUSED;
      closesocket(s);
      return INVALID_SOCKET;
    }
  }
  // The boot protocols wait for each answer: small writes must leave at once.
  BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return s;
}

}  // namespace

NetSocket NetConnect(const std::string& host, const std::string& service, uint32_t timeoutMs,
                     const std::atomic<int>* cancel, std::string* error) {
  const int started = StartWinsock();
  if (started != 0) {
    *error = SystemErrorText(static_cast<DWORD>(started));
    return kNoSocket;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* addresses = nullptr;
  const int resolved = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses);
  if (resolved != 0) {
    *error = SystemErrorText(static_cast<DWORD>(resolved));
    return kNoSocket;
  }
  const uint32_t start = TickCountMs();
  int lastError = WSAETIMEDOUT;
  SOCKET s = INVALID_SOCKET;
  for (const addrinfo* a = addresses; a != nullptr && s == INVALID_SOCKET; a = a->ai_next) {
    if (TickCountMs() - start >= timeoutMs) break;
    if (cancel != nullptr && cancel->load() != 0) {
      lastError = WSAECANCELLED;
      break;
    }
    s = ConnectOne(a, start, timeoutMs, cancel, &lastError);
  }
  freeaddrinfo(addresses);
  if (s == INVALID_SOCKET) {
    *error = SystemErrorText(static_cast<DWORD>(lastError));
    return kNoSocket;
  }
  return static_cast<NetSocket>(s);
}

int NetReceive(NetSocket socket, uint8_t* buffer, int n) {
  const int count = recv(SocketOf(socket), reinterpret_cast<char*>(buffer), n, 0);
  if (count > 0) return count;
  if (count == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
  return kNetClosed;  // 0: the far end closed the connection
}

int NetWaitReadable(NetSocket socket, uint32_t waitMs) {
  const int ready = Select(SocketOf(socket), false, waitMs);
  if (ready == SOCKET_ERROR) return kNetClosed;
  return ready;
}

bool NetSend(NetSocket socket, const uint8_t* buffer, int n, uint32_t stallMs) {
  const SOCKET s = SocketOf(socket);
  int done = 0;
  while (done < n) {
    const int count = send(s, reinterpret_cast<const char*>(buffer + done), n - done, 0);
    if (count > 0) {
      done += count;
      continue;
    }
    if (count == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return false;
    if (Select(s, true, stallMs) != 1) return false;
  }
  return true;
}

void NetClose(NetSocket socket) {
  if (socket != kNoSocket) closesocket(SocketOf(socket));
}

std::vector<std::string> NetHostAddresses(const std::string& host) {
  if (StartWinsock() != 0) return {};
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
