// The narrow interface through which a job reports what happened: its status texts, its
// progress as numbers, its end result, the board state, and the messages it shows to the
// user. How that reaches the user is the front end's choice: the window program posts
// window messages and shows message boxes, the command-line tool prints (or writes JSON
// events), and tests record.
#pragma once

#include <cstdint>

namespace k470 {

// Result codes of a job's end.
constexpr int JOB_SUCCEEDED = 0;
constexpr int JOB_CANCELLED = 1;
constexpr int JOB_FAILED = 2;

enum class MessageIcon { Error, Information };

// What a progress report counts.
enum class ProgressUnit { Bytes, Blocks };

// A job's progress: what the target has acknowledged so far (a RAM load's chunk after its
// "end!", a flash block after the chip's answer), out of all there is to send.
struct JobProgress {
  ProgressUnit unit = ProgressUnit::Bytes;
  uint64_t done = 0;
  uint64_t total = 0;
  uint32_t address = 0;  // where the job is: the next address to send
};

// What the check of a flash write found.
enum class VerifyResult {
  Verified,     // the chip holds what was written: its sum equals the image's, or every
                // written block read back equal
  Failed,       // the chip holds something else, or the check broke off
  Unavailable,  // the chip offers no check (a note says why)
  Skipped,      // the check was not asked for
};

// A flash write's check, for the front ends that show it as numbers.
struct VerifyReport {
  VerifyResult result = VerifyResult::Skipped;
  bool chipSumKnown = false;  // the chip answered its sum
  uint32_t chipSum = 0;      // the chip's 32-bit sum of its flash
  uint32_t imageSum = 0;     // the same sum over the image (set unless Skipped)
  bool readBack = false;   // the written blocks were read back after the sums differed
  bool differs = false;    // a difference was found at `address` (Failed)
  uint32_t address = 0;
  uint8_t chipByte = 0;    // what the chip holds there
  uint8_t imageByte = 0;   // what the image has there
};

class JobTarget {
 public:
  virtual ~JobTarget() = default;

  // A new status text. The target copies what it needs before it returns: the job may
  // replace its text at once.
  virtual void PostStatus(const char* text) = 0;

  // New progress; `done` never decreases within a run.
  virtual void PostProgress(const JobProgress& progress) = 0;

  // The job's end; always the last report of a run (progress jobs only).
  virtual void PostEnded(int result) = 0;

  // A board state report (board_state.h).
  virtual void PostBoardState(int state) = 0;

  // Shows a modal message to the user from the job's thread and returns when it has been
  // dismissed (a message box in the window program). `detail` (may be null) is a second
  // line below the text: what exactly went wrong.
  virtual void ShowMessage(const char* text, MessageIcon icon, const char* detail = nullptr) = 0;

  // A remark on the run that is no failure (bytes the image window left out, a write that
  // could not be verified, answers that come late). Sent before the end; the front end
  // shows it with the job's end: a line of the end message in the window program, a line
  // on stderr or a "note" event in the command-line tool.
  virtual void PostNote(const char* text) = 0;

  // A flash write's check, once it has ended (or was skipped); before the job's message.
  virtual void PostVerify(const VerifyReport& report) = 0;

  // How many frames a flash write sent again because the chip refused them as garbled
  // on the line; once, before the job's message. Only the front ends that count it
  // (the command-line tool's end event and summary) need to take it.
  virtual void PostResent(uint32_t frames) { (void)frames; }
};

}  // namespace k470
