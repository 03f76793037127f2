// Serial lines on other machines, reached over TCP: "rfc2217://HOST:PORT" speaks telnet
// with the COM port control option, so the line's rate and frame format are set from
// here; "socket://HOST:PORT" carries bytes only, at whatever rate the server's line has.
// CComPort hands every operation to a NetLink when the port's name is such an address.
#pragma once

#include <atomic>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "serial/net_socket.h"
#include "serial/rfc2217.h"

namespace k470 {

// A network port's address as the user typed it.
struct NetAddress {
  bool telnet = false;   // rfc2217:// rather than socket://
  std::string host;      // a name, an IPv4 address or an IPv6 address without brackets
  std::string service;   // the TCP port number, 1..65535
};

// True for a text that starts with rfc2217:// or socket:// (letters in any case).
bool IsNetPortName(const std::string& text);

// True for a socket:// port, whose rate cannot be changed from here.
bool IsRawNetPortName(const std::string& text);

// Parses "rfc2217://HOST:PORT" or "socket://HOST:PORT"; an IPv6 host is written in
// brackets ("[::1]:2217"). False when the text is no such address.
bool ParseNetAddress(const std::string& text, NetAddress* address);

// Why an open of a network port failed, besides the system's words.
constexpr const char* kTextBadNetAddress = "not a network port address (HOST:PORT)";
constexpr const char* kTextNoComPortControl = "the server does not control the serial line";
constexpr const char* kTextNoAnswer = "the server did not answer the line settings";
constexpr const char* kTextBadLineSettings = "line settings the server cannot take";
constexpr const char* kTextConnectionClosed = "the server closed the connection";
constexpr const char* kTextNegotiationFlood = "the server's negotiation does not end";
constexpr const char* kTextOpenCancelled = "cancelled";

// One connection to a network port.
class NetLink {
 public:
  NetLink() = default;
  ~NetLink();
  NetLink(const NetLink&) = delete;
  NetLink& operator=(const NetLink&) = delete;

  // A flag (may be null) that ends the connect and every wait for the server's answers
  // at once when it is set: the owner's cancel.
  void SetCancel(const std::atomic<int>* cancel) { m_cancel = cancel; }

  // Connects (within kConnectTimeoutMs) and, over telnet, agrees on the COM port option
  // (within kAnswerTimeoutMs and kNegotiationLimitBytes, whatever the server sends) and
  // sets the line. Returns 1/0; `*error` tells why it failed.
  int Open(const NetAddress& address, const LineSettings& line, std::string* error);

  // Open's steps after the connect, on a socket connected by other means (the link owns
  // it from now on): over telnet the agreement and the line settings.
  int OpenConnected(NetSocket socket, bool telnet, const LineSettings& line, std::string* error);

  // Sets the line of an open telnet connection and waits for the server's answers; a raw
  // connection takes any setting. Returns 1/0 with the reason in `*error`.
  int SetLine(const LineSettings& line, std::string* error);

  // Discards what has been received; over telnet the server also empties its receive
  // buffer, and what arrives before its answer is discarded with it.
  void Purge();

  // Up to n data bytes that have arrived, without waiting; kNetClosed once the
  // connection has ended (the bytes received before the end are handed out first).
  int Read(uint8_t* buffer, int n);

  // Read, after waiting up to `waitMs` for the first data byte.
  int ReadWithin(uint8_t* buffer, int n, uint32_t waitMs);

  // Sends the data (0xFF doubled over telnet). Returns 1/0.
  int Write(const uint8_t* buffer, int n);

  bool Ended() const { return m_ended; }

  static constexpr uint32_t kConnectTimeoutMs = 5000;
  // How long the server has to answer the option and each change of the line.
  static constexpr uint32_t kAnswerTimeoutMs = 3000;
  // A send that makes no progress for this long has stalled (the connection is gone).
  static constexpr uint32_t kSendStallTimeoutMs = 2000;
  // A server's side of the agreement takes a few dozen bytes of telnet commands; one that
  // sends this many before agreeing is sending nothing else. (Data from the far line may
  // come before the agreement too, and does not count.)
  static constexpr uint32_t kNegotiationLimitBytes = 16 * 1024;

 private:
  // Received data waiting to be read; the socket is not read while this is full, so a
  // fast sender is held back by TCP rather than by memory.
  static constexpr size_t kQueueBytes = 64 * 1024;
  static constexpr int kReceiveChunkBytes = 4096;
  // What one look at the socket takes at most, so that a server that never stops sending
  // (telnet commands, which queue no data) cannot keep a wait from its time-out.
  static constexpr size_t kPumpBudgetBytes = 16 * kReceiveChunkBytes;

  // Receives what has come, waiting up to `waitMs` for the first byte, and parses it.
  // False once the connection has ended.
  bool Pump(uint32_t waitMs);
  void Handle(rfc2217::Event event);
  void AnswerOption(uint8_t verb, uint8_t option);
  bool Send(const std::vector<uint8_t>& bytes);
  // Waits until every command in `commands` (a bit per command) has been answered.
  bool AwaitAnswers(uint32_t commands);
  void Discard();
  bool Cancelled() const { return m_cancel != nullptr && m_cancel->load() != 0; }

  NetSocket m_socket = kNoSocket;
  bool m_telnet = false;
  bool m_ended = false;
  rfc2217::Parser m_parser;
  std::vector<uint8_t> m_queue;  // data bytes from m_head on wait to be read
  size_t m_head = 0;
  uint32_t m_answered = 0;       // a bit per COM port command answered since it was sent
  bool m_comPortAgreed = false;  // the server said DO COM-PORT-OPTION
  bool m_comPortRefused = false; // the server said DONT COM-PORT-OPTION
  bool m_purging = false;        // data is dropped until the server answers PURGE-DATA
  std::bitset<256> m_sentWill;   // options this side has offered or agreed to do
  std::bitset<256> m_sentDo;     // options this side has asked or allowed the server to do
  std::bitset<256> m_refusedWill;  // options of the server's this side has refused once
  std::bitset<256> m_refusedDo;    // options of its own this side has refused once
  uint64_t m_commandBytes = 0;  // received bytes that were telnet commands, not data
  const std::atomic<int>* m_cancel = nullptr;
};

}  // namespace k470
