// Real audio output on the real clock: SDL's disk driver writes what the device plays to
// a file, so the test hears what a listener would. Files are made by sox and lame; a
// test skips when its tool is missing.
#include "VEK_SoundSys.h"

#include "SoundFixtures.h"
#include "TempDir.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define VEK_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEK_UNDER_SANITIZER 1
#endif
#endif

namespace {
using Clock = std::chrono::steady_clock;
using soundtest::Tone;

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old, hadOld_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (hadOld_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Played {
    std::vector<int16_t> output;   // what the device wrote
    int rate = 0;
    int channels = 0;
    uint32_t lengthBytes = 0;
    double wallSeconds = 0.0;      // from opening the music to closing it
};

// Plays a music file through the disk driver until the sound system reports its end.
Played PlayThroughDisk(const TempDir& dir, const std::string& music)
{
    const std::string outputFile = (dir / "device-output.raw").string();
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", outputFile);
    Played played;
    SoundSystem sound;
    const Clock::time_point start = Clock::now();
    if (!sound.Open(music.c_str(), 0)) {
        ADD_FAILURE() << "cannot play " << music;
        return played;
    }
    if (sound.stream->GetOutput() != AudioStream::Output::device) {
        ADD_FAILURE() << "the disk driver did not open: " << plat::AudioError();
        return played;
    }
    played.rate = sound.stream->Rate();
    played.channels = sound.stream->Channels();
    played.lengthBytes = sound.lengthBytes;
    while (!sound.Update() && Seconds(Clock::now() - start) < 20.0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(sound.stream->PositionBytes(), sound.lengthBytes) << "the music played to its end";
    sound.Close();
    played.wallSeconds = Seconds(Clock::now() - start);
    const std::string bytes = TempDir::ReadFile(outputFile);
    played.output.resize(bytes.size() / 2);
    std::memcpy(played.output.data(), bytes.data(), played.output.size() * 2);
    return played;
}

size_t FirstSound(const std::vector<int16_t>& samples)
{
    size_t i = 0;
    while (i < samples.size() && samples[i] == 0) ++i;
    return i;
}

// The device writes whole buffers while it runs, starting with at most a buffer of
// silence before the music: its length is the played time, and it holds all the music.
void ExpectLengthMatchesPlayedTime(const Played& played)
{
    const double bytesPerSecond = double(played.rate) * played.channels * 2;
    const double outputSeconds = double(played.output.size() * 2) / bytesPerSecond;
    const double musicSeconds = double(played.lengthBytes) / bytesPerSecond;
    EXPECT_GE(played.output.size() * 2, played.lengthBytes);
    EXPECT_LE(outputSeconds, played.wallSeconds + 0.1) << "the device cannot write faster than it plays";
    EXPECT_LE(outputSeconds, musicSeconds + 0.5) << "little is written beyond the end of the music";
}

TEST(AudioOutput, AWavMadeBySoxPlaysSampleForSample)
{
    if (!soundtest::HaveTool("sox")) GTEST_SKIP() << "sox is not installed; the WAV cannot be made";
    TempDir dir;
    const std::string wav = (dir / "sine.wav").string();
    ASSERT_TRUE(soundtest::Run("sox -n -r 44100 -c 2 -b 16 '" + wav + "' synth 1.0 sine 440 sine 660 gain -6"));
    const std::vector<int16_t> source = soundtest::ReadAll(wav);
    ASSERT_FALSE(source.empty());

    const Played played = PlayThroughDisk(dir, wav);
    ASSERT_EQ(played.lengthBytes, source.size() * 2);
    ExpectLengthMatchesPlayedTime(played);
    // Align on the first sound: before it only the device's lead-in silence.
    const size_t sourceStart = FirstSound(source);
    const size_t outputStart = FirstSound(played.output);
    ASSERT_GE(outputStart, sourceStart);
    const size_t leadIn = outputStart - sourceStart;
    EXPECT_EQ(leadIn % 2, 0u) << "the output stays frame-aligned";
    EXPECT_LE(double(leadIn) / (44100 * 2), 0.1);
    ASSERT_GE(played.output.size(), leadIn + source.size());
    EXPECT_TRUE(std::equal(source.begin(), source.end(), played.output.begin() + leadIn))
        << "the device plays exactly the decoded samples";
}

TEST(AudioOutput, AnMp3MadeByLamePlaysAndIsHeard)
{
    if (!soundtest::HaveTool("lame")) GTEST_SKIP() << "lame is not installed; the MP3 cannot be made";
    TempDir dir;
    const Tone tone{44100, 2, 1.0};
    const std::string wav = (dir / "tone.wav").string();
    const std::string mp3 = (dir / "tone.mp3").string();
    ASSERT_TRUE(soundtest::WriteTone(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
    ASSERT_TRUE(soundtest::Run("lame --quiet -b 128 '" + wav + "' '" + mp3 + "'"));

    const Played played = PlayThroughDisk(dir, mp3);
    ExpectLengthMatchesPlayedTime(played);
    const std::vector<int16_t> source = soundtest::ToneSamples(tone);
    const double sourceRms = soundtest::Rms(source.data(), source.size());
    const size_t start = FirstSound(played.output);
    ASSERT_LT(start, played.output.size());
    const size_t frames = std::min((played.output.size() - start) / 2, size_t(tone.Frames()));
    const int16_t* heard = played.output.data() + start;
    EXPECT_GT(soundtest::Rms(heard, frames * 2), 0.7 * sourceRms) << "the output is not silent";
    EXPECT_NEAR(soundtest::ToneFrequency(heard, frames, 2, 0, 44100), 440.0, 15.0);
    EXPECT_NEAR(soundtest::ToneFrequency(heard, frames, 2, 1, 44100), 660.0, 20.0);
}

TEST(AudioOutput, WithLoopOnTheDevicePlaysTheMusicAgain)
{
    TempDir dir;
    const std::string wav = (dir / "tone.wav").string();
    ASSERT_TRUE(soundtest::WriteTone(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, {44100, 2, 0.4}));
    SoundSystem sound;
    ASSERT_TRUE(sound.Open(wav.c_str(), 0));
    ASSERT_EQ(sound.stream->GetOutput(), AudioStream::Output::device);
    sound.loop = true;
    const Clock::time_point start = Clock::now();
    while (!sound.restarted && Seconds(Clock::now() - start) < 10.0) {
        EXPECT_FALSE(sound.Update());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(sound.restarted);
    const Clock::time_point restart = Clock::now();
    while (sound.Position() < 0.1f && Seconds(Clock::now() - restart) < 10.0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(sound.Position(), 0.1f) << "the music plays again from its start";
    EXPECT_LT(sound.Position(), 0.4f);
}

TEST(AudioOutput, WithoutAnAudioDeviceTheMusicRunsSilentlyOnTheClock)
{
    TempDir dir;
    const std::string wav = (dir / "tone.wav").string();
    ASSERT_TRUE(soundtest::WriteTone(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, {44100, 2, 5.0}));
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    SoundSystem sound;
    ASSERT_TRUE(sound.Open(wav.c_str(), 0));
    EXPECT_EQ(sound.stream->GetOutput(), AudioStream::Output::clock);
    EXPECT_FALSE(plat::IsAudioOpen());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_GT(sound.Position(), 0.15f) << "the demo time still runs";
    EXPECT_LT(sound.Position(), 4.0f);
    EXPECT_FALSE(sound.Update());
}

// RSS in kilobytes.
long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

TEST(AudioOutput, MemoryStaysFlatOverRepeatedOpenAndClose)
{
#ifdef VEK_UNDER_SANITIZER
    GTEST_SKIP() << "the sanitizer's own bookkeeping grows the resident size; its leak checker covers this";
#endif
    TempDir dir;
    const std::string wav = (dir / "tone.wav").string();
    ASSERT_TRUE(soundtest::WriteTone(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, {44100, 2, 4.0}));
    SoundSystem sound;
    auto cycle = [&] {
        ASSERT_TRUE(sound.Open(wav.c_str(), 0));
        ASSERT_EQ(sound.stream->GetOutput(), AudioStream::Output::device);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));   // let the decoder fill its ring
        float t = 1.0f;
        sound.SeekSeconds(t);
        sound.Close();
    };
    for (int i = 0; i < 10; ++i) cycle();
    const long before = ResidentKilobytes();
    for (int i = 0; i < 60; ++i) cycle();
    const long after = ResidentKilobytes();
    ASSERT_GT(before, 0);
    // One stream left behind per cycle would add its ring and decoder, well over 15 MB.
    EXPECT_LT(after - before, 2048) << before << " kB before, " << after << " kB after";
}

}  // namespace
