// The shared update timer on the platform's virtual clock.
#include "VEK_FrameTimer.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

TEST(FrameTimer, UpdatesOncePerPeriodAndCountsEveryCall)
{
    plat::UseVirtualClock(true);
    ResetFrameTimer();
    float fps = -1;
    EXPECT_FALSE(FrameTimerCheck(35.0f, fps));   // 0 ms: a period has not passed
    plat::AdvanceClock(29000);
    EXPECT_TRUE(FrameTimerCheck(35.0f, fps));    // 29 ms >= 1000 / 35
    EXPECT_FALSE(FrameTimerCheck(35.0f, fps));   // a second call in the same period
    plat::AdvanceClock(28000);
    EXPECT_FALSE(FrameTimerCheck(35.0f, fps));   // 28 ms after the update
    plat::AdvanceClock(1000);
    EXPECT_TRUE(FrameTimerCheck(35.0f, fps));    // 29 ms after it
    // Two scenes share the budget: the second one in the same frame does not update.
    plat::AdvanceClock(29000);
    EXPECT_TRUE(FrameTimerCheck(35.0f, fps));
    EXPECT_FALSE(FrameTimerCheck(35.0f, fps));
    EXPECT_EQ(fps, -1.0f);                       // not a second yet
    plat::AdvanceClock(1000000);
    FrameTimerCheck(35.0f, fps);
    EXPECT_EQ(fps, 8.0f);                        // every call of the last second, updates or not
    plat::UseVirtualClock(false);
}
