// The demo program played off-screen on the real clock (no --fixed-fps): nothing paces the
// swaps there but the player itself, so it must keep time, memory and its ending in hand.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The sanitizer build (a debug build with shadow memory and a quarantine of freed blocks)
// needs more room; a pile of unfinished frames still overruns both limits by far.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEK_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(VEK_TEST_ASAN)
constexpr long kPeakLimitKilobytes = 700L * 1024;
constexpr double kSlowBuildSeconds = 4.0;
#else
constexpr long kPeakLimitKilobytes = 200L * 1024;
constexpr double kSlowBuildSeconds = 0.0;
#endif

constexpr int kSampleRate = 22050;
constexpr double kMusicSeconds = 5.0;

void PutLittleEndian(std::string& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) bytes += char((value >> (8 * i)) & 0xFF);
}

// A mono 16-bit WAV file: a quiet tone, so the decoder has real samples to stream.
std::string ToneWav(double seconds)
{
    const uint32_t samples = uint32_t(seconds * kSampleRate);
    std::string bytes = "RIFF";
    PutLittleEndian(bytes, 36 + samples * 2, 4);
    bytes += "WAVEfmt ";
    PutLittleEndian(bytes, 16, 4);
    PutLittleEndian(bytes, 1, 2);   // PCM
    PutLittleEndian(bytes, 1, 2);   // mono
    PutLittleEndian(bytes, kSampleRate, 4);
    PutLittleEndian(bytes, kSampleRate * 2, 4);
    PutLittleEndian(bytes, 2, 2);
    PutLittleEndian(bytes, 16, 2);
    bytes += "data";
    PutLittleEndian(bytes, samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i) PutLittleEndian(bytes, uint32_t(int16_t((i % 50) * 40 - 1000)), 2);
    return bytes;
}

struct TimedRun {
    bool finished = false;
    int exitCode = -1;
    double seconds = 0.0;
    long peakKilobytes = 0;
    std::string output;
};

// Runs the demo in folder and waits for it, at most deadline; a run past it is killed.
TimedRun RunDemoTimed(const std::filesystem::path& folder, std::chrono::seconds deadline)
{
    TimedRun run;
    const std::string log = (folder / "demo-output.txt").string();
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return run;
    if (child == 0) {
        if (chdir(folder.c_str()) != 0 || !std::freopen(log.c_str(), "w", stderr)) _exit(127);
        execl(VEK_TEST_BIN_DIR "/demo", "demo", "--no-dialog", "--window", "--batch", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(child, &status, WNOHANG, &usage);
        if (done == child) {
            run.finished = true;
            break;
        }
        if (done < 0 || std::chrono::steady_clock::now() - started > deadline) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKilobytes = usage.ru_maxrss;
    run.output = TempDir::ReadFile(log);
    return run;
}

// "(at most N ms late)" from the summary line, or -1.
double LatestEventMs(const std::string& output)
{
    const size_t at = output.find("(at most ");
    return at == std::string::npos ? -1.0 : std::stod(output.substr(at + 9));
}

TEST(HeadlessRealClock, FiveSecondShowKeepsTimeMemoryAndItsEnd)
{
    TempDir dir;
    dir.write("music.wav", ToneWav(kMusicSeconds));
    // A render-target layer with trails switched on at 0.5 s, then a flash every half second:
    // enough GL work in each frame for unfinished frames to pile up.
    std::string fx = "<FX type=\"2d\" class=\"layer\" name=\"trails\" start=\"0.5\" blur=\"0.2\" strenght=\"0.8\"/>";
    const int eventCount = 9;
    for (int i = 2; i <= eventCount; ++i)
        fx += std::string("<FX type=\"2d\" class=\"flash\" name=\"") + (i % 2 ? "white" : "red") + "\" start=\"" +
              std::to_string(i * 0.5) + "\" end=\"" + std::to_string(i * 0.5) + "\" fadein=\"0.2\" fadeout=\"0.03\" maxalpha=\"0.6\"/>";
    dir.write("demotest.xml",
              "<demoproject><engineDEMO name=\"five\" mp3=\"1\" mp3name=\"music.wav\" v=\"0\" h=\"0\" "
              "loadactions=\"1\" starttime=\"0\">" + fx + "</engineDEMO><engine2D>"
              "<object class=\"flash\" name=\"white\" blendfunc=\"0\"><color r=\"1\" g=\"1\" b=\"1\"/></object>"
              "<object class=\"flash\" name=\"red\" blendfunc=\"3\"><color r=\"0.9\" g=\"0.1\" b=\"0.1\"/></object>"
              "<object class=\"layer\" name=\"trails\"><layer z=\"0\" xres=\"256\" yres=\"256\" blenda=\"4\" "
              "blendb=\"1\" blendc=\"4\" blendd=\"4\" blur=\"0.2\" strenght=\"0.8\"/></object>"
              "</engine2D></demoproject>");

    const TimedRun run = RunDemoTimed(dir.path(), std::chrono::seconds(60));
    ASSERT_TRUE(run.finished) << "still running after " << run.seconds << " s\n" << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(std::to_string(eventCount) + " events fired"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("music ended"), std::string::npos) << run.output;

    // The music clock moves in audio-buffer steps of some tens of milliseconds, and a frame on
    // 2 busy cores takes a few; together well under 200 ms. Queued GL work makes it seconds.
    const double lateMs = LatestEventMs(run.output);
    EXPECT_GE(lateMs, 0.0) << run.output;
    EXPECT_LE(lateMs, 200.0) << run.output;
    EXPECT_LT(run.peakKilobytes, kPeakLimitKilobytes) << run.output;

    // Start-up (window, loading picture, its 2 s pause), 4.8 s of music from 0.2 s, then at
    // most 2 s to close; 2 s more are allowed for start-up on a loaded machine.
    const double musicSeconds = kMusicSeconds - 0.2;
    EXPECT_GE(run.seconds, 2.0 + musicSeconds - 0.5) << "the real clock, not a virtual one\n" << run.output;
    EXPECT_LE(run.seconds, 2.0 + musicSeconds + 2.0 + 2.0 + kSlowBuildSeconds) << run.output;
}

}  // namespace
