// bench_render_video: how fast the player records the sample show as a video file, in
// output frames a second, side by side with recording the same frames as PPM pictures
// (the raw capture, nothing encoded). Both run the demo program as a user does, off
// screen on the virtual clock; the figure is the recorder's own count over its own time
// (start-up and loading left out). Rounds alternate and the best of each is reported.
//
//   bench_render_video [FRAMES [ROUNDS]]   (defaults: the whole show, 3,600 frames at 60
//                                           frames a second, and 2 rounds)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
namespace fs = std::filesystem;

fs::path ProgramFolder()
{
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    return length > 0 ? fs::path(std::string(path.data(), size_t(length))).parent_path() : fs::path(".");
}

// Runs the demo program in `show` and returns the recorder's frames a second (0 on failure).
double RecordingFps(const fs::path& bin, const fs::path& show, const std::string& output)
{
    const std::string command = "cd '" + show.string() + "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy '" +
                                (bin / "demo").string() + "' " + output + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0.0;
    double fps = 0.0;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        // The closing progress line: "recording: frame N, F fps, M:SS".
        unsigned long long frames = 0;
        double value = 0.0;
        if (std::sscanf(line, "recording: frame %llu, %lf fps", &frames, &value) == 2) fps = value;
    }
    return pclose(pipe) == 0 ? fps : 0.0;
}
}  // namespace

int main(int argc, char** argv)
{
    const long frames = argc > 1 ? std::atol(argv[1]) : 0;   // 0: to the end of the music
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 2;
    if (frames < 0 || rounds < 1) {
        std::fprintf(stderr, "usage: bench_render_video [FRAMES [ROUNDS]]\n");
        return 2;
    }
    const fs::path bin = ProgramFolder();
    const fs::path show = fs::temp_directory_path() / ("bench_render_video-" + std::to_string(getpid()));
    fs::create_directories(show);
    for (const char* file : {"demotest.xml", "keys.txt"})
        fs::copy_file(fs::path(VEK_SOURCE_DIR) / "content" / file, show / file);
    const std::string make = "VEK_BIN_DIR='" + bin.string() + "' '" VEK_SOURCE_DIR "/scripts/make-show.sh' '" +
                             show.string() + "' >/dev/null";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "bench_render_video: scripts/make-show.sh could not make the sample show\n");
        return 1;
    }

    const std::string count = " --keys keys.txt --fps 60" + (frames > 0 ? " --frames " + std::to_string(frames) : "");
    struct Output {
        const char* name;
        std::string arguments;
        double best = 0.0;
    };
    std::vector<Output> outputs = {
        {"PPM pictures (--capture)", "--capture ppm" + count},
        {"H.264 + FLAC in .mkv (--render)", "--render show.mkv" + count},
        {"H.264 + AAC in .mp4 (--render)", "--render show.mp4" + count},
    };
    for (int round = 0; round < rounds; ++round)
        for (Output& output : outputs) {
            const double fps = RecordingFps(bin, show, output.arguments);
            if (fps <= 0.0) {
                std::fprintf(stderr, "bench_render_video: demo %s failed\n", output.arguments.c_str());
                return 1;
            }
            output.best = std::max(output.best, fps);
            fs::remove_all(show / "ppm");
        }
    fs::remove_all(show);

    const std::string what = frames > 0 ? std::to_string(frames) + " frames of the sample show" : "the sample show";
    std::printf("Recording %s at 800 x 600, 60 fps, on %ld cores (best of %d rounds):\n", what.c_str(),
                sysconf(_SC_NPROCESSORS_ONLN), rounds);
    const double raw = outputs[0].best;
    for (const Output& output : outputs)
        std::printf("  %-34s %7.1f frames/s   %.2f x the PPM capture\n", output.name, output.best, output.best / raw);
    return 0;
}
