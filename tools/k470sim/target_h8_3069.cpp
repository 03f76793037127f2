// The H8/3069's boot program.
#include "target_h8_3069.h"

#include <cmath>
#include <cstdlib>

#include "json_writer.h"

namespace k470sim {

namespace {

// Answers.
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kSyncAnswer = 0xE6;
constexpr uint8_t kErrorFlag = 0x80;

// Commands.
constexpr uint8_t kCmdDeviceSelect = 0x10;
constexpr uint8_t kCmdClockModeSelect = 0x11;
constexpr uint8_t kCmdDeviceInquiry = 0x20;
constexpr uint8_t kCmdClockModeInquiry = 0x21;
constexpr uint8_t kCmdRatioInquiry = 0x22;
constexpr uint8_t kCmdFrequencyInquiry = 0x23;
constexpr uint8_t kCmdUserAreaInquiry = 0x25;
constexpr uint8_t kCmdProgramSizeInquiry = 0x27;
constexpr uint8_t kCmdNewBitRate = 0x3F;
constexpr uint8_t kCmdProgramState = 0x40;
constexpr uint8_t kCmdUserFlashSelect = 0x43;
constexpr uint8_t kCmdProgram128 = 0x50;
constexpr uint8_t kCmdBitRateConfirm = 0x06;
constexpr uint8_t kCmdMemoryRead = 0x52;  // the one check command with data

// Responses to the inquiries.
constexpr uint8_t kRspDevice = 0x30;
constexpr uint8_t kRspClockMode = 0x31;
constexpr uint8_t kRspRatio = 0x32;
constexpr uint8_t kRspFrequency = 0x33;
constexpr uint8_t kRspUserArea = 0x35;
constexpr uint8_t kRspProgramSize = 0x37;

// Error codes (second byte of an error reply).
constexpr uint8_t kErrChecksum = 0x11;
constexpr uint8_t kErrDeviceCode = 0x21;
constexpr uint8_t kErrClockMode = 0x22;
constexpr uint8_t kErrBitRate = 0x24;
constexpr uint8_t kErrInputFrequency = 0x25;
constexpr uint8_t kErrRatio = 0x26;
constexpr uint8_t kErrOperatingFrequency = 0x27;
constexpr uint8_t kErrAddress = 0x2A;
constexpr uint8_t kErrSize = 0x2B;
constexpr uint8_t kErrProgramming = 0x53;
constexpr uint8_t kErrCommand = 0x80;  // unknown, or not allowed in the present state

// The one device this boot program knows.
constexpr uint8_t kDeviceCode[4] = {'3', '0', '6', '9'};
constexpr char kProductName[] = "HD64F3069F20";
constexpr uint8_t kClockMode = 0x00;
constexpr uint8_t kRatio = 0x01;
// Input/operating frequency range in units of 0.01 MHz.
constexpr uint16_t kMinFrequency = 400;   // 4.00 MHz
constexpr uint16_t kMaxFrequency = 2500;  // 25.00 MHz
// The serial unit's rate generator: rate = f / (32 * 4^n * (N + 1)), N 0..255, n 0..3;
// a rate it cannot make within this error is refused.
constexpr double kMaxRateError = 0.04;

constexpr size_t kAddressBytes = 4;
constexpr uint32_t kEndAddress = 0xFFFFFFFF;

uint8_t Checksum(const std::vector<uint8_t>& bytes) {
  unsigned sum = 0;
  for (uint8_t b : bytes) sum += b;
  return static_cast<uint8_t>(0x100 - (sum & 0xFF));
}

std::vector<uint8_t> Response(uint8_t code, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> r;
  r.reserve(data.size() + 3);
  r.push_back(code);
  r.push_back(static_cast<uint8_t>(data.size()));
  for (uint8_t b : data) r.push_back(b);
  r.push_back(Checksum(r));
  return r;
}

bool RateFeasible(uint32_t rate, uint32_t frequency) {
  if (rate == 0) return false;
  double f = frequency * 10000.0;
  for (int n = 0; n < 4; ++n) {
    double divisor = 32.0 * std::pow(4.0, n) * rate;
    double brr = std::round(f / divisor) - 1;
    if (brr < 0 || brr > 255) continue;
    double actual = f / (divisor / rate * (brr + 1));
    return std::fabs(actual / rate - 1.0) <= kMaxRateError;
  }
  return false;
}

}  // namespace

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

H8_3069Target::H8_3069Target(const BootFaults& faults)
    : m_faults(faults), m_sync(faults), m_flash(kFlashSize, 0xFF) {}

uint32_t H8_3069Target::ListenRate() const {
  return m_phase == Phase::kBitRate ? m_sync.ListenRate() : m_rate;
}

std::vector<uint8_t> H8_3069Target::Error(uint8_t command, uint8_t code) {
  m_failures.push_back(Failure{command, code});
  return {static_cast<uint8_t>(command | kErrorFlag), code};
}

void H8_3069Target::OnByte(const RxByte& rx, Output& out) {
  switch (m_phase) {
    case Phase::kBitRate:
      if (m_sync.OnByte(rx, out, m_events)) {
        m_rate = m_sync.LockedRate();
        m_phase = Phase::kCommands;
        out.Send(kSyncAnswer, m_rate, rx.time);
        Event& e = m_events.Add("bitrate-confirmed", rx.time, rx.rate);
        e.reply = {kSyncAnswer};
      }
      return;
    case Phase::kRateConfirm: {
      Event& e = m_events.Add("command", rx.time, rx.rate);
      e.command = rx.value;
      e.frame = {rx.value};
      if (rx.value == kCmdBitRateConfirm) {
        e.reply = {kAck};
        m_phase = Phase::kCommands;
      } else {
        e.reply = Error(rx.value, kErrCommand);
        e.error = kErrCommand;
      }
      out.SendBytes(e.reply, m_rate, rx.time);
      return;
    }
    case Phase::kCommands:
      m_frame.push_back(rx.value);
      size_t need = FrameLength();
      if (need != 0 && m_frame.size() >= need) {
        OnFrame(rx, out);
        m_frame.clear();
      }
      return;
  }
}

size_t H8_3069Target::FrameLength() const {
  switch (m_frame[0]) {
    case kCmdDeviceSelect:
    case kCmdClockModeSelect:
    case kCmdNewBitRate:
    case kCmdMemoryRead:
      // command, size, data, checksum
      return m_frame.size() < 2 ? 0 : size_t{2} + m_frame[1] + 1;
    case kCmdProgram128:
      if (m_frame.size() < 1 + kAddressBytes) return 0;
      return BigEndian32(&m_frame[1]) == kEndAddress ? 1 + kAddressBytes + 1
                                                      : 1 + kAddressBytes + kBlockSize + 1;
    default:
      // Inquiries and state commands are single bytes; so is an unknown command, which
      // is refused at once.
      return 1;
  }
}

void H8_3069Target::OnFrame(const RxByte& rx, Output& out) {
  const bool block = m_frame[0] == kCmdProgram128;
  Event& e = m_events.Add(block ? "block" : "command", rx.time, rx.rate);
  e.command = m_frame[0];
  double replyAt = rx.time;
  uint32_t replyRate = m_rate;
  std::vector<uint8_t> reply = block ? Block(replyAt, e) : Answer(replyAt);
  if (!block) e.frame = m_frame;
  e.reply = reply;
  if (reply.size() == 2 && (reply[0] & kErrorFlag)) e.error = reply[1];
  out.SendBytes(reply, replyRate, replyAt);
  if (m_frame[0] == kCmdNewBitRate && reply.size() == 1) {
    // Acknowledged at the old rate; from now on the boot program talks at the new one and
    // waits for the confirmation there.
    m_rate = m_newRate;
    m_phase = Phase::kRateConfirm;
  }
}

std::vector<uint8_t> H8_3069Target::Answer(double& replyAt) {
  const uint8_t cmd = m_frame[0];
  if (m_frame.size() > 1 && Checksum(m_frame) != 0) return Error(cmd, kErrChecksum);
  if (IsCheck()) return Check(replyAt);
  const uint8_t* data = m_frame.size() > 2 ? &m_frame[2] : nullptr;
  const size_t size = m_frame.size() > 2 ? m_frame[1] : 0;
  switch (cmd) {
    case kCmdDeviceInquiry: {
      if (m_programState) return Error(cmd, kErrCommand);
      std::vector<uint8_t> d;
      d.push_back(1);  // one device
      d.push_back(static_cast<uint8_t>(sizeof kDeviceCode + sizeof kProductName - 1));
      for (uint8_t b : kDeviceCode) d.push_back(b);
      for (size_t i = 0; i + 1 < sizeof kProductName; ++i) d.push_back(kProductName[i]);
      return Response(kRspDevice, d);
    }
    case kCmdDeviceSelect:
      if (m_programState) return Error(cmd, kErrCommand);
      if (size != sizeof kDeviceCode) return Error(cmd, kErrSize);
      for (size_t i = 0; i < sizeof kDeviceCode; ++i) {
        if (data[i] != kDeviceCode[i]) return Error(cmd, kErrDeviceCode);
      }
      m_deviceSelected = true;
      return {kAck};
    case kCmdClockModeInquiry:
      if (m_programState) return Error(cmd, kErrCommand);
      return Response(kRspClockMode, {1, kClockMode});
    case kCmdClockModeSelect:
      if (m_programState || !m_deviceSelected) return Error(cmd, kErrCommand);
      if (size != 1) return Error(cmd, kErrSize);
      if (data[0] != kClockMode) return Error(cmd, kErrClockMode);
      m_clockSelected = true;
      return {kAck};
    case kCmdRatioInquiry:
      if (m_programState) return Error(cmd, kErrCommand);
      return Response(kRspRatio, {1, 1, kRatio});
    case kCmdFrequencyInquiry:
      if (m_programState) return Error(cmd, kErrCommand);
      return Response(kRspFrequency, {1, kMinFrequency >> 8, kMinFrequency & 0xFF,
                                      kMaxFrequency >> 8, kMaxFrequency & 0xFF});
    case kCmdUserAreaInquiry:
      return Response(kRspUserArea, {1, 0, 0, 0, 0, (kFlashSize - 1) >> 24,
                                     ((kFlashSize - 1) >> 16) & 0xFF, ((kFlashSize - 1) >> 8) & 0xFF,
                                     (kFlashSize - 1) & 0xFF});
    case kCmdProgramSizeInquiry:
      return Response(kRspProgramSize, {0, static_cast<uint8_t>(kBlockSize)});
    case kCmdNewBitRate: {
      if (m_programState || !m_deviceSelected || !m_clockSelected) return Error(cmd, kErrCommand);
      // Rate, frequency, the number of ratios and the ratios; hosts in the field send
      // more bytes after them, which the chip ignores.
      if (size < 5 || size < size_t{5} + data[4]) return Error(cmd, kErrSize);
      uint32_t rate = ((uint32_t{data[0]} << 8) | data[1]) * 100;
      uint32_t frequency = (uint32_t{data[2]} << 8) | data[3];
      if (frequency < kMinFrequency || frequency > kMaxFrequency) {
        return Error(cmd, kErrInputFrequency);
      }
      if (data[4] != 1 || data[5] != kRatio) return Error(cmd, kErrRatio);
      if (frequency * kRatio > kMaxFrequency) return Error(cmd, kErrOperatingFrequency);
      if (!RateFeasible(rate, frequency)) return Error(cmd, kErrBitRate);
      m_newRate = rate;
      return {kAck};
    }
    case kCmdProgramState:
      if (m_programState || !m_deviceSelected || !m_clockSelected) return Error(cmd, kErrCommand);
      m_programState = true;
      replyAt += m_faults.eraseS;  // the boot program erases the whole flash first
      return {kAck};
    case kCmdUserFlashSelect:
      if (!m_programState || m_userFlash) return Error(cmd, kErrCommand);
      m_userFlash = true;
      return {kAck};
    default:
      return Error(cmd, kErrCommand);
  }
}

std::vector<uint8_t> H8_3069Target::Block(double& replyAt, Event& e) {
  const uint8_t cmd = m_frame[0];
  uint32_t address = BigEndian32(&m_frame[1]);
  e.address = address;
  if (Checksum(m_frame) != 0) return Error(cmd, kErrChecksum);
  if (!m_userFlash) return Error(cmd, kErrCommand);
  if (address == kEndAddress) {
    m_userFlash = false;  // back in the programming state, waiting for a selection
    m_ended = true;
    e.kind = "end";
    return {kAck};
  }
  e.length = kBlockSize;
  if (TakeRefusal(m_faults.refuseBlocks, m_blockFrames)) {
    e.text = "refused";
    return Error(cmd, kErrChecksum);
  }
  int64_t index = m_blockFrames++;
  if (address % kBlockSize != 0 || address > kFlashSize - kBlockSize) {
    return Error(cmd, kErrAddress);
  }
  const uint8_t* data = &m_frame[1 + kAddressBytes];
  replyAt += m_faults.programS;
  if (index == m_faults.errorBlock) return Error(cmd, kErrProgramming);
  // Programming only clears bits; a block that needs a cleared bit set again fails.
  for (uint32_t i = 0; i < kBlockSize; ++i) {
    if ((m_flash[address + i] & data[i]) != data[i]) return Error(cmd, kErrProgramming);
  }
  for (uint32_t i = 0; i < kBlockSize; ++i) m_flash[address + i] = data[i];
  if (index == m_faults.corruptBlock) {
    // A cell that did not take: the first byte with a 0 bit keeps its lowest 0 bit at 1.
    for (uint32_t i = 0; i < kBlockSize; ++i) {
      const uint8_t d = data[i];
      if (d == 0xFF) continue;
      m_flash[address + i] = static_cast<uint8_t>(d | (~d & (d + 1)));
      break;
    }
  }
  m_blocks.push_back(address);
  return {kAck};
}

void H8_3069Target::WriteReport(JsonWriter& json) const {
  json.Int("locked_rate", m_sync.LockedRate());
  json.Int("stale_zeros", static_cast<int64_t>(m_sync.StaleZeros()));
  json.Bool("bitrate_confirmed", m_phase != Phase::kBitRate);
  json.Int("rate", ListenRate());
  json.Bool("device_selected", m_deviceSelected);
  json.Bool("clock_mode_selected", m_clockSelected);
  json.Int("new_rate", m_newRate);
  json.Bool("programming_state", m_programState);
  json.Bool("ended", m_ended);
  json.Int("checks", m_checks);
  json.BeginArray("blocks");
  for (uint32_t a : m_blocks) json.Int(nullptr, a);
  json.EndArray();
  json.BeginArray("errors");
  for (const Failure& f : m_failures) {
    json.BeginObject();
    json.Int("command", f.command);
    json.Int("code", f.code);
    json.EndObject();
  }
  json.EndArray();
  json.Int("partial_frame_bytes", static_cast<int64_t>(m_frame.size()));
  m_events.Write(json);
}

}  // namespace k470sim
