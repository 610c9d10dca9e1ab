// bench_music_open: how soon a long MP3 is heard and how much memory playing it takes,
// against decoding the whole file with libsndfile in one go, measured side by side.
//
// The 10-minute MP3 is made at run time with lame (it must be installed). Each
// measurement runs in a child process of its own, so its peak resident size is its own.
// Usage: bench_music_open [runs]   (default 3; the medians are reported)
#include "VEK_SoundSys.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kSeconds = 600;
constexpr double kSteadyPlaySeconds = 3.0;   // long enough for the decoder's ring to fill

struct Figures {
    double milliseconds = 0.0;
    double openCallMilliseconds = 0.0;   // streaming: until Open returned
    double peakMegabytes = 0.0;   // growth of the peak resident size during the measurement
};

long StatusKilobytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == key) {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return 0;
}

// Forgets the peak resident size so far, so VmHWM measures from here.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double Since(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

// Something with the spread of music (chords, a beat, noise), so the encoder and the
// decoder do real work; a pure tone would compress to nothing.
void WriteMusicPcm(std::FILE* out)
{
    std::vector<int16_t> block(kRate * kChannels);
    uint32_t noise = 12345;
    const double chord[] = {110.0, 138.6, 164.8, 220.0};
    for (int second = 0; second < kSeconds; ++second) {
        for (int i = 0; i < kRate; ++i) {
            const double t = second + double(i) / kRate;
            double value = 0.0;
            for (double hz : chord) value += 0.12 * std::sin(2 * M_PI * hz * (1.0 + 0.01 * (second % 7)) * t);
            const double beat = std::fmod(t, 0.5);
            value += 0.4 * std::exp(-beat * 30.0) * std::sin(2 * M_PI * 60.0 * beat);
            noise = noise * 1664525u + 1013904223u;
            value += 0.05 * (double(noise >> 8) / double(1u << 24) - 0.5);
            block[size_t(i) * 2] = int16_t(std::lround(std::clamp(value, -1.0, 1.0) * 32000.0));
            block[size_t(i) * 2 + 1] = int16_t(std::lround(std::clamp(-value * 0.9, -1.0, 1.0) * 32000.0));
        }
        std::fwrite(block.data(), sizeof(int16_t), block.size(), out);
    }
}

bool MakeMp3(const std::string& path)
{
    if (std::system("command -v lame >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "bench_music_open: lame is not installed (scripts/install-deps.sh installs it)\n");
        return false;
    }
    const std::string command =
        "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -b 192 - '" + path + "' 2>/dev/null";
    std::FILE* lame = popen(command.c_str(), "w");
    if (!lame) return false;
    WriteMusicPcm(lame);
    return pclose(lame) == 0;
}

// Open to the first buffer the audio device takes with music in it, then play on until
// the decoder runs steadily ahead.
Figures MeasureStreaming(const std::string& mp3)
{
    const long before = StatusKilobytes("VmRSS:");
    ResetPeak();
    SoundSystem sound;
    const Clock::time_point start = Clock::now();
    Figures figures;
    if (!sound.Open(mp3.c_str(), 0) || sound.stream->GetOutput() != AudioStream::Output::device) {
        std::fprintf(stderr, "bench_music_open: the music did not play on the audio device\n");
        std::exit(1);
    }
    figures.openCallMilliseconds = Since(start);
    while (sound.stream->PositionBytes() == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    figures.milliseconds = Since(start);
    std::this_thread::sleep_for(std::chrono::duration<double>(kSteadyPlaySeconds));
    figures.peakMegabytes = double(StatusKilobytes("VmHWM:") - before) / 1024.0;
    sound.Close();
    return figures;
}

Figures MeasureWholeDecode(const std::string& mp3)
{
    const long before = StatusKilobytes("VmRSS:");
    ResetPeak();
    const Clock::time_point start = Clock::now();
    SF_INFO info{};
    SNDFILE* file = sf_open(mp3.c_str(), SFM_READ, &info);
    if (!file) std::exit(1);
    std::vector<int16_t> samples(size_t(info.frames * info.channels));
    const sf_count_t got = sf_readf_short(file, samples.data(), info.frames);
    sf_close(file);
    Figures figures;
    figures.milliseconds = Since(start);
    figures.peakMegabytes = double(StatusKilobytes("VmHWM:") - before) / 1024.0;
    if (got != info.frames) std::fprintf(stderr, "bench_music_open: decoded %lld of %lld frames\n", (long long)got,
                                         (long long)info.frames);
    return figures;
}

// Runs a measurement in a child process and reads its figures back.
Figures InChild(Figures (*measure)(const std::string&), const std::string& mp3)
{
    int channel[2];
    if (pipe(channel) != 0) std::exit(1);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const Figures figures = measure(mp3);
        const bool sent = write(channel[1], &figures, sizeof figures) == ssize_t(sizeof figures);
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    Figures figures;
    const bool received = read(channel[0], &figures, sizeof figures) == ssize_t(sizeof figures);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_music_open: a measurement failed\n");
        std::exit(1);
    }
    return figures;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    setenv("SDL_AUDIODRIVER", std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy", 1);
    char folder[] = "/tmp/vekbench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string mp3 = std::string(folder) + "/ten-minutes.mp3";
    std::printf("making a %d-minute MP3 with lame...\n", kSeconds / 60);
    std::fflush(stdout);
    if (!MakeMp3(mp3)) return 1;

    std::vector<double> openMs, openCallMs, openMb, wholeMs, wholeMb;
    for (int run = 0; run < runs; ++run) {
        const Figures stream = InChild(MeasureStreaming, mp3);
        const Figures whole = InChild(MeasureWholeDecode, mp3);
        openMs.push_back(stream.milliseconds);
        openCallMs.push_back(stream.openCallMilliseconds);
        openMb.push_back(stream.peakMegabytes);
        wholeMs.push_back(whole.milliseconds);
        wholeMb.push_back(whole.peakMegabytes);
    }
    std::remove(mp3.c_str());
    rmdir(folder);

    const double decodedMb = double(kRate) * kChannels * 2 * kSeconds / (1024.0 * 1024.0);
    const double timeRatio = Median(openMs) / Median(wholeMs);
    const double memoryRatio = Median(openMb) / decodedMb;
    std::printf("music_open: %d-minute MP3, %.1f MB decoded, median of %d runs each\n", kSeconds / 60, decodedMb, runs);
    std::printf("  time  open to first audible buffer %8.1f ms | whole-file decode %8.1f ms | ratio %5.2f %% (target < 5 %%: %s)\n",
                Median(openMs), Median(wholeMs), 100.0 * timeRatio, timeRatio < 0.05 ? "met" : "MISSED");
    std::printf("  peak  playing (after %.0f s)         %8.1f MB | whole-file decode %8.1f MB | ratio to decoded size %5.2f %% (target < 10 %%: %s); to whole decode %5.2f %%\n",
                kSteadyPlaySeconds, Median(openMb), Median(wholeMb), 100.0 * memoryRatio,
                memoryRatio < 0.10 ? "met" : "MISSED", 100.0 * Median(openMb) / Median(wholeMb));
    std::printf("  (of the time to the first buffer, Open itself took %.1f ms; the rest is the device's first period)\n",
                Median(openCallMs));
    return timeRatio < 0.05 && memoryRatio < 0.10 ? 0 : 1;
}
