// The monitor's loop: one thread reads the port, shows what came and sends the keys.
#include "cli/monitor_session.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/cli_args.h"
#include "cli/console.h"
#include "cli/console_target.h"
#include "cli/job_runner.h"
#include "cli/json_line.h"
#include "jobs/job_target.h"
#include "serial/com_port.h"
#include "serial/port_texts.h"

namespace k470::cli {

MonitorSession::MonitorSession(CComPort* port, ConsoleTarget* target, const MonitorOptions& options)
    : m_port(port), m_target(target), m_options(options) {}

bool MonitorSession::Begin() {
  m_escape = !m_options.raw && !m_options.json && StdoutIsTerminal();
  if (!m_options.json) StdoutAsBytes();
  if (m_options.logPath.empty()) return true;
  std::string reason;
  if (m_log.Open(m_options.logPath, &reason)) return true;
  const std::string text = "cannot open the log " + m_options.logPath;
  m_target->ShowMessage(text.c_str(), MessageIcon::Error, reason.c_str());
  return false;
}

void MonitorSession::Show(const uint8_t* bytes, size_t n) {
  m_log.Take(bytes, n, LogStamp());
  if (m_options.json) {
    const std::string text = m_json.Take(bytes, n);
    if (!text.empty()) JsonLine("output").Utf8("text", text).Emit();
    return;
  }
  if (m_escape) {
    const std::string text = EscapedForTerminal(bytes, n);
    std::fwrite(text.data(), 1, text.size(), stdout);
  } else {
    std::fwrite(bytes, 1, n, stdout);
  }
  std::fflush(stdout);
}

void MonitorSession::ShowRest() {
  if (m_options.json) {
    const std::string rest = m_json.Rest();
    if (!rest.empty()) JsonLine("output").Utf8("text", rest).Emit();
  }
  m_log.Close();
}

int MonitorSession::PortFailed() {
  const std::string lost = PortLostMessage(m_port->Name());
  if (m_port->Lost()) {
    // A reload's job may have said it already.
    if (m_target->FailureText().find(lost) == std::string::npos) {
      m_target->ShowMessage(lost.c_str(), MessageIcon::Error);
    }
  } else {
    m_target->ShowMessage("the keys could not be sent", MessageIcon::Error,
                          m_port->WriteError().c_str());
  }
  return kExitFailed;
}

int MonitorSession::Run(const std::function<bool()>& start, MonitorWatch* watch) {
  m_keys.Begin();
  int status = -1;
  if (start && !start()) status = InterruptRequested() ? InterruptExitStatus() : kExitFailed;
  uint8_t buffer[kReadBytes + 1];
  while (status < 0) {
    if (InterruptRequested()) {
      status = InterruptExitStatus();
      break;
    }
    if (OutputFailed() || m_log.Failed()) {
      status = kExitFailed;
      break;
    }
    const int n = m_port->WaitRead(buffer, static_cast<int>(kReadBytes), kLookMs, InterruptFlag());
    if (n == kReadPortLost) {
      status = PortFailed();
      break;
    }
    if (n > 0) {
      Show(buffer, static_cast<size_t>(n));
      if (watch) watch->Saw(buffer, static_cast<size_t>(n));
    }
    std::string keys;
    const bool quit = m_keys.Read(&keys);
    if (!keys.empty() &&
        !m_port->Write(reinterpret_cast<const uint8_t*>(keys.data()), static_cast<int>(keys.size()))) {
      status = PortFailed();
      break;
    }
    if (quit) {
      status = kExitOk;
      break;
    }
    if (watch) watch->Between();
    if (n > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kGatherMs));
  }
  m_keys.Restore();
  ShowRest();
  if (m_log.Failed() && status == kExitOk) {
    m_target->ShowMessage("the log could not be written", MessageIcon::Error,
                          m_options.logPath.c_str());
    status = kExitFailed;
  }
  return status;
}

}  // namespace k470::cli
