// The bundled sample show played from start to end as a user plays it, headless on the
// virtual clock: every event fires, nothing is reported, the 3D scenes are on screen in
// the main view and in the layers, and every second differs from the one before.
#include "DemoRun.h"
#include "SampleShow.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kFramesPerSecond = 20;
constexpr double kShowSeconds = 60.0;
// The 3D view is the band of 800 x 400 pixels at y = 100 (the script gives v and h).
constexpr int kBandTop = 100, kBandBottom = 500;

int Brightest(const unsigned char* p) { return std::max({p[0], p[1], p[2]}); }

// Share of the pixels of a box that are not black.
double LitShare(const Frame& frame, int left, int top, int width, int height)
{
    int lit = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) lit += Brightest(frame.at(x, y)) > 24;
    return double(lit) / (width * height);
}

std::string FrameAt(int second)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame%06d.ppm", second * kFramesPerSecond);
    return name;
}

TEST(SampleShow, PlaysToItsEndWithEveryEventFiredAndItsScenesOnScreen)
{
    TempDir dir;
    ASSERT_TRUE(CopySampleShow(dir));
    const DemoRun run = RunDemo(dir.path(), ShowArguments(kFramesPerSecond) + " --capture cap --capture-every " +
                                                std::to_string(kFramesPerSecond));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const PlayReport report = ReadReport(run.output);
    EXPECT_EQ(report.eventsFired, CountEvents(dir.read("demotest.xml"))) << run.output;
    EXPECT_NEAR(report.showSeconds, kShowSeconds, 0.05) << run.output;
    EXPECT_EQ(report.ending, "music ended") << run.output;
    EXPECT_TRUE(MessageLines(run.output).empty()) << run.output;
    for (const char* log : {"demosys_XMLScriptError.LOG", "2d_XMLScriptError.LOG", "XMLScriptError.LOG"})
        EXPECT_FALSE(std::filesystem::exists(dir / log)) << log << ":\n" << dir.read(log);
    // The crate scene was converted at start-up; the loader logged the scenes it read.
    EXPECT_TRUE(std::filesystem::exists(dir / "escena/sample.vek"));
    EXPECT_NE(dir.read("Loader.LOG").find("----Opened Scene File escena/"), std::string::npos);

    // Each scene's camera looks at the middle of its scene: the crate, the hall's glass and
    // plinth, the garden's mill. Seconds in the main view and in each layer.
    const struct {
        int second;
        const char* what;
    } views[] = {
        {9, "crate scene, main view"}, {19, "hall through the trails layer"}, {21, "hall through the trails layer"},
        {25, "garden, main view"},     {39, "crate scene through the radial-blur layer"},
        {47, "hall, main view"},       {53, "garden from the free camera"},
    };
    for (const auto& view : views) {
        const Frame frame = ReadPpm(dir / "cap" / FrameAt(view.second));
        ASSERT_EQ(frame.width, 800) << view.what;
        ASSERT_EQ(frame.height, 600) << view.what;
        EXPECT_GT(LitShare(frame, 300, 250, 200, 100), 0.5) << view.what << " at " << view.second << " s";
        EXPECT_EQ(LitShare(frame, 0, 0, 800, kBandTop), 0.0) << view.what << ": above the band";
        EXPECT_EQ(LitShare(frame, 0, kBandBottom, 800, 600 - kBandBottom), 0.0) << view.what << ": below the band";
    }

    // No still or black stretch: every second of the show looks different from the last.
    Frame previous = ReadPpm(dir / "cap" / FrameAt(1));
    for (int second = 2; second < int(kShowSeconds); ++second) {
        const Frame frame = ReadPpm(dir / "cap" / FrameAt(second));
        ASSERT_FALSE(frame.rgb.empty()) << second << " s";
        EXPECT_GT(LitShare(frame, 0, kBandTop, 800, kBandBottom - kBandTop), 0.02) << second << " s is black";
        EXPECT_GT(ChangedPixels(previous, frame), 800 * 400 / 100) << second << " s looks like " << second - 1 << " s";
        previous = frame;
    }
}

// The peak memory of one run of the player in folder, in kilobytes, and its output.
struct MeasuredRun {
    long peakKilobytes = -1;
    int exitCode = -1;
    std::string output;
};

MeasuredRun RunMeasured(const TempDir& folder, const std::vector<std::string>& arguments)
{
    MeasuredRun measured;
    const std::string outputFile = (folder / "run.txt").string();
    // Under AddressSanitizer freed memory waits in a quarantine that grows the peak with
    // every allocation; without it the peak is the memory in use, as in a normal build.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string sanitizerOptions = std::string(sanitizer ? sanitizer : "") + ":quarantine_size_mb=0";
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.path().c_str()) != 0 || setenv("ASAN_OPTIONS", sanitizerOptions.c_str(), 1) != 0) _exit(126);
        std::FILE* out = std::freopen(outputFile.c_str(), "w", stdout);
        if (!out || dup2(fileno(stdout), STDERR_FILENO) < 0) _exit(126);
        std::vector<char*> argv{const_cast<char*>(VEK_TEST_BIN_DIR "/demo")};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return measured;
    measured.peakKilobytes = usage.ru_maxrss;
    measured.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    measured.output = TempDir::ReadFile(outputFile);
    return measured;
}

// "Show Loop": the show starts over when the music ends, five times, and takes no more
// memory for it than for starting over once.
TEST(SampleShow, StartsOverFiveTimesInTheMemoryOfOnce)
{
    constexpr int kLoopFrames = int(kShowSeconds) + 1;   // at 1 frame a second
    const auto play = [&](const TempDir& dir, int restarts) {
        return RunMeasured(dir, {"--no-dialog", "--window", "--batch", "--loop", "--keys", "keys.txt", "--fixed-fps",
                                 "1", "--frames", std::to_string(kLoopFrames * (restarts + 1) - kLoopFrames / 2)});
    };
    TempDir once, five;
    ASSERT_TRUE(CopySampleShow(once));
    ASSERT_TRUE(CopySampleShow(five));
    const MeasuredRun first = play(once, 1);
    const MeasuredRun fifth = play(five, 5);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    ASSERT_EQ(fifth.exitCode, 0) << fifth.output;
    EXPECT_NE(first.output.find("demo: the show started over once"), std::string::npos) << first.output;
    EXPECT_NE(fifth.output.find("demo: the show started over 5 times"), std::string::npos) << fifth.output;
    EXPECT_TRUE(MessageLines(fifth.output).empty()) << fifth.output;
    // Each pass through the show fires its events again.
    EXPECT_EQ(ReadReport(fifth.output).ending, "frame limit reached") << fifth.output;
    EXPECT_LE(fifth.peakKilobytes, first.peakKilobytes + first.peakKilobytes / 20 + 4096)
        << "peak memory after one restart " << first.peakKilobytes << " kB, after five " << fifth.peakKilobytes
        << " kB";
}

}  // namespace
