// A show recorded frame by frame as PNG pictures and a WAV file (--capture-png), and as
// PPM pictures (--capture with --fps): the pictures are the frames the player shows at
// those times, and the WAV holds the show's music sample for sample.
#include "RecordingFixtures.h"

#include <gtest/gtest.h>

namespace {
using namespace recording;

TEST(RecordedPictures, EveryFrameAsAPictureAndTheMusicToTheSample)
{
    TempDir dir;
    WriteShow(dir);
    const DemoRun run = RunDemo(dir.path(), "--capture-png png --fps 25");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("demo: wrote png: 75 PNG pictures (3.00 s at 25 fps), audio.wav with 132300 samples"),
              std::string::npos)
        << run.output;
    EXPECT_FALSE(ReadPng(dir / "png/frame000001.png").empty());
    EXPECT_FALSE(ReadPng(dir / "png/frame000075.png").empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "png/frame000076.png")) << "the show lasts 3 s: 75 frames at 25 fps";

    SF_INFO info{};
    SNDFILE* wav = sf_open((dir / "png/audio.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(wav, nullptr);
    EXPECT_EQ(info.samplerate, kRate);
    ASSERT_EQ(info.channels, kChannels);
    ASSERT_EQ(info.frames, 75 * kRate / 25) << "as long as the frames last, to the sample";
    std::vector<int16_t> heard(size_t(info.frames) * kChannels);
    EXPECT_EQ(sf_readf_short(wav, heard.data(), info.frames), info.frames);
    sf_close(wav);
    const std::vector<int16_t> music = Music();
    const size_t from = size_t(std::lround(kShowStart * kRate)) * kChannels;
    ASSERT_LE(from + heard.size(), music.size());
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), music.begin() + long(from)))
        << "the music from the show's start time on, sample for sample";
}

// The recorded frame at 1 s of show time is the picture a --capture run shows then: pass
// 250 at 250 passes a second, which is frame 26 at 25 frames a second.
TEST(RecordedPictures, TheFrameAtOneSecondIsTheCapturedOne)
{
    TempDir dir;
    WriteShow(dir);
    const DemoRun captured = RunDemo(dir.path(), "--capture ppm --fixed-fps 250 --capture-every 251 --frames 251");
    ASSERT_EQ(captured.exitCode, 0) << captured.output;
    const DemoRun pictures = RunDemo(dir.path(), "--capture-png png --fps 25 --frames 27");
    ASSERT_EQ(pictures.exitCode, 0) << pictures.output;
    const DemoRun ppm = RunDemo(dir.path(), "--capture recorded --fps 25 --frames 26");
    ASSERT_EQ(ppm.exitCode, 0) << ppm.output;

    const Picture atOneSecond = ReadPpm(dir / "ppm/frame000251.ppm").rgb;
    ASSERT_FALSE(atOneSecond.empty());
    EXPECT_EQ(ReadPng(dir / "png/frame000026.png"), atOneSecond);
    EXPECT_EQ(ReadPpm(dir / "recorded/frame000026.ppm").rgb, atOneSecond);
    // The skin fades in: the frames around it are other pictures.
    EXPECT_GT(MeanDifference(ReadPng(dir / "png/frame000025.png"), atOneSecond), 1.0);
    EXPECT_GT(MeanDifference(ReadPng(dir / "png/frame000027.png"), atOneSecond), 1.0);
}

}  // namespace
