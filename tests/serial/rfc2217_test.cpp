// The COM port option's encoder and receive parser, and the network port addresses.
#include "serial/rfc2217.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/net_port.h"
#include "tests/support/line_of.h"

namespace k470 {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace rfc2217;

// IAC SB COM-PORT-OPTION command value IAC SE, the value as it travels.
Bytes Command(uint8_t command, const Bytes& value) {
  Bytes out;
  for (uint8_t b : {kIac, kSb, kOptionComPort, command}) out.push_back(b);
  for (uint8_t b : value) out.push_back(b);
  out.push_back(kIac);
  out.push_back(kSe);
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(Rfc2217, LineSettingsBecomeTheFourSetCommands) {
  struct Case {
    uint32_t baud;
    int byteSize, parity, stopBits;
    Bytes expected;  // empty: refused
  } cases[] = {
      {38400, 8, 0, 0,
       Join({Command(1, {0x00, 0x00, 0x96, 0x00}), Command(2, {8}), Command(3, {1}),
             Command(4, {1})})},
      {9600, 7, 2, 2,
       Join({Command(1, {0x00, 0x00, 0x25, 0x80}), Command(2, {7}), Command(3, {3}),
             Command(4, {2})})},
      {115200, 5, 1, 1,
       Join({Command(1, {0x00, 0x01, 0xC2, 0x00}), Command(2, {5}), Command(3, {2}),
             Command(4, {3})})},
      // 0xFF inside a value is doubled like data.
      {0x00FFFF01, 6, 3, 0,
       Join({Command(1, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}), Command(2, {6}),
             Command(3, {4}), Command(4, {1})})},
      {57600, 8, 4, 0,
       Join({Command(1, {0x00, 0x00, 0xE1, 0x00}), Command(2, {8}), Command(3, {5}),
             Command(4, {1})})},
      {0, 8, 0, 0, {}},      {9600, 4, 0, 0, {}},  {9600, 9, 0, 0, {}},
      {9600, 8, 5, 0, {}},   {9600, 8, -1, 0, {}}, {9600, 8, 0, 3, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.baud << " " << c.byteSize << " " << c.parity << " "
                                    << c.stopBits);
    Bytes out;
    EXPECT_EQ(AppendLineSettings(LineOf(c.baud, c.byteSize, c.parity, c.stopBits), &out),
              !c.expected.empty());
    EXPECT_EQ(out, c.expected);
  }
}

TEST(Rfc2217, DataIsDoubledOnTheWayOutAndUndoubledOnTheWayIn) {
  struct Case {
    Bytes data, wire;
  } cases[] = {
      {{}, {}},
      {{0x01, 0x02}, {0x01, 0x02}},
      {{0xFF}, {0xFF, 0xFF}},
      {{0xFF, 0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF}},
      {{0x0D, 0x00, 0x0A}, {0x0D, 0x00, 0x0A}},  // binary: no carriage-return handling
  };
  for (const Case& c : cases) {
    Bytes out;
    AppendData(c.data.data(), static_cast<int>(c.data.size()), &out);
    EXPECT_EQ(out, c.wire);
    Parser parser;
    Bytes back;
    for (uint8_t b : c.wire) {
      if (parser.Take(b) == Event::kData) back.push_back(parser.data());
    }
    EXPECT_EQ(back, c.data);
  }
}

// What the parser makes of a server's stream, as text: data bytes as hex, options as
// "WILL 44", COM port answers as "C101:0000960" (command: value).
std::string Parse(const Bytes& stream) {
  Parser parser;
  std::string out;
  char text[16];
  for (uint8_t b : stream) {
    switch (parser.Take(b)) {
      case Event::kNone: break;
      case Event::kData:
        std::snprintf(text, sizeof text, "%02X ", parser.data());
        out += text;
        break;
      case Event::kOption: {
        static const char* const kVerbs[] = {"WILL", "WONT", "DO", "DONT"};
        std::snprintf(text, sizeof text, "%s %d ", kVerbs[parser.verb() - kWill],
                      parser.option());
        out += text;
        break;
      }
      case Event::kCommand:
        std::snprintf(text, sizeof text, "C%d:", parser.command());
        out += text;
        for (int i = 0; i < parser.valueLength(); ++i) {
          std::snprintf(text, sizeof text, "%02X", parser.value()[i]);
          out += text;
        }
        out += " ";
        break;
    }
  }
  return out;
}

TEST(Rfc2217, TheParserStripsTelnetCommandsFromTheData) {
  struct Case {
    Bytes stream;
    std::string parsed;
  } cases[] = {
      {{0x41, kIac, kWill, 3, 0x42}, "41 WILL 3 42 "},
      {{kIac, kDo, 44, kIac, kDont, 1, kIac, kWont, 0}, "DO 44 DONT 1 WONT 0 "},
      {Join({{0x10}, Command(101, {0x00, 0x00, 0x25, 0x80}), {0x11}}), "10 C101:00002580 11 "},
      // A doubled 0xFF inside an answer is one byte of its value.
      {Command(101, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}), "C101:00FFFF01 "},
      // Answers split anywhere still parse; NOP and GA carry nothing.
      {{kIac, 241, 0x20, kIac, 249, 0x21}, "20 21 "},
      // Subnegotiations of other options are dropped, however long.
      {{kIac, kSb, 24, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
        kIac, kSe, 0x30},
       "30 "},
      // A COM port answer longer than any real one is dropped whole.
      {Join({Command(101, Bytes(20, 0x01)), {0x31}}), "31 "},
      {{kIac, kSb, 44, kIac, kSe}, ""},  // no command
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.stream), c.parsed);
}

TEST(NetPortNames, AddressesNeedASchemeAHostAndATcpPort) {
  struct Case {
    const char* text;
    bool ok;
    bool telnet;
    const char* host;
    const char* service;
  } cases[] = {
      {"rfc2217://127.0.0.1:2217", true, true, "127.0.0.1", "2217"},
      {"socket://rack-3.lab:4001", true, false, "rack-3.lab", "4001"},
      {"RFC2217://[::1]:7000", true, true, "::1", "7000"},
      {"socket://[fe80::1%eth0]:1", true, false, "fe80::1%eth0", "1"},
      {"rfc2217://host:65535", true, true, "host", "65535"},
      {"rfc2217://host:65536", false, false, "", ""},
      {"rfc2217://host:0", false, false, "", ""},
      {"rfc2217://host", false, false, "", ""},         {"rfc2217://:2217", false, false, "", ""},
      {"rfc2217://::1:2217", false, false, "", ""},     {"rfc2217://[::1]2217", false, false, "", ""},
      {"rfc2217://[::1:2217", false, false, "", ""},    {"rfc2217://host:22a", false, false, "", ""},
      {"rfc2217://host:", false, false, "", ""},        {"rfc2217://a b:1", false, false, "", ""},
      {"rfc2217://a/b:1", false, false, "", ""},        {"telnet://host:23", false, false, "", ""},
      {"COM3", false, false, "", ""},                   {"/dev/ttyUSB0", false, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    NetAddress address;
    ASSERT_EQ(ParseNetAddress(c.text, &address), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(address.telnet, c.telnet);
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.service, c.service);
  }
  EXPECT_TRUE(IsNetPortName("Socket://x"));
  EXPECT_TRUE(IsRawNetPortName("SOCKET://x:1"));
  EXPECT_FALSE(IsRawNetPortName("rfc2217://x:1"));
  EXPECT_FALSE(IsNetPortName("rfc2217:/x:1"));
}

}  // namespace
}  // namespace k470
