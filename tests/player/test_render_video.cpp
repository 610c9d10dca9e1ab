// A show recorded as a video file (--render), read back with the FFmpeg libraries as a
// player reads it: its pictures are the show's frames at their times, and its music the
// show's, as long as the frames last.
#include "RecordingFixtures.h"
#include "VideoReader.h"

#include <gtest/gtest.h>

namespace {
using namespace recording;

constexpr int64_t kFrames = 75;                          // 3 s at 25 frames a second
constexpr int64_t kSamples = kFrames * kRate / 25;
constexpr int64_t kAacFrame = 1024;                      // what an AAC decoder may add at the end

struct Container {
    const char* extension;
    const char* audioCodec;
    bool exactAudio;   // decoded to the sample (FLAC) or cut by the container's length (AAC)
};

void PrintTo(const Container& container, std::ostream* out) { *out << container.extension; }

class RenderVideo : public ::testing::TestWithParam<Container> {};

TEST_P(RenderVideo, HoldsTheShowsFramesAndMusic)
{
    const Container container = GetParam();
    TempDir dir;
    WriteShow(dir);
    const std::string file = std::string("show.") + container.extension;
    const DemoRun render = RunDemo(dir.path(), "--render " + file + " --fps 25");
    ASSERT_EQ(render.exitCode, 0) << render.output;
    EXPECT_NE(render.output.find("demo: wrote " + file + ": 75 frames (3.00 s)"), std::string::npos) << render.output;
    const DemoRun captured = RunDemo(dir.path(), "--capture ppm --fixed-fps 250 --capture-every 251 --frames 251");
    ASSERT_EQ(captured.exitCode, 0) << captured.output;

    const DecodedVideo video = ReadVideo((dir / file).string(), {24, 25, 26});
    ASSERT_EQ(video.error, "");
    EXPECT_EQ(video.videoCodec, "h264");
    EXPECT_EQ(video.width, kWidth);
    EXPECT_EQ(video.height, kHeight);
    EXPECT_DOUBLE_EQ(video.fps, 25.0);
    EXPECT_EQ(video.frames, kFrames);
    EXPECT_NEAR(video.videoSeconds, 3.0, 0.0011) << "timestamps of a millisecond in Matroska";

    EXPECT_EQ(video.audioCodec, container.audioCodec);
    EXPECT_EQ(video.audioRate, kRate);
    EXPECT_EQ(video.audioChannels, kChannels);
    const int64_t expectedOnset = FirstLoud(FirstChannelOfShow());
    ASSERT_GT(expectedOnset, 0);
    if (container.exactAudio) {
        EXPECT_EQ(video.samples, kSamples);
        EXPECT_EQ(FirstLoud(video.firstChannel), expectedOnset) << "the music starts on its sample";
    } else {
        EXPECT_EQ(video.declaredSamples, kSamples) << "the container's length cuts the encoder's padding";
        EXPECT_GE(video.samples, kSamples);
        EXPECT_LT(video.samples, kSamples + kAacFrame);
        EXPECT_NEAR(double(FirstLoud(video.firstChannel)), double(expectedOnset), 64.0)
            << "the encoder's delay is skipped";
    }

    // The picture at 1 s (frame 25 from 0) is the captured frame at 1 s, within what the
    // 4:2:0 colour and the encoder change; its neighbours, a fade step away, are further.
    const Picture atOneSecond = ReadPpm(dir / "ppm/frame000251.ppm").rgb;
    ASSERT_EQ(video.kept.size(), 3u);
    const double same = MeanDifference(video.kept[1], atOneSecond);
    EXPECT_LT(same, 2.0);
    EXPECT_GT(MeanDifference(video.kept[0], atOneSecond), same);
    EXPECT_GT(MeanDifference(video.kept[2], atOneSecond), same);
}

INSTANTIATE_TEST_SUITE_P(Containers, RenderVideo,
                         ::testing::Values(Container{"mkv", "flac", true}, Container{"mp4", "aac", false}),
                         [](const ::testing::TestParamInfo<Container>& info) { return info.param.extension; });

TEST(RenderVideoSize, SizeScalesThePictures)
{
    TempDir dir;
    WriteShow(dir);
    const DemoRun render = RunDemo(dir.path(), "--render small.mkv --fps 30 --size 400x300 --frames 12");
    ASSERT_EQ(render.exitCode, 0) << render.output;
    const DecodedVideo video = ReadVideo((dir / "small.mkv").string(), {});
    ASSERT_EQ(video.error, "");
    EXPECT_EQ(video.width, 400);
    EXPECT_EQ(video.height, 300);
    EXPECT_EQ(video.frames, 12);
    EXPECT_EQ(video.samples, 12 * kRate / 30);
}

}  // namespace
