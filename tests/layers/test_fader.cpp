// The fader cycle of flashes and skins: fade in, hold on the shared millisecond clock,
// fade out to inactive; Start and Reset. No GL needed.
#include "VEK_2D_Effect.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class Fader : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::UseVirtualClock(true);
        plat::AdvanceClock(5'000'000);  // 5 s: the shared hold clock starts far enough back
        Object2D::ResetHoldClock(0);
        flash.SetUpFader(800, 600);
        flash.SetColour(1, 1, 1);
    }
    void TearDown() override { plat::UseVirtualClock(false); }

    // Updates until the object enters phase 1; returns how many updates that took.
    static int UpdatesToPeak(Object2D& object)
    {
        for (int update = 1; update <= 1000; ++update) {
            object.Update();
            if (object.phase == 1) return update;
        }
        return -1;
    }

    Object2D flash;
};

TEST_F(Fader, DefaultFadeInReachesPhaseOneOnTheEighthUpdateWithoutCapping)
{
    flash.Start();
    EXPECT_EQ(UpdatesToPeak(flash), 8);
    EXPECT_NEAR(flash.alpha, 1.12f, 1e-5f);
    EXPECT_TRUE(flash.active);
}

TEST_F(Fader, HoldRunsDownNinePointsPerSecondOnTheClockThenFadesOutToInactive)
{
    flash.SetFadeInSpeed(0.5f);
    flash.SetFadeOutSpeed(0.25f);
    flash.SetHoldTime(2.0f);
    flash.Start();
    ASSERT_EQ(UpdatesToPeak(flash), 2);
    ASSERT_FLOAT_EQ(flash.alpha, 1.0f);

    // The first hold update steps at once (no object stepped in the last second), then
    // one step per 1000 ms however often the object is updated: 2.0, 1.1, 0.2, -0.7.
    int update = 0;
    for (; flash.hold && update < 1000; ++update) {
        flash.Update();
        EXPECT_FLOAT_EQ(flash.alpha, 1.0f) << "no fading while holding";
        plat::AdvanceClock(100'000);  // 100 ms between updates
    }
    EXPECT_NEAR(flash.holdTime, -0.7f, 1e-5f);
    EXPECT_EQ(update, 21) << "steps at 0, 1000 and 2000 ms: the hold ends on the 21st update";

    const float fadeOut[] = {0.75f, 0.5f, 0.25f};
    for (float expected : fadeOut) {
        flash.Update();
        EXPECT_FLOAT_EQ(flash.alpha, expected);
        EXPECT_TRUE(flash.active);
    }
    flash.Update();  // reaches 0
    EXPECT_FLOAT_EQ(flash.alpha, 0.0f);
    EXPECT_FALSE(flash.active);
    EXPECT_TRUE(flash.finished);
    EXPECT_EQ(flash.phase, 0);
}

TEST_F(Fader, AllObjectsShareOneHoldClock)
{
    Object2D other;
    other.SetUpFader(800, 600);
    other.SetColour(1, 0, 0);
    for (Object2D* object : {&flash, &other}) {
        object->SetFadeInSpeed(1.0f);
        object->SetHoldTime(5.0f);
        object->Start();
        object->Update();  // straight to phase 1
        ASSERT_EQ(object->phase, 1);
    }
    flash.Update();
    other.Update();  // same millisecond: the step was taken by the first object
    EXPECT_FLOAT_EQ(flash.holdTime, 4.1f);
    EXPECT_FLOAT_EQ(other.holdTime, 5.0f);

    plat::AdvanceClock(999'000);
    other.Update();
    EXPECT_FLOAT_EQ(other.holdTime, 5.0f);
    plat::AdvanceClock(1'000);
    other.Update();
    EXPECT_FLOAT_EQ(other.holdTime, 4.1f);
}

TEST_F(Fader, StartingAnActiveObjectChangesNothing)
{
    flash.SetHoldTime(1.0f);
    flash.Start();
    for (int i = 0; i < 5; ++i) flash.Update();
    const float alpha = flash.alpha;
    flash.hold = false;
    flash.Start();
    EXPECT_FLOAT_EQ(flash.alpha, alpha);
    EXPECT_FALSE(flash.hold) << "a start while active must not re-arm the hold";
    EXPECT_EQ(flash.phase, 0);
}

TEST_F(Fader, StartAfterTheEndRunsAFullCycleAgain)
{
    flash.SetFadeInSpeed(0.5f);
    flash.SetFadeOutSpeed(0.5f);
    for (int cycle = 0; cycle < 2; ++cycle) {
        flash.SetHoldTime(-1.0f);  // the hold ends on its first update
        flash.Start();
        EXPECT_EQ(UpdatesToPeak(flash), 2) << "cycle " << cycle;
        int updates = 0;
        while (flash.active && updates < 100) {
            flash.Update();
            ++updates;
        }
        EXPECT_EQ(updates, 3) << "one hold update and two fade-out updates, cycle " << cycle;
        EXPECT_TRUE(flash.finished);
    }
}

TEST_F(Fader, ResetRunsTheCycleWithoutMakingTheObjectActive)
{
    flash.Start();
    for (int i = 0; i < 3; ++i) flash.Update();
    flash.Reset();
    EXPECT_FALSE(flash.active);
    EXPECT_FLOAT_EQ(flash.alpha, 0.0f);
    flash.Update();  // updates do not depend on active
    EXPECT_NEAR(flash.alpha, 0.14f, 1e-6f);
    EXPECT_FALSE(flash.active);
}

TEST_F(Fader, FinishedOrDisabledObjectsDoNotUpdate)
{
    flash.Update();  // finished after set-up
    EXPECT_FLOAT_EQ(flash.alpha, 0.0f);
    flash.Start();
    flash.updateEnabled = false;
    flash.Update();
    EXPECT_FLOAT_EQ(flash.alpha, 0.0f);
    flash.SetArea(0, 100, 800, 400);  // giving the area enables updates again
    flash.Update();
    EXPECT_NEAR(flash.alpha, 0.14f, 1e-6f);
}

TEST(Object2DNames, LongNamesAreCutToElevenCharacters)
{
    Object2D object;
    const char* longName = "averyveryverylongname";
    object.SetName(longName);
    object.SetSceneName(longName);
    object.SetCameraName(longName);
    for (const char* field : {object.name, object.sceneName, object.cameraName}) EXPECT_STREQ(field, "averyveryve");
    object.SetName(nullptr);
    EXPECT_STREQ(object.name, "");
}

TEST(Object2DNames, FindObject2DMatchesExactNamesWithinTheRange)
{
    Object2D slots[6];
    slots[1].SetName("flash");
    slots[4].SetName("flash");
    slots[5].SetName("Flash");
    EXPECT_EQ(FindObject2D(slots, 0, 5, "flash"), 1);
    EXPECT_EQ(FindObject2D(slots, 2, 5, "flash"), 4);
    EXPECT_EQ(FindObject2D(slots, 2, 3, "flash"), -1);
    EXPECT_EQ(FindObject2D(slots, 0, 5, "FLASH"), -1);
    EXPECT_EQ(FindObject2D(slots, 0, 5, nullptr), -1);
}

}  // namespace
