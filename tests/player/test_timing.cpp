// The update tick and the render-target Timer against the virtual clock.
#include "VEK_Player.h"
#include "VEK_Timer.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class VirtualClock : public ::testing::Test {
protected:
    void SetUp() override { plat::UseVirtualClock(true); }
    void TearDown() override { plat::UseVirtualClock(false); }
};

TEST(UpdateTickRule, FirstTickRunsAtOnceThenOncePerPeriod)
{
    UpdateTick tick;
    EXPECT_TRUE(tick.Due(0.0f, 90));       // last starts at 0: due at once
    EXPECT_FALSE(tick.Due(11.0f, 90));     // 11 ms < 1000/90 ms
    EXPECT_TRUE(tick.Due(11.2f, 90));
    EXPECT_FLOAT_EQ(tick.last, 11.2f);
}

TEST(UpdateTickRule, PeriodFollowsTheRate)
{
    for (int rate : {30, 90, 120, 1000}) {
        UpdateTick tick;
        int ticks = 0;
        for (int ms = 0; ms < 1000; ++ms) ticks += tick.Due(float(ms), rate) ? 1 : 0;
        // One tick per started period of 1000/rate ms within a second (rounded up for
        // periods that are not whole milliseconds).
        const float period = 1000.0f / float(rate);
        EXPECT_EQ(ticks, int(std::ceil(1000.0f / std::ceil(period)))) << rate;
    }
}

TEST(UpdateTickRule, RateZeroNeverTicksAfterTheFirst)
{
    UpdateTick tick;
    EXPECT_TRUE(tick.Due(1.0f, 0));
    EXPECT_FALSE(tick.Due(1.0e9f, 0));
}

TEST_F(VirtualClock, SleepAndAdvanceMoveTheClock)
{
    EXPECT_EQ(plat::TickCount(), 0u);
    plat::Sleep(2000);
    EXPECT_EQ(plat::TickCount(), 2000u);
    plat::AdvanceClock(1500);
    EXPECT_EQ(plat::PerfCounter(), 2001500);
    EXPECT_EQ(plat::TickCount(), 2001u);
}

// Drives a Timer the way a render target does and returns the frames on which it fired.
std::vector<int> FiringFrames(int framesPerSecond, int frames)
{
    Timer timer;
    timer.Start();
    std::vector<int> fired;
    for (int frame = 1; frame <= frames; ++frame) {
        plat::AdvanceClock(1000000 / framesPerSecond);
        if (timer.Check()) fired.push_back(frame);
        else timer.Update();
    }
    return fired;
}

TEST_F(VirtualClock, TimerFiresEveryFourthFrameAt100Fps)
{
    const std::vector<int> fired = FiringFrames(100, 14);
    // The first Update measures from Start; after that each adds about 100.
    EXPECT_EQ(fired, (std::vector<int>{4, 8, 12}));
}

TEST_F(VirtualClock, TimerFiresEverySixthFrameAt50Fps)
{
    const std::vector<int> fired = FiringFrames(50, 19);
    EXPECT_EQ(fired, (std::vector<int>{6, 12, 18}));
}

TEST_F(VirtualClock, ZeroDeltaGivesInfiniteRateAndFires)
{
    Timer timer;
    timer.Start();
    plat::AdvanceClock(10000);
    timer.Update();
    timer.Update();   // same counter value: delta 0
    EXPECT_EQ(timer.delta, 0.0f);
    EXPECT_TRUE(std::isinf(timer.accumulator));
    EXPECT_TRUE(timer.Check());
    EXPECT_EQ(timer.accumulator, 0.0f);
}

TEST_F(VirtualClock, AccumulatorEqualToThresholdDoesNotFire)
{
    Timer timer;
    timer.Start();
    timer.accumulator = 200.0f;
    EXPECT_FALSE(timer.Check());
    EXPECT_EQ(timer.accumulator, 200.0f);
    plat::AdvanceClock(100000);
    timer.Update();
    EXPECT_TRUE(timer.Check());
}

}  // namespace
