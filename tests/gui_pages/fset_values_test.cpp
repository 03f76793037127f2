// The settings dialog's values: the rate list's index of a bit rate, MHz to kHz.
#include "ui/fset_values.h"

#include <gtest/gtest.h>

#include <limits>

namespace k470 {
namespace {

TEST(FsetValuesTest, RateIndexFindsTheListedRatesAndFallsBackToTheFirst) {
  EXPECT_EQ(FsetRateIndex(9600), 0);
  EXPECT_EQ(FsetRateIndex(19200), 1);
  EXPECT_EQ(FsetRateIndex(38400), 2);
  EXPECT_EQ(FsetRateIndex(57600), 3);
  EXPECT_EQ(FsetRateIndex(115200), 0);  // not in the list: the list opens at 9600
  EXPECT_EQ(FsetRateIndex(0), 0);
  EXPECT_EQ(FsetRateIndex(-1), 0);
}

TEST(FsetValuesTest, ClockTruncatesTowardZeroAndStaysInRange) {
  EXPECT_EQ(FsetClockKhz(20.0), 20000);
  EXPECT_EQ(FsetClockKhz(12.288), 12288);
  EXPECT_EQ(FsetClockKhz(19.6608), 19660);
  EXPECT_EQ(FsetClockKhz(20.000000), 20000);  // the field's six decimals, unchanged
  EXPECT_EQ(FsetClockKhz(0.0), 0);
  EXPECT_EQ(FsetClockKhz(-1.5), -1500);       // no range applies to the clock
  EXPECT_EQ(FsetClockKhz(-0.0009), 0);
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FsetClockKhz(1e300), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(FsetClockKhz(inf), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(FsetClockKhz(-inf), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(FsetClockKhz(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
}  // namespace k470
