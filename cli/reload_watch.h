// ramload --watch: while the monitor runs, the image file is watched; when it has
// changed (and stayed unchanged for a while) and the board's prompt has come back (the
// user pressed reset), the file is loaded and started again on the monitor's port.
#pragma once

#include <cstdint>
#include <string>

#include "cli/monitor_session.h"

namespace k470 {
class CComPort;
}

namespace k470::cli {

class ConsoleTarget;

// What tells one version of a file from the next: its time of change and its size.
struct FileStamp {
  bool exists = false;
  int64_t changed = 0;
  uint64_t size = 0;
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && changed == o.changed && size == o.size;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
FileStamp StampOf(const std::string& path);

// Reads what the board still sends until the line has been quiet for kQuietMs (at most
// kSettleMs), so that a prompt that answered the load is not taken for one after the go;
// then sends the go command. False when the port failed (the message shown).
bool GoWhenQuiet(CComPort* port, ConsoleTarget* target, uint32_t address);

class ReloadWatch : public MonitorWatch {
 public:
  static constexpr uint32_t kStillMs = 500;      // unchanged this long before a load
  static constexpr uint32_t kFileLookMs = 100;   // the file is looked at this often
  static constexpr size_t kMaxPromptBytes = 31;  // a longer line holds no prompt

  // `loaded`: the file as the first load read it.
  ReloadWatch(const std::string& file, const FileStamp& loaded, uint32_t address,
              uint32_t ackTimeoutMs, CComPort* port, ConsoleTarget* target);

  void Saw(const uint8_t* bytes, size_t n) override;
  void Between() override;
  int Reloads() const { return m_reloads; }

 private:
  void Reload(const FileStamp& stamp);

  std::string m_file;
  FileStamp m_loaded;   // the version last loaded or refused
  FileStamp m_seen;     // the version seen at the last look
  uint32_t m_seenAtMs = 0;
  uint32_t m_lookedAtMs = 0;
  uint32_t m_address;
  uint32_t m_ackTimeoutMs;
  CComPort* m_port;
  ConsoleTarget* m_target;
  bool m_prompt = false;  // the board's prompt has come since the last go
  std::string m_lineText; // the current line of output, up to its prompt
  int m_reloads = 0;
};

}  // namespace k470::cli
