// Late answers: the median of their lateness beyond the line time, and the note.
#include "jobs/late_answers.h"

#include <gtest/gtest.h>

#include "tests/support/fake_clock.h"

namespace k470 {
namespace {

// One exchange that took `tookMs`, `lineMs` of it on the line.
void Exchange(LateAnswers& late, uint32_t tookMs, uint32_t lineMs = 0) {
  late.Begin();
  test::AdvanceClock(tookMs);
  late.End(lineMs);
}

TEST(LateAnswers, OnlyAMedianAboveFourMsIsNamedWithItsCostAndTheFix) {
  // A 0x55 behind a pseudo-terminal's backlog is late once; the median is on time.
  LateAnswers late;
  for (uint32_t ms : {6u, 1u, 0u}) Exchange(late, ms);
  EXPECT_EQ(late.MedianMs(), 1u);
  EXPECT_EQ(LateAnswerNote(late, 448, "write", "fix"), "");
  // The line time is not lateness: 1035 bytes at 38400 take 269 ms.
  LateAnswers load;
  Exchange(load, 273, 269);
  EXPECT_FALSE(load.Late());

  LateAnswers slow;
  for (uint32_t ms : {16u, 15u, 16u, 3u}) Exchange(slow, ms);
  // The fix goes on whole, however long the port's name makes it.
  const std::string fix = "set the timer at " + std::string(400, 'h');
  EXPECT_EQ(LateAnswerNote(slow, 448, "write", fix),
            "answers arrive about 15 ms late (a USB adapter's latency timer?): "
            "this write takes about 6.7 s longer; " + fix);
}

}  // namespace
}  // namespace k470
