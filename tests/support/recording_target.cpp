// RecordingTarget: thread-safe record of a job's reports.
#include "tests/support/recording_target.h"

#include <chrono>
#include <thread>

namespace k470::test {

void RecordingTarget::PostStatus(const char* text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_reports.push_back({Report::Status, text, 0, {}});
}

void RecordingTarget::PostProgress(const JobProgress& progress) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_reports.push_back({Report::Progress, "", 0, progress});
}

void RecordingTarget::PostEnded(int result) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_reports.push_back({Report::Ended, "", result, {}});
}

void RecordingTarget::PostBoardState(int state) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_reports.push_back({Report::BoardState, "", state, {}});
}

void RecordingTarget::ShowMessage(const char* text, MessageIcon icon, const char* detail) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string shown = text;
  if (detail != nullptr) shown += std::string("\n") + detail;
  m_reports.push_back({Report::Message, shown, icon == MessageIcon::Information ? 1 : 0, {}});
}

void RecordingTarget::PostNote(const char* text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_reports.push_back({Report::Note, text, 0, {}});
}

void RecordingTarget::PostVerify(const VerifyReport& report) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_reports.push_back({Report::Verify, "", static_cast<int>(report.result), {}});
  m_verifies.push_back(report);
}

std::vector<VerifyReport> RecordingTarget::Verifies() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_verifies;
}

std::vector<std::string> RecordingTarget::Notes() const {
  std::vector<std::string> out;
  for (const Report& r : Reports())
    if (r.kind == Report::Note) out.push_back(r.text);
  return out;
}

std::vector<RecordingTarget::Report> RecordingTarget::Reports() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_reports;
}

std::vector<std::string> RecordingTarget::Statuses() const {
  std::vector<std::string> out;
  for (const Report& r : Reports())
    if (r.kind == Report::Status) out.push_back(r.text);
  return out;
}

std::vector<JobProgress> RecordingTarget::Progress() const {
  std::vector<JobProgress> out;
  for (const Report& r : Reports())
    if (r.kind == Report::Progress) out.push_back(r.progress);
  return out;
}

std::vector<std::string> RecordingTarget::Messages() const {
  std::vector<std::string> out;
  for (const Report& r : Reports())
    if (r.kind == Report::Message) out.push_back((r.value ? "I:" : "E:") + r.text);
  return out;
}

std::vector<int> RecordingTarget::BoardStates() const {
  std::vector<int> out;
  for (const Report& r : Reports())
    if (r.kind == Report::BoardState) out.push_back(r.value);
  return out;
}

int RecordingTarget::EndCount() const {
  int n = 0;
  for (const Report& r : Reports())
    if (r.kind == Report::Ended) ++n;
  return n;
}

int RecordingTarget::LastResult() const {
  int result = -1;
  for (const Report& r : Reports())
    if (r.kind == Report::Ended) result = r.value;
  return result;
}

bool RecordingTarget::WaitForEnd(int ms) const {
  for (int waited = 0; waited < ms; waited += 2) {
    if (EndCount() > 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return EndCount() > 0;
}

}  // namespace k470::test
