// BootBase: port ownership, the first open and the bit-rate adjustment.
#include "boot/boot_base.h"
#include "serial/line_time.h"

#include <cstdio>

#include "base/ticks.h"

namespace k470 {

BootBase::BootBase(const std::atomic<int>* cancel, uint8_t matchAnswer)
    : m_port(new CComPort), m_cancel(cancel), m_matchAnswer(matchAnswer) {
  m_port->SetCancel(cancel);  // a cancel also ends a network port's open at once
}

BootBase::~BootBase() {
  m_port->Close();
  delete m_port;
}

StepResult BootBase::OpenPort(const std::string& port, int clockKhz, int bps) {
  m_portChoice = port;
  m_clockKhz = clockKhz;
  m_bps = bps;
  return m_port->Reopen(m_portChoice, kBootLine.AtRate(kBootOpenBps)) ? StepResult::Ok
                                                                      : Unfinished();
}

int BootBase::SetRate(uint32_t bps) { return m_port->ChangeLine(kBootLine.AtRate(bps)); }

int BootBase::WaitAnyByte(uint32_t waitMs, bool watchCancel) {
  const int b = m_port->WaitReadByte(waitMs, watchCancel ? m_cancel : nullptr);
  return b > 0 ? b : 0;
}

std::string BootBase::WriteRefusal() const {
  if (PortLost()) return ": port lost";
  const std::string why = m_port->WriteError();
  return why.empty() ? ": the port refused the write" : ": the port refused the write (" + why + ")";
}

StepResult BootBase::Fail(const std::string& detail) {
  m_failure = detail;
  return Unfinished();
}

StepResult BootBase::FailWait(const std::string& what, int got, uint8_t expected,
                              uint32_t waitMs) {
  char text[96];
  if (PortLost()) {
    std::snprintf(text, sizeof text, ": port lost while waiting for %02X", expected);
  } else if (got <= 0) {
    std::snprintf(text, sizeof text, ": no %02X within %u ms", expected,
                  static_cast<unsigned>(waitMs));
  } else {
    std::snprintf(text, sizeof text, " answered %02X instead of %02X", got & 0xFF, expected);
  }
  return Fail(what + text);
}

bool BootBase::IsErased(const uint8_t* data) {
  for (int i = 0; i < kBlockBytes; ++i) {
    if (data[i] != kErasedByte) return false;
  }
  return true;
}

StepResult BootBase::MatchBitRate(int* matchedBps) {
  if (StepResult r = AdjustBitRate(matchedBps); r != StepResult::Ok) return r;
  m_late.Begin();
  if (!m_port->WriteByte(kBootMatchConfirm)) return Fail("0x55: port lost");
  const int b = WaitAnyByte(kMatchAnswerWaitMs, true);
  if (b != kByteArrived + m_matchAnswer) {
    return FailWait("0x55", b, m_matchAnswer, kMatchAnswerWaitMs);
  }
  m_late.End(LineTimeMs(kMatchExchangeBytes, m_port->Line()));
  return StepResult::Ok;
}

StepResult BootBase::AdjustBitRate(int* matchedBps) {
  m_failure.clear();
  if (Cancelled()) return Fail("cancelled");
  const int answer = 0x100 + kAdjustByte;
  for (int r = kBootRateCount - 1; r >= 0; --r) {
    const uint32_t rate = kBootRatesBps[r];
    if (Cancelled()) return StepResult::Cancelled;
    if (!SetRate(rate)) {
      if (PortLost()) return Fail("port lost during the bit-rate match");
      continue;  // counts as no answer at this rate
    }
    m_port->Purge();
    bool matched = false;
    // The sends go back to back, each followed by one look that does not wait.
    for (int i = 0; i < kAdjustSendsPerRate && !matched; ++i) {
      m_port->WriteByte(kAdjustByte);
      // Anything but 0x00 is noise of a wrong rate and is dropped.
      if (m_port->ReadByte() == answer) matched = true;
      if (Cancelled() || PortLost()) break;
    }
    if (PortLost()) return Fail("port lost during the bit-rate match");
    // Then a late answer: every byte is looked at as it arrives, until 500 ms have passed;
    // what has come by then is still read before the rate counts as silent.
    const uint32_t start = TickCountMs();
    while (!matched && !Cancelled()) {
      const uint32_t elapsed = TickCountMs() - start;
      const uint32_t left = elapsed > kAdjustAnswerWaitMs ? 0 : kAdjustAnswerWaitMs - elapsed;
      const int got = m_port->WaitReadByte(left, m_cancel);
      if (got == kReadPortLost) return Fail("port lost during the bit-rate match");
      if (got <= 0) break;
      if (got == answer) matched = true;
    }
    if (matched) {
      if (matchedBps) *matchedBps = static_cast<int>(rate);
      return StepResult::Ok;
    }
    if (Cancelled()) return Fail("cancelled");
  }
  return Fail("no 00 came back at " + BootRatesText(true) + " bit/s");
}

}  // namespace k470
