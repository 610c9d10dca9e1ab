// The audio stream's decoding, pulled directly (no device): every format the player
// reads, the ring running round, moving to a byte position.
#include "VEK_AudioStream.h"

#include "SoundFixtures.h"
#include "TempDir.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {
using soundtest::Tone;

// Pulls in pieces of `piece` frames until the stream reaches its end; returns the music
// frames taken. The decoder runs on its own thread, so an empty pull waits a little.
std::vector<int16_t> PullToEnd(AudioStream& stream, int piece)
{
    std::vector<int16_t> music;
    std::vector<int16_t> buffer(size_t(piece * stream.Channels()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (stream.PositionBytes() < stream.LengthBytes() && std::chrono::steady_clock::now() < deadline) {
        const int taken = stream.Pull(buffer.data(), piece);
        music.insert(music.end(), buffer.begin(), buffer.begin() + taken * stream.Channels());
        for (size_t i = size_t(taken * stream.Channels()); i < buffer.size(); ++i)
            if (buffer[i] != 0) ADD_FAILURE() << "what a pull could not fill must be silence";
        if (taken == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return music;
}

std::unique_ptr<AudioStream> OpenPulled(const std::string& path)
{
    std::string error;
    auto stream = AudioStream::Open(path.c_str(), 0, AudioStream::Output::pull, error);
    EXPECT_NE(stream, nullptr) << path << ": " << error;
    return stream;
}

TEST(AudioStreamFormats, EveryMusicFormatDecodesToTheToneItHolds)
{
    struct Case {
        const char* name;
        int format;
        int rate;
        bool lossless;
    };
    const Case cases[] = {
        {"tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, true},
        {"tone24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 22050, true},
        {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, true},
        {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, true},
        {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, false},
        {"tone.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, false},
        {"tone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        // Three seconds: twice round the decoder's ring.
        const Tone tone{c.rate, 2, 3.0};
        const std::string path = (dir / c.name).string();
        ASSERT_TRUE(soundtest::WriteTone(path, c.format, tone));
        auto stream = OpenPulled(path);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->Rate(), c.rate);
        EXPECT_EQ(stream->Channels(), 2);

        const std::vector<int16_t> music = PullToEnd(*stream, 1000);
        EXPECT_EQ(stream->PositionBytes(), stream->LengthBytes());
        EXPECT_EQ(music.size() * 2, stream->LengthBytes());
        const std::vector<int16_t> source = soundtest::ToneSamples(tone);
        if (c.lossless) {
            ASSERT_EQ(music.size(), source.size());
            int worst = 0;
            for (size_t i = 0; i < music.size(); ++i) worst = std::max(worst, std::abs(music[i] - source[i]));
            EXPECT_LE(worst, 1) << "16-bit, 24-bit and float data round to the same samples";
        } else {
            EXPECT_NEAR(double(music.size()), double(source.size()), 0.05 * double(source.size()));
            const size_t frames = music.size() / 2;
            EXPECT_NEAR(soundtest::ToneFrequency(music.data(), frames, 2, 0, c.rate), 440.0, 10.0);
            EXPECT_NEAR(soundtest::ToneFrequency(music.data(), frames, 2, 1, c.rate), 660.0, 15.0);
            EXPECT_NEAR(soundtest::Rms(music.data(), music.size()), soundtest::Rms(source.data(), source.size()),
                        0.25 * soundtest::Rms(source.data(), source.size()));
        }
        std::vector<int16_t> after(200);
        EXPECT_EQ(stream->Pull(after.data(), 100), 0) << "nothing plays after the end";
    }
}

TEST(AudioStreamPosition, MovingToABytePositionPlaysFromThatFrame)
{
    TempDir dir;
    const Tone tone{44100, 2, 3.0};
    const std::string path = (dir / "tone.wav").string();
    ASSERT_TRUE(soundtest::WriteTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
    const std::vector<int16_t> source = soundtest::ToneSamples(tone);
    auto stream = OpenPulled(path);
    ASSERT_NE(stream, nullptr);

    std::vector<int16_t> some(2 * 3000);
    stream->Pull(some.data(), 3000);
    stream->SetPositionBytes(100000 * 4 + 3);   // not on a frame: rounds down
    EXPECT_EQ(stream->PositionBytes(), 100000u * 4);
    const std::vector<int16_t> rest = PullToEnd(*stream, 777);
    ASSERT_EQ(rest.size(), source.size() - 100000 * 2);
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), source.begin() + 100000 * 2));

    stream->SetPositionBytes(0);
    EXPECT_EQ(PullToEnd(*stream, 4096), source) << "back to the start after the end";

    stream->SetPositionBytes(uint64_t(1) << 40);
    EXPECT_EQ(stream->PositionBytes(), stream->LengthBytes()) << "a position beyond the end is the end";
    EXPECT_EQ(stream->Pull(some.data(), 10), 0);
}

// Following the clock (a paused or stepped show), the stream is silent and its position
// moves with the clock; afterwards the music goes on from the position reached.
TEST(AudioStreamPosition, FollowingTheClockMovesThePositionAndTheMusicGoesOnFromThere)
{
    TempDir dir;
    const Tone tone{44100, 2, 3.0};
    const std::string path = (dir / "tone.wav").string();
    ASSERT_TRUE(soundtest::WriteTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
    const std::vector<int16_t> source = soundtest::ToneSamples(tone);
    plat::UseVirtualClock(true);
    auto stream = OpenPulled(path);
    ASSERT_NE(stream, nullptr);
    stream->Play();
    std::vector<int16_t> some(2 * 1000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (stream->PositionBytes() < 1000 * 4 && std::chrono::steady_clock::now() < deadline)
        if (stream->Pull(some.data(), 1000 - int(stream->PositionBytes() / 4)) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));

    stream->FollowClock(true);
    EXPECT_EQ(stream->PositionBytes(), 1000u * 4) << "it stands where the music was";
    plat::AdvanceClock(500000);
    EXPECT_EQ(stream->PositionBytes(), (1000u + 22050u) * 4) << "and moves with the clock";
    stream->SetPositionBytes(30000 * 4);
    plat::AdvanceClock(100000);
    EXPECT_EQ(stream->PositionBytes(), (30000u + 4410u) * 4) << "a move while following is taken from the clock on";

    stream->FollowClock(false);
    plat::AdvanceClock(1000000);
    EXPECT_EQ(stream->PositionBytes(), (30000u + 4410u) * 4) << "the pulled music is the clock again";
    const std::vector<int16_t> rest = PullToEnd(*stream, 1000);
    ASSERT_EQ(rest.size(), source.size() - size_t(30000 + 4410) * 2);
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), source.begin() + (30000 + 4410) * 2));
    plat::UseVirtualClock(false);
}

TEST(AudioStreamPosition, SecondsAndBytesConvertInWholeFrames)
{
    TempDir dir;
    const std::string path = (dir / "mono.wav").string();
    ASSERT_TRUE(soundtest::WriteTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, {22050, 1, 1.0}));
    auto stream = OpenPulled(path);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->SecondsToBytes(1.0), 44100u);
    EXPECT_EQ(stream->SecondsToBytes(0.5 + 0.4 / 22050), 22050u) << "a part frame rounds down";
    EXPECT_EQ(stream->SecondsToBytes(-1.0), 0u);
    EXPECT_EQ(stream->SecondsToBytes(std::nan("")), 0u);
    EXPECT_DOUBLE_EQ(stream->BytesToSeconds(11025), 0.25);
}

}  // namespace
