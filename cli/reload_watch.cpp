// Reloading the image when it changed and the board is back at its prompt.
#include "cli/reload_watch.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "base/ticks.h"
#include "cli/cli_args.h"
#include "cli/console.h"
#include "cli/console_target.h"
#include "cli/job_runner.h"
#include "monitor/go_command.h"
#include "monitor/thread_load.h"
#include "serial/com_port.h"
#include "serial/port_texts.h"

namespace k470::cli {
namespace {

constexpr uint32_t kQuietMs = 50;
constexpr uint32_t kSettleMs = 1000;

bool IsFamilyPrompt(const std::string& name) {
  return name == "k470l" || name == "k471l" || name == "k472l";
}

}  // namespace

FileStamp StampOf(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  FileStamp stamp;
  const auto changed = fs::last_write_time(fs::u8path(path), error);
  if (error) return stamp;
  const auto size = fs::file_size(fs::u8path(path), error);
  if (error) return stamp;
  stamp.exists = true;
  stamp.changed = static_cast<int64_t>(changed.time_since_epoch().count());
  stamp.size = static_cast<uint64_t>(size);
  return stamp;
}

bool GoWhenQuiet(CComPort* port, ConsoleTarget* target, uint32_t address) {
  const uint32_t started = TickCountMs();
  uint8_t buffer[256];
  while (TickCountMs() - started < kSettleMs && !InterruptRequested()) {
    const int n = port->WaitRead(buffer, sizeof buffer - 1, kQuietMs, InterruptFlag());
    if (n == kReadTimedOut) break;
    if (n < 0) break;
  }
  if (InterruptRequested()) return false;  // Ctrl-C before the go: the program stays put
  if (SendGoCommand(port, address)) {
    char started_text[32];
    std::snprintf(started_text, sizeof started_text, "go %X", static_cast<unsigned>(address));
    target->Note(started_text);
    return true;
  }
  const std::string lost = port->Lost() ? PortLostMessage(port->Name()) : "";
  target->ShowMessage("the go command could not be sent", MessageIcon::Error,
                      lost.empty() ? nullptr : lost.c_str());
  return false;
}

ReloadWatch::ReloadWatch(const std::string& file, const FileStamp& loaded, uint32_t address,
                         uint32_t ackTimeoutMs, CComPort* port, ConsoleTarget* target)
    : m_file(file),
      m_loaded(loaded),
      m_seen(loaded),
      m_seenAtMs(TickCountMs()),
      m_lookedAtMs(TickCountMs()),
      m_address(address),
      m_ackTimeoutMs(ackTimeoutMs),
      m_port(port),
      m_target(target) {}

void ReloadWatch::Saw(const uint8_t* bytes, size_t n) {
  // The monitor's prompt: its board name and '>' at the start of a line.
  for (size_t i = 0; i < n; ++i) {
    const char c = static_cast<char>(bytes[i]);
    if (c == '\r' || c == '\n') {
      m_lineText.clear();
    } else if (c == '>') {
      if (IsFamilyPrompt(m_lineText)) m_prompt = true;
      m_lineText.clear();
    } else if (m_lineText.size() < kMaxPromptBytes) {
      m_lineText += c;
    }
  }
}

void ReloadWatch::Between() {
  const uint32_t now = TickCountMs();
  if (now - m_lookedAtMs < kFileLookMs) return;
  m_lookedAtMs = now;
  const FileStamp stamp = StampOf(m_file);
  if (stamp != m_seen) {
    m_seen = stamp;
    m_seenAtMs = now;
    return;
  }
  // A file still being written changes again: only one that has been still for a while,
  // and only while the board waits at its prompt (nothing is sent to a running program).
  if (!stamp.exists || stamp == m_loaded || now - m_seenAtMs < kStillMs || !m_prompt) return;
  Reload(stamp);
}

void ReloadWatch::Reload(const FileStamp& stamp) {
  m_loaded = stamp;
  CThreadLoad job;
  job.SetAckTimeout(m_ackTimeoutMs);
  if (!job.Start(m_port, m_file, m_address, m_target)) return;
  const JobWait wait = WaitForJob(job);
  if (wait != JobWait::Ended || m_target->Result() != JOB_SUCCEEDED) {
    // A bad image (or a failed load) is reported by the job; the monitor goes on, and the
    // next change of the file is tried again.
    if (wait == JobWait::Ended) m_target->Note("not reloaded; the monitor goes on");
    return;
  }
  const JobProgress loaded = m_target->LastProgress();
  char text[64];
  std::snprintf(text, sizeof text, "reloaded %u bytes", static_cast<unsigned>(loaded.done));
  m_target->Note(std::string(text) + " from " + m_file);
  m_prompt = false;
  m_lineText.clear();
  ++m_reloads;
  GoWhenQuiet(m_port, m_target, m_address);
}

}  // namespace k470::cli
