// Late answers: the median of their lateness beyond the line time, and the note.
#include "jobs/late_answers.h"

#include <gtest/gtest.h>

#include "tests/support/fake_clock.h"

namespace k470 {
namespace {

// One exchange of two bytes at 57600 bit/s (under 1 ms of line time) that took `tookMs`.
void Exchange(LateAnswers& late, uint32_t tookMs) {
  late.Begin();
  test::AdvanceClock(tookMs);
  late.End(0);
}

TEST(LateAnswers, OnlyAMedianAboveFourMsIsNamedWithItsCostAndTheFix) {
  LateAnswers late;
  EXPECT_EQ(LateAnswerNote(late, 100, "write"), "");  // nothing timed
  // A 0x55 behind a pseudo-terminal's backlog is late once; the median is on time.
  Exchange(late, 6);
  Exchange(late, 1);
  Exchange(late, 0);
  EXPECT_EQ(late.MedianMs(), 1u);
  EXPECT_EQ(LateAnswerNote(late, 448, "write"), "");
  // The line time is not lateness: 1035 bytes at 38400 take 269 ms.
  LateAnswers load;
  load.Begin();
  test::AdvanceClock(273);
  load.End(269);
  EXPECT_EQ(load.MedianMs(), 4u);
  EXPECT_FALSE(load.Late());

  LateAnswers slow;
  for (uint32_t ms : {16u, 15u, 16u, 3u}) Exchange(slow, ms);
  EXPECT_EQ(slow.MedianMs(), 15u);
  EXPECT_EQ(LateAnswerNote(slow, 448, "write"),
            std::string("answers arrive about 15 ms late (a USB adapter's latency timer?): "
                        "this write takes about 6.7 s longer; ") + LateAnswerFix());
  EXPECT_NE(LateAnswerNote(slow, 4096, "load").find("this load takes about 61 s longer"),
            std::string::npos);
}

}  // namespace
}  // namespace k470
