// The player's start-up and frame loop, run in this process on the off-screen driver
// and the virtual clock.
#include "TempDir.h"
#include "VEK_Player.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

namespace {

PlayerOptions HeadlessOptions(long frames)
{
    PlayerOptions options;
    options.showDialog = false;
    options.window = true;
    options.batch = true;
    options.fixedFps = 100;
    options.frames = frames;
    return options;
}

class FrameLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("demotest.xml", "<demoproject><engineDEMO name=\"loop test\"/></demoproject>");
        options = HeadlessOptions(-1);
        options.directory = dir.path().string();
    }
    void TearDown() override { std::filesystem::current_path(home); }

    std::filesystem::path home = std::filesystem::current_path();
    TempDir dir;
    PlayerOptions options;
    PlayerReport report;
};

TEST_F(FrameLoop, EscapeEndsTheLoopWithoutPresentingAnotherFrame)
{
    plat::PostKey(27, true);   // handled by the loop's first pass; the second renders and stops
    EXPECT_EQ(RunPlayer(options, &report), 0);
    EXPECT_TRUE(report.endedByEscape);
    EXPECT_EQ(report.presentedFrames, 0u);
    EXPECT_EQ(report.updateTicks, 0u);
    plat::KeyTable()[27] = 0;
}

TEST_F(FrameLoop, ClosingTheWindowEndsTheLoop)
{
    plat::PostQuit();
    EXPECT_EQ(RunPlayer(options, &report), 0);
    EXPECT_TRUE(report.endedByQuit);
    EXPECT_EQ(report.presentedFrames, 0u);
}

TEST_F(FrameLoop, FirstUpdateTickRunsInTheFirstPass)
{
    options.frames = 1;
    EXPECT_EQ(RunPlayer(options, &report), 0);
    EXPECT_EQ(report.presentedFrames, 1u);
    EXPECT_EQ(report.updateTicks, 1u);
}

TEST_F(FrameLoop, UpdateTickRunsAtTheUpdateRateNotTheFrameRate)
{
    // 100 frames per second against 90 ticks per second: one tick every second frame.
    options.frames = 100;
    EXPECT_EQ(RunPlayer(options, &report), 0);
    EXPECT_TRUE(report.endedByFrameLimit);
    EXPECT_EQ(report.presentedFrames, 100u);
    EXPECT_EQ(report.updateTicks, 50u);
    // The 2 s start pause passes on the virtual clock too.
    EXPECT_EQ(report.milliseconds, 2000u + 1000u);
}

}  // namespace
