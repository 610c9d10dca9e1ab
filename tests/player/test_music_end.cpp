// The end of the music through the demo engine: it ends the show, or with "Show Loop"
// restarts it with every 2D object off and the events read anew.
#include "../sound/SoundFixtures.h"
#include "TempDir.h"
#include "VEK_DemoEngine.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

class MusicEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::UseVirtualClock(true);
        soundtest::Tone tone;
        tone.seconds = 3.0;
        ASSERT_TRUE(soundtest::WriteTone((dir / "music.wav").string(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
        dir.write("demotest.xml",
                  "<demoproject><engineDEMO name=\"t\" mp3=\"1\" mp3name=\"music.wav\" loadactions=\"1\">"
                  "<FX type=\"2d\" class=\"r2txt\" name=\"early\" start=\"0.1\"/>"
                  "<FX type=\"2d\" class=\"r2txt\" name=\"a\" start=\"0.5\"/>"
                  "<FX type=\"2d\" class=\"r2txt\" name=\"b\" start=\"1.5\"/>"
                  "</engineDEMO></demoproject>");
        demo->LoadProject("demotest.xml");
        demo->StartMusic(0);
        demo->LoadEffects("demotest.xml");
    }
    void TearDown() override
    {
        demo->sound.Close();
        plat::UseVirtualClock(false);
    }

    // Runs update ticks of 10 ms until the music reports its end or the time is up.
    int TicksUntilEnd(double seconds)
    {
        for (int tick = 0; tick < int(seconds * 100); ++tick) {
            plat::AdvanceClock(10000);
            if (demo->CheckMusic()) return tick;
        }
        return -1;
    }

    TempDir dir;
    ScopedChdir in{dir.path()};
    std::unique_ptr<DemoEngine> demo = std::make_unique<DemoEngine>();
};

TEST_F(MusicEnd, WithoutLoopTheEndOfTheMusicEndsTheShow)
{
    EXPECT_FLOAT_EQ(demo->startTime, 0.2f);   // a start time of 0 starts at 0.2 s
    const int tick = TicksUntilEnd(5.0);
    ASSERT_GE(tick, 0) << "the music never ended";
    EXPECT_NEAR(demo->sound.Position(), 3.0f, 0.011f);
    EXPECT_EQ(demo->sound.stream->PositionBytes(), demo->sound.lengthBytes);
}

TEST_F(MusicEnd, WithLoopTheShowRestartsWithEveryObjectOff)
{
    demo->SetLoop(true);
    demo->flashEnabled[3] = 1;
    demo->skinEnabled[20] = 1;
    demo->glowOn = true;
    demo->radialSwitch = true;
    demo->layersMode = true;
    // At start-up the music started before the events were read: nothing was skipped.
    EXPECT_EQ(demo->events.cursor, 0);
    while (demo->events.Fire(9.0f)) {
    }
    ASSERT_EQ(demo->events.cursor, 3);

    EXPECT_EQ(TicksUntilEnd(3.0), -1) << "a looping show never ends by its music";
    EXPECT_EQ(demo->flashEnabled[3], 0);
    EXPECT_EQ(demo->skinEnabled[20], 0);
    EXPECT_FALSE(demo->glowOn);
    EXPECT_FALSE(demo->radialSwitch);
    EXPECT_TRUE(demo->layersMode) << "layers mode is kept over a restart";
    EXPECT_FALSE(demo->sound.restarted);
    // On a restart the events are read before the music starts, so the seek to the start
    // time (0.2 s) skips the one at 0.1 s.
    EXPECT_EQ(demo->events.count, 3);
    EXPECT_EQ(demo->events.cursor, 1);
    EXPECT_LT(demo->sound.Position(), 1.0f);
}

TEST_F(MusicEnd, RepeatedRestartsKeepOneStream)
{
    demo->SetLoop(true);
    ASSERT_NE(demo->sound.stream, nullptr);
    ASSERT_EQ(AudioStream::LiveCount(), 1);
    // 60 s of ticks over music that plays 2.8 s from its start time: 21 restarts, each
    // seen as the demo time going back.
    int restarts = 0;
    for (int tick = 0; tick < 6000; ++tick) {
        const float before = demo->sound.Position();
        plat::AdvanceClock(10000);
        EXPECT_FALSE(demo->CheckMusic()) << "a looping show never ends by its music";
        if (demo->sound.Position() < before) {
            ++restarts;
            EXPECT_LT(demo->sound.Position(), 0.3f) << "restarts at the start time";
        }
        if (tick % 100 == 0) {
            ASSERT_EQ(AudioStream::LiveCount(), 1) << "after " << restarts << " restarts";
        }
    }
    EXPECT_EQ(restarts, 21);
    EXPECT_EQ(AudioStream::LiveCount(), 1);
    EXPECT_NE(demo->sound.stream, nullptr);
    EXPECT_EQ(demo->events.count, 3);
}

}  // namespace
