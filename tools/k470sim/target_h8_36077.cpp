// The H8/36077's boot program and write-control program.
#include "target_h8_36077.h"

#include "json_writer.h"

namespace k470sim {

namespace {

constexpr uint8_t kSyncAnswer = 0xAA;
constexpr uint8_t kTransferDone = 0xAA;
constexpr uint8_t kWrongEchoMask = 0xFF;

// The write-control program's letters and answers.
constexpr uint8_t kCmdStart = 'S';
constexpr uint8_t kCmdBlock = 'A';
constexpr uint8_t kCmdEnd = 'E';
constexpr uint8_t kOk = 0x05;
constexpr uint8_t kRefused = 0x15;

constexpr size_t kAddressBytes = 4;
constexpr size_t kSumBytes = 2;
constexpr size_t kFrameBytes = 1 + kAddressBytes + H8_36077Target::kBlockSize + kSumBytes;

}  // namespace

H8_36077Target::H8_36077Target(const BootFaults& faults)
    : m_faults(faults), m_sync(faults), m_flash(kFlashSize, 0xFF) {}

uint32_t H8_36077Target::ListenRate() const {
  switch (m_phase) {
    case Phase::kBitRate: return m_sync.ListenRate();
    case Phase::kWriter: return kWriterRate;
    default: return m_sync.LockedRate();
  }
}

void H8_36077Target::OnByte(const RxByte& rx, Output& out) {
  switch (m_phase) {
    case Phase::kBitRate:
      if (m_sync.OnByte(rx, out, m_events)) {
        m_phase = Phase::kCount;
        out.Send(kSyncAnswer, m_sync.LockedRate(), rx.time);
        Event& e = m_events.Add("bitrate-confirmed", rx.time, rx.rate);
        e.reply = {kSyncAnswer};
      }
      return;
    case Phase::kCount:
    case Phase::kProgram:
      Transfer(rx, out);
      return;
    case Phase::kWriter:
      Writer(rx, out);
      return;
  }
}

void H8_36077Target::Transfer(const RxByte& rx, Output& out) {
  const uint32_t rate = m_sync.LockedRate();
  uint8_t echo = rx.value;
  if (static_cast<int64_t>(m_transferIndex) == m_faults.wrongEcho) echo ^= kWrongEchoMask;
  ++m_transferIndex;
  out.Send(echo, rate, rx.time);
  bool done = false;
  if (m_phase == Phase::kCount) {
    m_countBytes.push_back(rx.value);
    if (m_countBytes.size() < 2) return;
    m_count = (uint32_t{m_countBytes[0]} << 8) | m_countBytes[1];
    Event& e = m_events.Add("program-count", rx.time, rx.rate);
    e.length = m_count;
    e.frame = m_countBytes;
    m_phase = Phase::kProgram;
    done = m_count == 0;
  } else {
    // Beyond the RAM the bytes are echoed but not kept.
    if (m_program.size() < kProgramRamSize) m_program.push_back(rx.value);
    done = m_transferIndex - 2 >= m_count;
  }
  if (done) {
    out.Send(kTransferDone, rate, rx.time);
    Event& e = m_events.Add("program-received", rx.time, rx.rate);
    e.length = m_count;
    e.reply = {kTransferDone};
    m_phase = Phase::kWriter;
  }
}

void H8_36077Target::Writer(const RxByte& rx, Output& out) {
  if (!m_frame.empty()) {
    m_frame.push_back(rx.value);
    if (m_frame.size() == kFrameBytes) {
      BlockFrame(rx, out);
      m_frame.clear();
    }
    return;
  }
  if (rx.value == kCmdBlock) {
    m_frame.push_back(rx.value);  // the frame's event is added when it is complete
    return;
  }
  Event& e = m_events.Add("command", rx.time, rx.rate);
  e.command = rx.value;
  if (rx.value == kCmdStart) {
    m_started = true;
    e.reply = {kOk};
  } else if (rx.value == kCmdEnd && m_started) {
    m_ended = true;
    e.reply = {kOk};
  } else {
    e.reply = {kRefused};
  }
  out.SendBytes(e.reply, kWriterRate, rx.time);
}

void H8_36077Target::BlockFrame(const RxByte& rx, Output& out) {
  uint32_t address = (uint32_t{m_frame[1]} << 24) | (uint32_t{m_frame[2]} << 16) |
                     (uint32_t{m_frame[3]} << 8) | m_frame[4];
  const uint8_t* data = &m_frame[1 + kAddressBytes];
  unsigned sum = 0;
  for (uint32_t i = 0; i < kBlockSize; ++i) sum += data[i];
  unsigned given = (unsigned{m_frame[kFrameBytes - 2]} << 8) | m_frame[kFrameBytes - 1];

  Event& e = m_events.Add("block", rx.time, rx.rate);
  e.command = kCmdBlock;
  e.address = address;
  e.length = kBlockSize;
  const char* refusal = nullptr;
  if ((sum & 0xFFFF) != given) {
    refusal = "sum";
  } else if (TakeRefusal(m_faults.refuseBlocks, m_blockFrames)) {
    refusal = "refused";
  } else if (!m_started) {
    refusal = "not started";
  } else if (address % kBlockSize != 0 || address > kFlashSize - kBlockSize) {
    refusal = "address";
  }
  if (refusal) {
    m_failures.push_back(Failure{address, refusal});
    e.text = refusal;
    e.reply = {kRefused};
    out.Send(kRefused, kWriterRate, rx.time);
    return;
  }
  // Frame taken: the first 0x05 at once, the second when the block is programmed.
  const int64_t index = m_blockFrames++;
  const double doneAt = rx.time + m_faults.programS;
  out.Send(kOk, kWriterRate, rx.time);
  bool fails = index == m_faults.errorBlock;
  for (uint32_t i = 0; i < kBlockSize && !fails; ++i) {
    // Programming only clears bits.
    fails = (m_flash[address + i] & data[i]) != data[i];
  }
  if (fails) {
    m_failures.push_back(Failure{address, "programming"});
    e.text = "programming";
    e.reply = {kOk, kRefused};
    out.Send(kRefused, kWriterRate, doneAt);
    return;
  }
  for (uint32_t i = 0; i < kBlockSize; ++i) m_flash[address + i] = data[i];
  m_blocks.push_back(address);
  e.reply = {kOk, kOk};
  out.Send(kOk, kWriterRate, doneAt);
}

void H8_36077Target::WriteReport(JsonWriter& json) const {
  json.Int("locked_rate", m_sync.LockedRate());
  json.Int("stale_zeros", static_cast<int64_t>(m_sync.StaleZeros()));
  json.Bool("bitrate_confirmed", m_phase != Phase::kBitRate);
  json.Int("rate", ListenRate());
  json.Int("program_count", m_count);
  json.Int("program_received", static_cast<int64_t>(m_transferIndex > 2 ? m_transferIndex - 2 : 0));
  json.Hex("program", m_program);
  json.Bool("program_done", m_phase == Phase::kWriter);
  json.Bool("started", m_started);
  json.Bool("ended", m_ended);
  json.BeginArray("blocks");
  for (uint32_t a : m_blocks) json.Int(nullptr, a);
  json.EndArray();
  json.BeginArray("errors");
  for (const Failure& f : m_failures) {
    json.BeginObject();
    json.Int("address", f.address);
    json.String("reason", f.reason);
    json.EndObject();
  }
  json.EndArray();
  json.Int("partial_frame_bytes", static_cast<int64_t>(m_frame.size()));
  m_events.Write(json);
}

}  // namespace k470sim
