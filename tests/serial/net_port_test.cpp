// CComPort on network ports against a scripted server on the loopback: the negotiation,
// the line settings on every open, 0xFF both ways, an unanswered SET-CONTROL, a purge,
// a server that closes the connection mid-transfer, and one that floods negotiation.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "serial/com_port.h"
#include "serial/net_port.h"
#include "serial/rfc2217.h"
#include "tests/support/line_of.h"

namespace k470 {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace rfc2217;

constexpr int kStepTimeoutMs = 5000;  // far beyond what a step takes
constexpr uint32_t kReadWaitMs = 5000;
// How long a flooding server keeps sending at most when the client does not go.
constexpr auto kFloodLimit = std::chrono::seconds(10);

Bytes Command(uint8_t command, Bytes value) {
  Bytes out;
  AppendCommand(command, value.data(), static_cast<int>(value.size()), &out);
  return out;
}

Bytes Settings(uint32_t baud) {
  Bytes out;
  AppendLineSettings(LineOf(baud, 8, 0, 0), &out);
  return out;
}

// The server's answers to the four settings at `baud`, 8N1.
Bytes Answers(uint32_t baud) {
  Bytes out;
  for (const Bytes& b : {Command(101, {static_cast<uint8_t>(baud >> 24),
                                       static_cast<uint8_t>(baud >> 16),
                                       static_cast<uint8_t>(baud >> 8),
                                       static_cast<uint8_t>(baud)}),
                         Command(102, {8}), Command(103, {1}), Command(104, {1})}) {
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

bool Contains(const Bytes& haystack, const Bytes& needle, size_t from = 0) {
  return std::search(haystack.begin() + static_cast<long>(from), haystack.end(), needle.begin(),
                     needle.end()) != haystack.end();
}

// One connection on 127.0.0.1: for each step it reads until the expected bytes have
// come (after the previous step's), then sends the reply; `close` ends the connection
// after the last step, else it stays until the client goes. Everything the client sent
// is kept in `received`.
class ScriptedServer {
 public:
  struct Step {
    Bytes expect;
    Bytes reply;
    bool flood = false;  // the reply again and again, until the client goes
  };

  ScriptedServer(std::vector<Step> steps, bool close) : m_steps(std::move(steps)) {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 4) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no listening socket";
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this, close] { Serve(close); });
  }

  ~ScriptedServer() {
    if (m_thread.joinable()) m_thread.join();
    close(m_listener);
  }

  std::string Url(const char* scheme) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port);
  }

  // Waits for the script to end; what the client sent, the steps done, the connections.
  void Join() {
    if (m_thread.joinable()) m_thread.join();
  }
  Bytes received;
  size_t stepsDone = 0;
  int accepted = 0;

 private:
  void Serve(bool closeAtEnd) {
    pollfd waitFor{m_listener, POLLIN, 0};
    if (poll(&waitFor, 1, kStepTimeoutMs) <= 0) return;
    const int fd = accept(m_listener, nullptr, nullptr);
    if (fd < 0) return;
    ++accepted;
    size_t matchedUpTo = 0;
    for (const Step& step : m_steps) {
      while (!Contains(received, step.expect, matchedUpTo)) {
        if (!ReadSome(fd)) {
          close(fd);
          return;
        }
      }
      auto at = std::search(received.begin() + static_cast<long>(matchedUpTo), received.end(),
                            step.expect.begin(), step.expect.end());
      matchedUpTo = static_cast<size_t>(at - received.begin()) + step.expect.size();
      if (step.flood) {
        Flood(fd, step.reply);
        break;
      }
      if (!step.reply.empty() && send(fd, step.reply.data(), step.reply.size(), 0) < 0) break;
      ++stepsDone;
    }
    if (!closeAtEnd) {
      while (ReadSome(fd)) {
      }
    }
    // Another connection would show up here: the test counts them.
    pollfd again{m_listener, POLLIN, 0};
    if (poll(&again, 1, 0) > 0) ++accepted;
    close(fd);
  }

  // Sends `bytes` over and over, a burst a millisecond, keeping what the client sends,
  // until the client closes the connection (or kFloodLimit has passed).
  void Flood(int fd, const Bytes& bytes) {
    Bytes burst;
    while (burst.size() < 4096) burst.insert(burst.end(), bytes.begin(), bytes.end());
    const auto end = std::chrono::steady_clock::now() + kFloodLimit;
    while (std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      pollfd ready{fd, POLLIN | POLLOUT, 0};
      if (poll(&ready, 1, 100) < 0) return;
      if (ready.revents & POLLIN) {
        uint8_t chunk[512];
        const ssize_t count = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (count == 0 || (count < 0 && errno != EAGAIN)) return;
        if (count > 0) received.insert(received.end(), chunk, chunk + count);
      }
      if ((ready.revents & POLLOUT) &&
          send(fd, burst.data(), burst.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0 &&
          errno != EAGAIN) {
        return;
      }
    }
  }

  bool ReadSome(int fd) {
    pollfd waitFor{fd, POLLIN, 0};
    if (poll(&waitFor, 1, kStepTimeoutMs) <= 0) return false;
    uint8_t chunk[512];
    const ssize_t count = recv(fd, chunk, sizeof chunk, 0);
    if (count <= 0) return false;
    received.insert(received.end(), chunk, chunk + count);
    return true;
  }

  std::vector<Step> m_steps;
  int m_listener = -1;
  int m_port = 0;
  std::thread m_thread;
};

