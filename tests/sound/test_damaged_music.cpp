// Music files whose data is damaged: opening, seeking and playing them never crashes,
// and music whose data gives out early ends there with one message.
#include "VEK_AudioStream.h"
#include "VEK_SoundSys.h"

#include "SoundFixtures.h"
#include "TempDir.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

// Damaged Ogg Vorbis files found by mutating music: libsndfile opens the first, and
// seeking in it crashed inside the Vorbis decoder; the second it refuses to open.
const std::string kSeekCrash = VEK_TEST_SOURCE_DIR "/tests/sound/fixtures/damaged-seek-crash.ogg";
const std::string kOpenLeak = VEK_TEST_SOURCE_DIR "/tests/sound/fixtures/damaged-leak.ogg";

struct Message {
    std::string caption;
    std::string text;
};

void Capture(const char* caption, const char* text, void* user)
{
    static_cast<std::vector<Message>*>(user)->push_back({caption, text});
}

std::unique_ptr<AudioStream> OpenPulled(const std::string& path)
{
    std::string error;
    auto stream = AudioStream::Open(path.c_str(), 0, AudioStream::Output::pull, error);
    EXPECT_NE(stream, nullptr) << path << ": " << error;
    return stream;
}

// Pulls until the position reaches the length (or 20 s pass); returns the music frames.
uint64_t PullToEnd(AudioStream& stream)
{
    std::vector<int16_t> buffer(size_t(1024 * stream.Channels()));
    uint64_t music = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (stream.PositionBytes() < stream.LengthBytes() && std::chrono::steady_clock::now() < deadline) {
        const int taken = stream.Pull(buffer.data(), 1024);
        music += uint64_t(taken);
        if (taken == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return music;
}

// A FLAC file cut in half: its header still promises the whole length.
std::string CutFlac(const TempDir& dir, const soundtest::Tone& tone)
{
    const std::string whole = (dir / "whole.flac").string();
    EXPECT_TRUE(soundtest::WriteTone(whole, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, tone));
    const std::string bytes = TempDir::ReadFile(whole);
    dir.write("cut.flac", bytes.substr(0, bytes.size() / 2));
    return (dir / "cut.flac").string();
}

TEST(DamagedMusic, SeekingADamagedVorbisStreamEndsItsMusicInsteadOfCrashing)
{
    auto stream = OpenPulled(kSeekCrash);
    ASSERT_NE(stream, nullptr);
    ASSERT_GT(stream->LengthBytes(), 0u);
    stream->SetPositionBytes(stream->SecondsToBytes(0.2));
    EXPECT_EQ(stream->PositionBytes(), stream->LengthBytes()) << "its data gives out before 0.2 s";
    std::string why;
    double seconds = -1.0;
    ASSERT_TRUE(stream->Damaged(why, seconds));
    EXPECT_FALSE(why.empty());
    EXPECT_LT(seconds, 0.2);

    stream->SetPositionBytes(0);   // back to the start: still nothing to play, and no crash
    EXPECT_EQ(stream->PositionBytes(), stream->LengthBytes());
}

TEST(DamagedMusic, DataThatGivesOutMidWayEndsTheMusicThere)
{
    TempDir dir;
    const soundtest::Tone tone{44100, 2, 2.0};
    auto stream = OpenPulled(CutFlac(dir, tone));
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(stream->LengthBytes(), uint64_t(tone.Frames()) * 4) << "the header promises the whole tone";

    const uint64_t played = PullToEnd(*stream);
    EXPECT_EQ(stream->PositionBytes(), stream->LengthBytes());
    EXPECT_GT(played, uint64_t(tone.Frames()) / 4);
    EXPECT_LT(played, uint64_t(tone.Frames()) * 3 / 4) << "the missing half is not played as silence";
    std::string why;
    double seconds = 0.0;
    ASSERT_TRUE(stream->Damaged(why, seconds));
    EXPECT_NEAR(seconds, double(played) / tone.rate, 1e-9);

    // Going back decodes from the top again; going forward past the break ends at once.
    stream->SetPositionBytes(stream->SecondsToBytes(0.1));
    EXPECT_EQ(stream->PositionBytes(), stream->SecondsToBytes(0.1));
    EXPECT_EQ(PullToEnd(*stream), played - uint64_t(0.1 * tone.rate));
    stream->SetPositionBytes(stream->SecondsToBytes(1.9));
    EXPECT_EQ(stream->PositionBytes(), stream->LengthBytes());
}

TEST(DamagedMusic, AWholeFileIsNotReportedDamaged)
{
    TempDir dir;
    for (const int format : {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, SF_FORMAT_OGG | SF_FORMAT_VORBIS}) {
        SCOPED_TRACE(format);
        const std::string path = (dir / (format == (SF_FORMAT_OGG | SF_FORMAT_VORBIS) ? "t.ogg" : "t.flac")).string();
        ASSERT_TRUE(soundtest::WriteTone(path, format, {44100, 2, 1.0}));
        auto stream = OpenPulled(path);
        ASSERT_NE(stream, nullptr);
        stream->SetPositionBytes(stream->SecondsToBytes(0.5));
        EXPECT_EQ(PullToEnd(*stream) * 4, stream->LengthBytes() - stream->SecondsToBytes(0.5));
        std::string why;
        double seconds = 0.0;
        EXPECT_FALSE(stream->Damaged(why, seconds)) << why;
    }
}

// A length that is only an estimate (an MP3 without an info tag, which libsndfile 1.2
// puts about 500 frames past the last one) is not damage: the music ends with its sound.
TEST(DamagedMusic, AnMp3WithoutAnInfoTagEndsQuietly)
{
    if (!soundtest::HaveTool("lame")) GTEST_SKIP() << "lame is not installed; the MP3 cannot be made";
    TempDir dir;
    const std::string wav = (dir / "tone.wav").string();
    const std::string mp3 = (dir / "tone.mp3").string();
    ASSERT_TRUE(soundtest::WriteTone(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, {44100, 2, 5.0}));
    ASSERT_TRUE(soundtest::Run("lame --quiet -t '" + wav + "' '" + mp3 + "'"));
    auto stream = OpenPulled(mp3);
    ASSERT_NE(stream, nullptr);
    const uint64_t played = PullToEnd(*stream);
    EXPECT_EQ(stream->PositionBytes(), stream->LengthBytes());
    EXPECT_GT(played, 44100u * 5 - 44100 / 10);
    std::string why;
    double seconds = 0.0;
    EXPECT_FALSE(stream->Damaged(why, seconds)) << why << " at " << seconds << " s";
}

// The player's path: the music starts at the start time and its end ends the show; the
// damage is reported once, also over loop restarts that open the file again.
class DamagedShowMusic : public ::testing::Test {
protected:
    void SetUp() override { plat::SetMessageHook(Capture, &messages); }
    void TearDown() override { plat::SetMessageHook(nullptr, nullptr); }

    // Update ticks until the end is reported (or 10 s pass); returns whether it came.
    bool UpdateUntilEnd()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (sound.Update()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    std::vector<Message> messages;
    SoundSystem sound;
};

TEST_F(DamagedShowMusic, TheDamagedStartEndsTheMusicWithOneMessage)
{
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(sound.Open(kSeekCrash.c_str(), 0));
        float start = 0.0f;
        sound.SeekSeconds(start);
        EXPECT_FLOAT_EQ(start, 0.2f);
        EXPECT_TRUE(UpdateUntilEnd());
    }
    ASSERT_EQ(messages.size(), 1u) << "reported once per file";
    EXPECT_EQ(messages[0].caption, "Music");
    EXPECT_NE(messages[0].text.find(kSeekCrash), std::string::npos) << messages[0].text;
    EXPECT_NE(messages[0].text.find("The music ends there."), std::string::npos) << messages[0].text;
}

TEST_F(DamagedShowMusic, MusicThatGivesOutMidWayEndsTheShowWhenItsSoundRunsOut)
{
    TempDir dir;
    const std::string cut = CutFlac(dir, {44100, 2, 2.0});
    ASSERT_TRUE(sound.Open(cut.c_str(), 0));
    float start = 0.0f;
    sound.SeekSeconds(start);
    ASSERT_TRUE(UpdateUntilEnd());
    EXPECT_EQ(sound.stream->PositionBytes(), sound.lengthBytes);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find(cut), std::string::npos) << messages[0].text;
}

// libsndfile refuses this file; under the leak checker its failed open must not leak
// anything of ours (see tests/lsan.supp for what the library itself keeps).
TEST(DamagedMusic, AFileTheLibraryRefusesIsReportedUnplayable)
{
    std::string error;
    EXPECT_EQ(AudioStream::Open(kOpenLeak.c_str(), 0, AudioStream::Output::pull, error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
