// RecordingTarget: a JobTarget that records every report of a job, for tests.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "jobs/job_target.h"

namespace k470::test {

class RecordingTarget : public JobTarget {
 public:
  struct Report {
    enum Kind { Status, Progress, Ended, BoardState, Message, Note, Verify } kind;
    std::string text;  // status or message text; a message's detail after a newline
    int value;         // result, board state, or 1 for an information icon
    JobProgress progress;
  };

  void PostStatus(const char* text) override;
  void PostProgress(const JobProgress& progress) override;
  void PostEnded(int result) override;
  void PostBoardState(int state) override;
  void ShowMessage(const char* text, MessageIcon icon, const char* detail = nullptr) override;
  void PostNote(const char* text) override;
  void PostVerify(const VerifyReport& report) override;

  std::vector<Report> Reports() const;
  std::vector<std::string> Statuses() const;
  std::vector<JobProgress> Progress() const;
  // Texts shown, "E:" or "I:" in front, a detail after a newline.
  std::vector<std::string> Messages() const;
  std::vector<int> BoardStates() const;
  std::vector<std::string> Notes() const;
  std::vector<VerifyReport> Verifies() const;
  int EndCount() const;
  int LastResult() const;  // -1 before the end

  // Waits (in real time, up to `ms`) until the job has reported its end.
  bool WaitForEnd(int ms) const;

 private:
  mutable std::mutex m_mutex;
  std::vector<Report> m_reports;
  std::vector<VerifyReport> m_verifies;  // in order; each also a Verify report above
};

}  // namespace k470::test
