// A TCP connection to one host for the network ports: connect with a time-out, receive
// without waiting, wait for input, send everything. The platform half lives in
// net_socket_posix.cpp or net_socket_win32.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace k470 {

// A connected socket: the descriptor on Unix, the SOCKET on Windows; kNoSocket for none.
using NetSocket = intptr_t;
constexpr NetSocket kNoSocket = -1;

// What NetReceive and NetWaitReadable return when the connection has ended or failed.
constexpr int kNetClosed = -1;

// Connects to `host` (a name or an address; an IPv6 address without brackets) on
// `service` (a port number), trying each address the name resolves to until one answers,
// all within `timeoutMs`; ends at once when `*cancel` (may be null) is seen set. Returns
// the socket, non-blocking and without send delay, or kNoSocket with the reason in
// `*error`.
NetSocket NetConnect(const std::string& host, const std::string& service, uint32_t timeoutMs,
                     const std::atomic<int>* cancel, std::string* error);

// Up to n bytes that have arrived: the count, 0 when none waits, kNetClosed when the far
// end has closed the connection or it failed.
int NetReceive(NetSocket socket, uint8_t* buffer, int n);

// Waits up to `waitMs` for input (or the connection's end): 1 when there is some, 0 when
// the time passed, kNetClosed when the wait failed.
int NetWaitReadable(NetSocket socket, uint32_t waitMs);

// Sends all n bytes; false when the connection failed or made no progress for `stallMs`.
bool NetSend(NetSocket socket, const uint8_t* buffer, int n, uint32_t stallMs);

void NetClose(NetSocket socket);

// The addresses `host` (a name or an address) resolves to, as numeric texts
// ("127.0.0.1", "::1"); empty when it resolves to none. "localhost", "127.0.0.1" and
// "127.1" share 127.0.0.1.
std::vector<std::string> NetHostAddresses(const std::string& host);

}  // namespace k470
