// BootBase: port ownership, the first open and the bit-rate adjustment.
#include "boot/boot_base.h"

#include "jobs/ticks.h"

namespace k470 {

BootBase::BootBase(const std::atomic<int>* cancel) : m_port(new CComPort), m_cancel(cancel) {}

BootBase::~BootBase() {
  m_port->Close();
  delete m_port;
}

int BootBase::OpenPort(int portNumber, int clockKhz, int bps) {
  m_portNumber = portNumber;
  m_clockKhz = clockKhz;
  m_bps = bps;
  return Reopen(kBootOpenBps);
}

int BootBase::Reopen(uint32_t bps) {
  return m_port->Reopen(m_portNumber, bps, kBootByteSize, kBootParityNone, kBootStopBitsOne);
}

int BootBase::WaitAnyByte(uint32_t waitMs, uint32_t pollMs, bool watchCancel) {
  const uint32_t start = TickCountMs();
  for (;;) {
    const int b = m_port->ReadByte();
    if (b) return b;
    if (watchCancel && Cancelled()) return 0;
    if (TickCountMs() - start > waitMs) return 0;
    if (pollMs) SleepMs(pollMs);
  }
}

bool BootBase::IsErased(const uint8_t* data) {
  for (int i = 0; i < kBlockBytes; ++i) {
    if (data[i] != kErasedByte) return false;
  }
  return true;
}

int BootBase::AdjustBitRate(int* matchedBps) {
  if (Cancelled()) return 0;
  const int answer = 0x100 + kAdjustByte;
  for (uint32_t rate : kAdjustRatesBps) {
    if (Cancelled()) return 0;
    if (!Reopen(rate)) continue;  // counts as no answer at this rate
    m_port->Purge();
    bool matched = false;
    for (int i = 0; i < kAdjustSendsPerRate && !matched; ++i) {
      m_port->WriteByte(kAdjustByte);
      // Anything but 0x00 is noise of a wrong rate and is dropped.
      if (m_port->ReadByte() == answer) matched = true;
      if (Cancelled()) break;
    }
    if (!matched && !Cancelled()) {
      const uint32_t start = TickCountMs();
      while (TickCountMs() - start <= kAdjustAnswerWaitMs) {
        if (m_port->ReadByte() == answer) {
          matched = true;
          break;
        }
        if (Cancelled()) break;
        SleepMs(kAdjustPollMs);
      }
    }
    if (matched) {
      if (matchedBps) *matchedBps = static_cast<int>(rate);
      return 1;
    }
    if (Cancelled()) return 0;
  }
  return 0;
}

}  // namespace k470