const Bytes kWillComPort = {kIac, kWill, kOptionComPort};
// The server offers echo (which the client refuses) and agrees to the COM port option.
const Bytes kServerAgrees = {kIac, kWill, 1, kIac, kDo, kOptionComPort};

TEST(NetPort, Rfc2217SetsTheLineOnEveryOpenOverOneConnection) {
  const Bytes data = {0x01, 0xFF, 0x02};
  const Bytes stale = {0x99};
  Bytes afterData = {0x41, 0xFF, 0xFF};
  for (uint8_t b : Command(107, {0x30})) afterData.push_back(b);  // a note amid the data
  afterData.push_back(0x42);
  Bytes purged = stale;
  for (uint8_t b : Command(112, {kPurgeReceiveBuffer})) purged.push_back(b);
  purged.push_back(0x55);
  // No answer to SET-CONTROL: the line behind the server has no modem lines.
  ScriptedServer server(
      {{kWillComPort, kServerAgrees},
       {Settings(9600), Answers(9600)},
       {{0x01, 0xFF, 0xFF, 0x02}, afterData},
       {Settings(38400), Answers(38400)},
       {Command(kPurgeData, {kPurgeReceiveBuffer}), purged}},
      false);
  {
    CComPort port;
    port.SetLine(LineSettings{}.AtRate(9600));
    ASSERT_EQ(port.Open(server.Url("rfc2217")), 1) << port.OpenError();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Name(), server.Url("rfc2217"));
    EXPECT_EQ(port.Write(data.data(), 3), 1);
    uint8_t buffer[8];
    int got = 0;
    while (got < 3) {
      const int count = port.WaitRead(buffer + got, 3 - got, kReadWaitMs, nullptr);
      ASSERT_GT(count, 0);
      got += count;
    }
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{0x41, 0xFF, 0x42}));
    ASSERT_EQ(port.Reopen(server.Url("rfc2217"), LineOf(38400, 8, 0, 0)), 1) << port.OpenError();
    // What came before the server's answer to the purge is gone, what came after stays.
    port.Purge();
    EXPECT_EQ(port.WaitReadByte(kReadWaitMs, nullptr), kByteArrived + 0x55);
    EXPECT_FALSE(port.Lost());
  }
  server.Join();
  EXPECT_EQ(server.stepsDone, 5u);
  EXPECT_EQ(server.accepted, 1);  // the rate changed without a new connection
  const Bytes& sent = server.received;
  EXPECT_TRUE(Contains(sent, {kIac, kDont, 1}));  // echo refused
  EXPECT_TRUE(Contains(sent, Command(kSetControl, {kControlNoFlowControl})));
  EXPECT_TRUE(Contains(sent, Command(kSetControl, {kControlDtrOff})));
  EXPECT_TRUE(Contains(sent, Command(kSetControl, {kControlRtsOff})));
}

TEST(NetPort, AServerThatRefusesTheComPortOptionIsNoPort) {
  ScriptedServer server({{kWillComPort, {kIac, kDont, kOptionComPort}}}, false);
  CComPort port;
  EXPECT_EQ(port.Open(server.Url("rfc2217")), 0);
  EXPECT_EQ(port.OpenError(), kTextNoComPortControl);
  EXPECT_FALSE(port.IsOpen());
}

