// The sound system as the demo's clock, on the virtual clock so every step is exact:
// seeking with its clamps, the end of the music, the loop restart, and music that
// cannot be played.
#include "VEK_SoundSys.h"

#include "SoundFixtures.h"
#include "TempDir.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {
using soundtest::Tone;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

struct Message {
    std::string caption;
    std::string text;
};

void Capture(const char* caption, const char* text, void* user)
{
    static_cast<std::vector<Message>*>(user)->push_back({caption, text});
}

class SoundSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::UseVirtualClock(true);
        plat::SetMessageHook(Capture, &messages);
    }
    void TearDown() override
    {
        plat::SetMessageHook(nullptr, nullptr);
        plat::UseVirtualClock(false);
    }

    std::string Music(const Tone& tone, const char* name = "music.wav", int format = kWav16)
    {
        const std::string path = (dir / name).string();
        EXPECT_TRUE(soundtest::WriteTone(path, format, tone)) << path;
        return path;
    }
    static void Advance(double seconds) { plat::AdvanceClock(static_cast<uint64_t>(std::llround(seconds * 1e6))); }

    TempDir dir;
    std::vector<Message> messages;
    SoundSystem sound;
};

TEST_F(SoundSystemTest, LengthIsCountedInBytesOfDecoded16BitPcm)
{
    struct Case {
        int rate;
        int channels;
        double seconds;
    };
    for (const Case c : {Case{44100, 2, 1.5}, Case{22050, 1, 0.5}, Case{48000, 2, 3.0}}) {
        const Tone tone{c.rate, c.channels, c.seconds};
        ASSERT_TRUE(sound.Open(Music(tone).c_str(), 0));
        EXPECT_EQ(sound.lengthBytes, uint32_t(tone.Frames() * c.channels * 2)) << c.rate << " Hz";
        EXPECT_FLOAT_EQ(sound.lengthSeconds, float(c.seconds));
        EXPECT_FLOAT_EQ(sound.Position(), 0.0f);
        Advance(0.25);
        EXPECT_NEAR(sound.Position(), 0.25, 1.0 / c.rate) << "the music position follows the virtual clock";
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SoundSystemTest, SeekSecondsClampsAndWritesTheTimeBack)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> cases[] = {
        {0.0f, 0.2f}, {0.005f, 0.2f}, {-5.0f, 0.2f}, {-inf, 0.2f}, {nan, 0.2f}, {0.01f, 0.01f},
        {3.5f, 3.5f}, {8.0f, 8.0f}, {8.5f, 8.0f}, {9.99f, 8.0f}, {100.0f, 8.0f}, {inf, 8.0f},
    };
    ASSERT_TRUE(sound.Open(Music({44100, 2, 10.0}).c_str(), 0));
    for (auto [given, expected] : cases) {
        float t = given;
        sound.SeekSeconds(t);
        EXPECT_FLOAT_EQ(t, expected) << "start time " << given;
        EXPECT_NEAR(sound.Position(), expected, 1.5 / 44100) << "start time " << given;
    }
}

TEST_F(SoundSystemTest, MusicShorterThanTheEndMarginStartsAtItsBeginning)
{
    ASSERT_TRUE(sound.Open(Music({44100, 2, 1.0}).c_str(), 0));
    float t = 0.0f;
    sound.SeekSeconds(t);
    EXPECT_EQ(t, 0.0f);
    EXPECT_EQ(sound.Position(), 0.0f);
}

TEST_F(SoundSystemTest, TheEndIsRecognisedExactlyWhenThePositionReachesTheLength)
{
    ASSERT_TRUE(sound.Open(Music({44100, 2, 1.0}).c_str(), 0));
    Advance(0.999);
    EXPECT_LT(sound.stream->PositionBytes(), sound.lengthBytes);
    EXPECT_FALSE(sound.Update());
    Advance(0.001);
    EXPECT_EQ(sound.stream->PositionBytes(), sound.lengthBytes);
    EXPECT_TRUE(sound.Update());
    Advance(5.0);
    EXPECT_EQ(sound.stream->PositionBytes(), sound.lengthBytes) << "the position never passes the end";
    EXPECT_TRUE(sound.Update());
    EXPECT_FALSE(sound.restarted);
}

TEST_F(SoundSystemTest, WithLoopOnTheEndRestartsTheMusicAndMarksIt)
{
    const std::string path = Music({44100, 2, 1.0});
    ASSERT_TRUE(sound.Open(path.c_str(), 0));
    sound.loop = true;
    Advance(0.5);
    EXPECT_FALSE(sound.Update());
    EXPECT_FALSE(sound.restarted);
    Advance(0.5);
    EXPECT_FALSE(sound.Update()) << "a loop never ends the show";
    EXPECT_TRUE(sound.restarted);
    EXPECT_EQ(sound.Position(), 0.0f);
    Advance(0.1);
    EXPECT_FLOAT_EQ(sound.Position(), 0.1f) << "the music plays again from its start";

    // The show restarts by opening the music again, which clears the mark.
    ASSERT_TRUE(sound.Open(path.c_str(), 0));
    EXPECT_FALSE(sound.restarted);
}

