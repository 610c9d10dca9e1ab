// The shared update timer on the platform's virtual clock, alone and in scenes' updates.
#include "../engine/SceneFixtures.h"
#include "TempDir.h"
#include "VEK_FrameTimer.h"
#include "VEK_Scene.h"
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

TEST(FrameTimer, ScenesAnimateOncePerPeriodAndShareOneBudget)
{
    TempDir dir;
    ScopedChdir in(dir.path());
    const std::vector<std::uint8_t> bytes = fixtures::Bytes(fixtures::FullScene());
    dir.write("s.vek", std::string(bytes.begin(), bytes.end()));
    auto a = LoadSceneFile("s.vek", "A"), b = LoadSceneFile("s.vek", "B");
    ASSERT_TRUE(a && b);
    a->prepareRecords();
    b->prepareRecords();
    const AnimController* animatedA = a->findController("Animated");
    const AnimController* animatedB = b->findController("Animated");
    ASSERT_TRUE(animatedA && animatedB);

    plat::UseVirtualClock(true);
    ResetFrameTimer();
    plat::AdvanceClock(29000);
    a->update();   // two vekUpdate calls within one period of 1000 / 35 ms
    a->update();
    EXPECT_EQ(animatedA->positionFrame(), 1u);
    b->update();   // the other scene, drawn in the same frame
    EXPECT_EQ(animatedB->positionFrame(), 0u);
    plat::AdvanceClock(29000);
    b->update();
    EXPECT_EQ(animatedB->positionFrame(), 1u);
    EXPECT_EQ(animatedA->positionFrame(), 1u);
    plat::AdvanceClock(1000000);
    a->update();
    EXPECT_EQ(a->fpsShown, 5.0f);   // the overlay's count: every call, of both scenes
    plat::UseVirtualClock(false);
}