TEST(NetPort, AServerClosingMidTransferIsALostPort) {
  for (const char* scheme : {"rfc2217", "socket"}) {
    SCOPED_TRACE(scheme);
    const bool telnet = scheme[0] == 'r';
    std::vector<ScriptedServer::Step> steps;
    if (telnet) {
      steps = {{kWillComPort, kServerAgrees}, {Settings(38400), Answers(38400)}};
    }
    // 0xFF travels as it is over a raw port.
    steps.push_back({telnet ? Bytes{0xAA, 0xFF, 0xFF} : Bytes{0xAA, 0xFF}, {0x01, 0x02}});
    ScriptedServer server(steps, true);
    CComPort port;
    ASSERT_EQ(port.Open(server.Url(scheme)), 1) << port.OpenError();
    const uint8_t out[] = {0xAA, 0xFF};
    EXPECT_EQ(port.Write(out, 2), 1);
    uint8_t buffer[4];
    int got = 0;
    while (got < 2) {
      const int count = port.WaitRead(buffer + got, 2 - got, kReadWaitMs, nullptr);
      ASSERT_GT(count, 0);
      got += count;
    }
    EXPECT_EQ(buffer[0], 0x01);
    EXPECT_EQ(buffer[1], 0x02);
    server.Join();
    EXPECT_EQ(port.WaitReadByte(kReadWaitMs, nullptr), kReadPortLost);
    EXPECT_TRUE(port.Lost());
    EXPECT_EQ(port.WriteByte(0x00), 0);
    EXPECT_EQ(port.ReadByte(), 0);
  }
}

TEST(NetPort, NobodyListeningAndABadAddressFailTheOpen) {
  // A port that was free a moment ago.
  const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
  close(probe);
  const int unused = ntohs(address.sin_port);
  CComPort port;
  EXPECT_EQ(port.Open("socket://127.0.0.1:" + std::to_string(unused)), 0);
  EXPECT_FALSE(port.OpenError().empty());
  EXPECT_EQ(port.Open("rfc2217://127.0.0.1"), 0);
  EXPECT_EQ(port.OpenError(), kTextBadNetAddress);
  EXPECT_FALSE(port.IsOpen());
}

// A server that never stops negotiating (an option offered again and again, or a
// subnegotiation without its end) neither holds the open past its time nor is answered
// more than once per option.
TEST(NetPort, AServerThatOnlyNegotiatesFailsTheOpen) {
  const Bytes kOffer99 = {kIac, kWill, 99};
  const Bytes kEndlessSub = {kIac, kSb, kOptionComPort, 0x01, 0x02, 0x03, 0x04};
  for (const Bytes& flood : {kOffer99, kEndlessSub}) {
    SCOPED_TRACE(flood[1]);
    ScriptedServer server({{kWillComPort, flood, true}}, true);
    {
      CComPort port;
      EXPECT_EQ(port.Open(server.Url("rfc2217")), 0);
      EXPECT_TRUE(port.OpenError() == kTextNegotiationFlood ||
                  port.OpenError() == kTextNoComPortControl)
          << port.OpenError();
    }
    server.Join();
    // Refused once at most (a reset connection may lose what the client sent last).
    const Bytes refusal = {kIac, kDont, 99};
    const auto first = std::search(server.received.begin(), server.received.end(),
                                   refusal.begin(), refusal.end());
    EXPECT_EQ(std::search(first + (first != server.received.end()), server.received.end(),
                          refusal.begin(), refusal.end()),
              server.received.end());
  }
}

// After a good open, telnet commands that never stop keep no wait from its time-out.
TEST(NetPort, ANegotiationFloodAfterTheOpenLetsAWaitTimeOut) {
  ScriptedServer server({{kWillComPort, kServerAgrees},
                         {Settings(38400), Answers(38400)},
                         {{0x0D}, {kIac, kWill, 99, kIac, 241 /* NOP */}, true}},
                        true);
  {
    CComPort port;
    ASSERT_EQ(port.Open(server.Url("rfc2217")), 1) << port.OpenError();
    ASSERT_EQ(port.WriteByte(0x0D), 1);
    EXPECT_EQ(port.WaitReadByte(300, nullptr), kReadTimedOut);
    std::atomic<int> cancel{1};
    EXPECT_EQ(port.WaitReadByte(kReadWaitMs, &cancel), kReadCancelled);
  }
  server.Join();
}

}  // namespace
}  // namespace k470
