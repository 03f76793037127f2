// CThreadBoardOutput: the reader of a started program's output. While the board runs the
// program, the job takes whatever it sends off the port and keeps it for the window that
// shows it, and sends the lines that window hands it. It is the only user of the port
// while it runs: the owner stops it before a load or a disconnect, as it stops the
// detection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "jobs/thread_vl.h"

namespace k470 {

class CComPort;

constexpr uint32_t kOutputLookMs = 50;        // the longest wait on the port between sends
constexpr int kOutputReadBytes = 256;         // bytes taken from the port at a time
constexpr size_t kOutputHeldBytes = 1 << 20;  // what waits for the window at most (1 MiB)

class CThreadBoardOutput : public CThreadVl {
 public:
  CThreadBoardOutput() = default;
  ~CThreadBoardOutput() override;

  // Stores the port (open, borrowed for the run) and the call that tells the owner that
  // output waits or that the run has ended (from the job's thread; it must not block),
  // and starts the job. Returns 1, or 0 when no thread could be created.
  int Start(CComPort* port, std::function<void()> wake);

  // What the board has sent since the last call. When more than kOutputHeldBytes came
  // before the owner took it, the oldest bytes are gone and only the last ones come.
  std::string TakeOutput();

  // Queues bytes for the board; the job sends them between its reads.
  void Send(const std::string& bytes);

  // The port's device went away during the run; the job has ended.
  bool PortLost() const { return m_lost.load(); }

 protected:
  int Run() override;

 private:
  void Keep(const uint8_t* bytes, int count);
  // Sends what is queued; false when the port has gone.
  bool SendQueued();

  CComPort* m_port = nullptr;
  std::function<void()> m_wake;
  std::mutex m_mutex;
  std::string m_received;  // under m_mutex
  std::string m_toSend;    // under m_mutex
  bool m_woken = false;    // under m_mutex: a wake is pending since the last take
  std::atomic<bool> m_lost{false};
};

}  // namespace k470
