// The simulator's end of the serial line: a pseudo-terminal master in raw mode, with the
// slave held open by the simulator itself (so the host may close and reopen the port at
// every rate change) and made the controlling terminal of the simulator's own session.
#pragma once

#include <cstdint>
#include <string>

namespace k470sim {

// What the host has set on its end of the line.
struct HostLine {
  uint32_t rate = 0;  // bit/s; 0 when the setting is not a known rate
  bool is8N1 = true;  // 8 data bits, no parity (the stop bits do not matter to a receiver)
};

class PtyLine {
 public:
  PtyLine() = default;
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  // Opens the master, puts the line in raw mode at 38400 bit/s before the slave can be
  // opened, then opens the slave as this process's controlling terminal. The process
  // must already lead its own session (EnsureOwnSession).
  bool Open(std::string& error);
  // Points `path` at the slave, replacing whatever link or file is there.
  bool Link(const std::string& path, std::string& error);
  // Closes both ends (the host sees the line hang up) and removes the link.
  void Close();

  const std::string& SlavePath() const { return m_slavePath; }
  int MasterFd() const { return m_master; }
  // Becomes readable when someone opens or closes the slave (the host's port).
  int WatchFd() const { return m_watch; }
  // Handles what WatchFd reported. The host's exclusive use of the port ends with its
  // close, although the simulator still holds the slave open, so that the host (or a user
  // without root rights) can open the port again. Bytes the host left unread when it
  // closed, or that were sent while nobody had the port open, are lost, as on a real line.
  // Call before reading what the host sent, so that a reopen is seen before its data.
  void OnHostOpenClose();
  // How many times the host opened the port in all: a job opens it once, however often
  // it changes the rate.
  int HostOpenCount() const { return m_hostOpenCount; }
  HostLine Host() const;

 private:
  int m_master = -1;
  int m_slave = -1;
  int m_watch = -1;  // inotify on the slave's device node
  int m_hostOpens = 0;  // open descriptions of the slave besides the simulator's own
  int m_hostOpenCount = 0;
  std::string m_slavePath;
  std::string m_linkPath;
};

// Makes the process the leader of a new session. When it already leads a process group
// (started from an interactive shell) it forks: the child goes on, the parent waits for it,
// forwards SIGTERM/SIGINT to it and exits with its status. Returns false on failure.
bool EnsureOwnSession(std::string& error);

}  // namespace k470sim
