// CThreadBoardOutput: reads the running program's output and sends the user's lines.
#include "monitor/thread_board_output.h"

#include <utility>

#include "serial/com_port.h"

namespace k470 {

CThreadBoardOutput::~CThreadBoardOutput() { StopAndWait(); }

int CThreadBoardOutput::Start(CComPort* port, std::function<void()> wake) {
  m_port = port;
  m_wake = std::move(wake);
  m_lost = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_received.clear();
    m_toSend.clear();
    m_woken = false;
  }
  return CThreadVl::Start();
}

std::string CThreadBoardOutput::TakeOutput() {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string taken;
  taken.swap(m_received);
  m_woken = false;
  return taken;
}

void CThreadBoardOutput::Send(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_toSend += bytes;
}

void CThreadBoardOutput::Keep(const uint8_t* bytes, int count) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_received.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    if (m_received.size() > kOutputHeldBytes)
      m_received.erase(0, m_received.size() - kOutputHeldBytes);
    // One wake until the owner has taken the output: a fast board does not flood the
    // owner's queue.
    wake = !m_woken;
    m_woken = true;
  }
  if (wake && m_wake) m_wake();
}

bool CThreadBoardOutput::SendQueued() {
  std::string bytes;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    bytes.swap(m_toSend);
  }
  if (bytes.empty()) return true;
  // A failed write on a port that is still there loses the line, as a typed key would be
  // lost on a broken line; only a port that has gone ends the run.
  m_port->Write(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
  return !m_port->Lost();
}

int CThreadBoardOutput::Run() {
  while (!Cancelled()) {
    if (!SendQueued()) {
      m_lost = true;
      break;
    }
    uint8_t received[kOutputReadBytes + 1];
    const int count = m_port->WaitRead(received, kOutputReadBytes, kOutputLookMs, CancelFlag());
    if (count == kReadPortLost) {
      m_lost = true;
      break;
    }
    if (count > 0) Keep(received, count);
  }
  if (m_lost.load() && m_wake) m_wake();
  SetDone();
  return 0;
}

}  // namespace k470
