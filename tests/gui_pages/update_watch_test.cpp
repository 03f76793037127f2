// UpdateWatch: when the update mark of a page turns green.
#include "ui/update_watch.h"

#include <gtest/gtest.h>

namespace k470 {
namespace {

TEST(UpdateWatchTest, FirstSwitchOnShowsTheCurrentFileOnceThenOnlyChanges) {
  UpdateWatch watch;
  watch.SwitchOn();
  EXPECT_TRUE(watch.Tick("C:\\a.mot", true, 100));   // first look at an existing file
  EXPECT_FALSE(watch.Tick("C:\\a.mot", true, 100));  // unchanged
  EXPECT_TRUE(watch.Tick("C:\\a.mot", true, 200));   // touched
  EXPECT_FALSE(watch.Tick("C:\\a.mot", true, 200));
  EXPECT_TRUE(watch.Tick("C:\\b.mot", true, 200));   // another file, same time
  EXPECT_TRUE(watch.Tick("C:\\B.mot", true, 200));   // names compare byte for byte
  EXPECT_TRUE(watch.Tick("C:\\a.mot", true, 200));   // back to the first
  EXPECT_TRUE(watch.Tick("C:\\a.mot", true, 150));   // an older time is a change too
}

TEST(UpdateWatchTest, UnreadableFilesChangeNothing) {
  UpdateWatch watch;
  watch.SwitchOn();
  EXPECT_FALSE(watch.Tick("", false, 0));               // empty history
  EXPECT_FALSE(watch.Tick("C:\\gone.mot", false, 0));   // no such file
  EXPECT_EQ(watch.WatchedName(), "");
  EXPECT_TRUE(watch.Tick("C:\\a.mot", true, 5));
  EXPECT_FALSE(watch.Tick("C:\\b.mot", false, 0));      // switching to a missing file
  EXPECT_EQ(watch.WatchedName(), "C:\\a.mot");
  EXPECT_FALSE(watch.Tick("C:\\a.mot", true, 5));       // back: still the same time
}

TEST(UpdateWatchTest, LaterSwitchOnsKeepWhatWasSeen) {
  UpdateWatch watch;
  watch.SwitchOn();
  EXPECT_TRUE(watch.Tick("C:\\a.mot", true, 5));
  watch.SwitchOn();  // switched off and on again: the same file is not new
  EXPECT_FALSE(watch.Tick("C:\\a.mot", true, 5));
  watch.SwitchOn();
  EXPECT_TRUE(watch.Tick("C:\\a.mot", true, 6));  // changed while switched off

  UpdateWatch never;  // ticks before any switch-on compare with an empty name
  EXPECT_TRUE(never.Tick("C:\\a.mot", true, 5));
  never.SwitchOn();   // the first switch-on forgets it
  EXPECT_TRUE(never.Tick("C:\\a.mot", true, 5));
}

}  // namespace
}  // namespace k470
