// How late a target's answers come beyond their line time, measured on exchanges that
// need no work of the target's (the bit-rate match, inquiries, echoes, the monitor's
// "end!"). A USB adapter's latency timer shows here: it holds every answer until its
// next tick, and a request/answer protocol pays that on each round trip. A job names it
// once when the median is too high, with what it costs and how to mend it.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

constexpr int kLateAnswerSamples = 16;     // exchanges measured at most per job
constexpr uint32_t kLateAnswerNoteMs = 4;  // a median above this is named

class LateAnswers {
 public:
  // Call before the request's first byte is written.
  void Begin();
  // Call when the answer's last byte has arrived: `lineMs` had to pass on the line
  // between the two (the line time of the request's and the answer's bytes that do not
  // overlap, LineTimeMs).
  void End(uint32_t lineMs);

  int Count() const { return m_count; }
  // The median lateness (the lower middle of an even count), 0 without samples.
  uint32_t MedianMs() const;
  bool Late() const { return MedianMs() > kLateAnswerNoteMs; }

 private:
  uint32_t m_start = 0;
  uint32_t m_samplesMs[kLateAnswerSamples] = {};
  int m_count = 0;
};

// The note for a job whose answers come late: how late, what that costs a job of
// `roundTrips` exchanges (`job`: "write", "load") and `fix`, how the user mends it for
// the job's port (LateAnswerFix, serial/late_answer_fix.h). Empty when the answers come
// on time.
std::string LateAnswerNote(const LateAnswers& late, uint32_t roundTrips, const char* job,
                           const std::string& fix);

}  // namespace k470
