// Telnet with the COM port control option: the bytes a client sends to set a remote
// serial line, and a receive parser that takes the server's stream one byte at a time,
// strips the telnet commands out of it and undoes the doubling of 0xFF. No sockets here.
#pragma once

#include <cstdint>
#include <vector>

#include "serial/line_settings.h"

namespace k470::rfc2217 {

// Telnet commands and the options the client speaks.
constexpr uint8_t kIac = 255;
constexpr uint8_t kDont = 254;
constexpr uint8_t kDo = 253;
constexpr uint8_t kWont = 252;
constexpr uint8_t kWill = 251;
constexpr uint8_t kSb = 250;
constexpr uint8_t kSe = 240;
constexpr uint8_t kOptionBinary = 0;
constexpr uint8_t kOptionSuppressGoAhead = 3;
constexpr uint8_t kOptionComPort = 44;

// COM port commands of the client; the server answers each with the same command plus
// kServerOffset and the value it has set.
constexpr uint8_t kSetBaudrate = 1;
constexpr uint8_t kSetDatasize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopsize = 4;
constexpr uint8_t kSetControl = 5;
constexpr uint8_t kPurgeData = 12;
constexpr uint8_t kServerOffset = 100;
constexpr uint8_t kLastCommand = 12;

// Values of SET-CONTROL and PURGE-DATA.
constexpr uint8_t kControlNoFlowControl = 1;
constexpr uint8_t kControlDtrOff = 9;
constexpr uint8_t kControlRtsOff = 12;
constexpr uint8_t kPurgeReceiveBuffer = 1;

// Appends data as it travels: every 0xFF doubled.
void AppendData(const uint8_t* data, int n, std::vector<uint8_t>* out);

// Appends IAC verb option (verb: kWill, kWont, kDo, kDont).
void AppendOption(uint8_t verb, uint8_t option, std::vector<uint8_t>* out);

// Appends IAC SB COM-PORT-OPTION command value IAC SE, 0xFF in the value doubled.
void AppendCommand(uint8_t command, const uint8_t* value, int n, std::vector<uint8_t>* out);

// Appends SET-BAUDRATE, SET-DATASIZE, SET-PARITY and SET-STOPSIZE for the line settings.
// False, with nothing appended, for a setting that has no value on the wire.
bool AppendLineSettings(const LineSettings& line, std::vector<uint8_t>* out);

// What one byte of the server's stream completed.
enum class Event {
  kNone,     // part of a command, or a command the client ignores
  kData,     // a data byte: data()
  kOption,   // IAC verb option: verb(), option()
  kCommand,  // a COM port answer: command() (with kServerOffset), value(), valueLength()
};

class Parser {
 public:
  Event Take(uint8_t b);

  uint8_t data() const { return m_data; }
  uint8_t verb() const { return m_verb; }
  uint8_t option() const { return m_option; }
  uint8_t command() const { return m_sub[1]; }
  const uint8_t* value() const { return m_sub + 2; }
  int valueLength() const { return m_subLength - 2; }

 private:
  // A COM port answer holds at most a command and a 4-byte value; longer subnegotiations
  // of other options are cut here and ignored.
  static constexpr int kSubBytes = 16;

  enum class State { kData, kIac, kVerb, kSub, kSubIac };
  Event EndSub();

  State m_state = State::kData;
  uint8_t m_data = 0;
  uint8_t m_verb = 0;
  uint8_t m_option = 0;
  uint8_t m_sub[kSubBytes] = {};
  int m_subLength = 0;
  bool m_subCut = false;
};

}  // namespace k470::rfc2217
