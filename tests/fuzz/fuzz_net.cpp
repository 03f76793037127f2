// fuzz_net: what a broken or hostile network port server sends (subnegotiations cut or
// endless, runs of 0xFF, answers to options never asked). The first byte picks rfc2217://
// (even) or socket:// (odd); the rest goes through the telnet parser alone, then through a
// link on a socket pair: its open, its reads and a purge. Checks: a failed open says why,
// an answer's value fits its area, no read hands out more than asked, and no more data is
// read than was sent (over socket://, exactly what was sent).
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "serial/net_port.h"
#include "serial/rfc2217.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace k470;

constexpr int kReadBytes = 64;
constexpr int kLastValueBytes = 14;  // the parser's 16-byte area less option and command

void ParseAlone(const uint8_t* data, size_t size) {
  rfc2217::Parser parser;
  for (size_t i = 0; i < size; ++i) {
    if (parser.Take(data[i]) == rfc2217::Event::kCommand) {
      FUZZ_CHECK(parser.valueLength() >= 0 && parser.valueLength() <= kLastValueBytes,
                 "a COM port answer's value length of " + std::to_string(parser.valueLength()));
    }
  }
}

// [0] the link's end (non-blocking, as a connected socket is), [1] the server's, which
// sends the input and then stops sending.
bool ServerThatSent(const uint8_t* data, size_t size, int (&ends)[2]) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
  const int flags = fcntl(ends[0], F_GETFL);
  fcntl(ends[0], F_SETFL, flags | O_NONBLOCK);
  size_t sent = 0;
  while (sent < size) {
    const ssize_t n = send(ends[1], data + sent, size - sent, MSG_NOSIGNAL);
    FUZZ_CHECK(n > 0, "the input does not fit the socket pair's buffer");
    sent += static_cast<size_t>(n);
  }
  shutdown(ends[1], SHUT_WR);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool telnet = (data[0] & 1) == 0;
  ++data;
  --size;
  ParseAlone(data, size);

  int ends[2];
  FUZZ_CHECK(ServerThatSent(data, size, ends), "no socket pair");
  {
    NetLink link;  // owns ends[0] from the open on
    std::string error;
    const int opened = link.OpenConnected(ends[0], telnet, LineSettings{}, &error);
    FUZZ_CHECK(opened == 1 || !error.empty(), "an open that failed gives no reason");
    size_t received = 0;
    uint8_t buffer[kReadBytes + 1];
    // Every read hands out at least one byte or ends the loop: the input bounds it.
    for (size_t reads = 0; reads <= size + 1; ++reads) {
      const int count = link.ReadWithin(buffer, kReadBytes, 0);
      if (count == kNetClosed) break;
      FUZZ_CHECK(count >= 0 && count <= kReadBytes, "a read of " + std::to_string(count));
      if (count == 0 && link.Ended()) break;
      received += static_cast<size_t>(count);
    }
    FUZZ_CHECK(received <= size, "more data read than the server sent");
    if (!telnet) FUZZ_CHECK(received == size, "a raw port lost data");
    if (opened == 1) link.Purge();
    const uint8_t answer[] = {0x0D, 0xFF};
    link.Write(answer, sizeof answer);
  }
  close(ends[1]);
  return 0;
}
