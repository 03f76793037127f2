// FakeLine: the scripted far end behind every CComPort of a unit test (the test build
// links com_port_fake.cpp instead of a real port). A test says what it expects the host
// to write and what the far end answers; a write that differs from the script is
// recorded as a mismatch. Everything written and answered is kept as a transcript:
//   >> 3F 06 01 80 07 D0 01 01 61     (host to target, one line per write call)
//   << 06                             (target to host, one line per answer)
//   -- open 9600                      (the port opened at that rate)
//   -- rate 57600                     (the open port's rate changed)
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace k470::test {

using Bytes = std::vector<uint8_t>;

Bytes HexBytes(const std::string& text);  // "3F 06 01" → {0x3F, 0x06, 0x01}
std::string HexText(const Bytes& bytes);  // {0x3F, 0x06} → "3F 06"

class FakeLine {
 public:
  static FakeLine& Instance();

  // Forgets the script, the transcript and the faults; the virtual clock is not reset.
  void Reset();

  // When the host has written `request` (possibly over several writes), the far end
  // answers `response`, which becomes readable `delayMs` later on the test clock.
  void Expect(const Bytes& request, const Bytes& response = {}, uint32_t delayMs = 0);

  // Bytes that arrive without being asked for, readable at once.
  void Feed(const Bytes& bytes);

  // Called for every write once the expectations are used up; returns the answer.
  // `baud` is the rate the host's port is open at.
  using Responder = std::function<Bytes(const Bytes& written, uint32_t baud)>;
  void SetResponder(Responder responder);

  // Faults on demand.
  void SetOpenFails(bool fails);
  void SetWriteFails(bool fails);
  // The device goes away (an unplugged adapter) once the host has written `bytes` in
  // all (0: at once): later reads and writes fail as on a lost port.
  void LoseLineAfter(size_t bytes);
  bool IsLost() const;
  // The host's next wait for a byte lasts `ms` on the test clock, however short it asked
  // for: a program stopped (Ctrl-Z, a sleeping laptop) while the answers came.
  void StallNextWait(uint32_t ms);

  // Observations.
  Bytes Written() const;
  std::string Transcript() const;
  // The rate of every successful open and of every change of the open line.
  std::vector<uint32_t> LineRates() const;
  int OpenCount() const;
  bool IsOpen() const;
  // Empty when every write matched the script and nothing expected is left over.
  std::string Problems() const;
  size_t PendingExpectations() const;

  // Used by com_port_fake.cpp.
  bool OnOpen(uint32_t baud);
  void OnClose();
  void OnLineChange(uint32_t baud);  // also empties what has arrived, as a purge
  void OnPurge();
  bool OnWrite(const uint8_t* data, int n);
  int OnRead(uint8_t* buffer, int n);  // -1 once the line is lost
  // Moves the virtual clock on to the next answer's arrival, by `waitMs` at most.
  void AwaitByte(uint32_t waitMs);

 private:
  struct Expectation {
    Bytes request;
    Bytes response;
    uint32_t delayMs;
  };
  struct Pending {
    uint8_t byte;
    uint32_t readyAt;
  };
  void Answer(const Bytes& response, uint32_t delayMs);

  mutable std::mutex m_mutex;
  std::vector<Expectation> m_script;
  size_t m_next = 0;
  Bytes m_partial;  // written bytes not yet matched to the next expectation
  std::vector<Pending> m_incoming;
  Responder m_responder;
  bool m_openFails = false;
  bool m_writeFails = false;
  bool m_losesLine = false;
  size_t m_loseAfterBytes = 0;
  uint32_t m_stallMs = 0;
  bool m_open = false;
  uint32_t m_baud = 0;
  Bytes m_written;
  std::string m_transcript;
  std::string m_problems;
  std::vector<uint32_t> m_rates;
  int m_opens = 0;
};

}  // namespace k470::test