TEST_F(SoundSystemTest, RepeatedLoopRestartsLeaveOneStream)
{
    const std::string path = Music({8000, 1, 0.5});
    const int before = AudioStream::LiveCount();
    ASSERT_TRUE(sound.Open(path.c_str(), 0));
    sound.loop = true;
    for (int restart = 0; restart < 50; ++restart) {
        Advance(0.5);
        ASSERT_FALSE(sound.Update());
        ASSERT_TRUE(sound.restarted);
        ASSERT_TRUE(sound.Open(path.c_str(), 0));   // what the show's restart does
        ASSERT_EQ(AudioStream::LiveCount(), before + 1) << "restart " << restart;
    }
    sound.Close();
    EXPECT_EQ(AudioStream::LiveCount(), before);
    EXPECT_EQ(sound.Position(), 0.0f);
}

TEST_F(SoundSystemTest, PlaysFromAFileOffset)
{
    const Tone tone{22050, 1, 0.5};
    const std::string wav = Music(tone);
    const std::string junk(1000, '\x5a');
    dir.write("packed.bin", junk + TempDir::ReadFile(wav));
    const std::string packed = (dir / "packed.bin").string();

    ASSERT_TRUE(sound.Open(packed.c_str(), 1000));
    EXPECT_EQ(sound.lengthBytes, uint32_t(tone.Frames() * 2));
    EXPECT_TRUE(messages.empty());

    EXPECT_FALSE(sound.Open(packed.c_str(), 999)) << "an offset off the audio's start finds no sound file";
    EXPECT_FALSE(sound.Open(packed.c_str(), 1u << 30));
    EXPECT_EQ(messages.size(), 1u) << "the same file is reported once";
}

// Without playable music the demo time is a clock started at the open, so the show's
// events still fire; it never ends the show.
TEST_F(SoundSystemTest, UnplayableMusicRunsTheShowOnItsOwnClock)
{
    dir.write("empty.ogg", "");
    dir.write("noise.mp3", std::string(5000, '\x01'));
    dir.write("text.wav", "RIFF this is not a wave file at all");
    const std::string wav = TempDir::ReadFile(Music({44100, 2, 1.0}));
    dir.write("truncated-header.wav", wav.substr(0, 30));
    std::filesystem::create_directory(dir / "folder.wav");
    ASSERT_EQ(mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
    ASSERT_TRUE(soundtest::WriteTone((dir / "silent.wav").string(), kWav16, {44100, 2, 0.0}));

    for (const char* name : {"missing.ogg", "empty.ogg", "noise.mp3", "text.wav", "truncated-header.wav",
                             "folder.wav", "pipe.wav", "silent.wav"}) {
        SCOPED_TRACE(name);
        messages.clear();
        const std::string path = (dir / name).string();
        EXPECT_FALSE(sound.Open(path.c_str(), 0));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].caption, "Music");
        EXPECT_NE(messages[0].text.find(path), std::string::npos) << messages[0].text;
        EXPECT_EQ(sound.stream, nullptr);

        EXPECT_EQ(sound.Position(), 0.0f);
        Advance(1.5);
        EXPECT_FLOAT_EQ(sound.Position(), 1.5f);
        float t = 0.0f;
        sound.SeekSeconds(t);
        EXPECT_FLOAT_EQ(t, 0.2f);
        EXPECT_FLOAT_EQ(sound.Position(), 0.2f);
        sound.loop = true;
        Advance(1000.0);
        EXPECT_FALSE(sound.Update());
        EXPECT_FALSE(sound.restarted);
        sound.loop = false;
        EXPECT_FALSE(sound.Update());
    }
    messages.clear();
    EXPECT_FALSE(sound.Open((dir / "silent.wav").c_str(), 0));
    EXPECT_TRUE(messages.empty()) << "opening the same file again does not repeat the message";
}

TEST_F(SoundSystemTest, WithMusicDisabledTheClockStartsAtZero)
{
    Advance(3.0);
    sound.StartClock();
    EXPECT_EQ(sound.Position(), 0.0f);
    Advance(2.25);
    EXPECT_FLOAT_EQ(sound.Position(), 2.25f);
    float t = 10.0f;
    sound.SeekSeconds(t);
    EXPECT_EQ(t, 10.0f) << "a clock has no end to keep away from";
    EXPECT_FLOAT_EQ(sound.Position(), 10.0f);
    EXPECT_FALSE(sound.Update());
    sound.Close();
    EXPECT_EQ(sound.Position(), 0.0f);
    EXPECT_TRUE(messages.empty());
}

// A file cut short inside its audio data still plays to its (shorter) end.
TEST_F(SoundSystemTest, ATruncatedFilePlaysToItsEnd)
{
    const std::string wav = TempDir::ReadFile(Music({44100, 2, 2.0}));
    dir.write("cut.wav", wav.substr(0, wav.size() / 2 + 3));
    ASSERT_TRUE(sound.Open((dir / "cut.wav").c_str(), 0));
    EXPECT_GT(sound.lengthSeconds, 0.9f);
    EXPECT_LT(sound.lengthSeconds, 1.1f);
    Advance(sound.lengthSeconds + 0.01);
    EXPECT_TRUE(sound.Update());
}

}  // namespace
