// The demo program's command line.
#include "VEK_Player.h"

#include "VEK_CommandLine.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {
constexpr long kMaxFrames = 1000000000;   // about 46 days at 250 frames a second
constexpr long kMaxRate = 100000;         // --fixed-fps and --capture-every
constexpr long kMaxFps = 1000;            // --fps
constexpr long kMaxSide = 7680;           // --size
constexpr double kMaxStart = 1000000.0;   // --start, seconds

// "WxH" with two even whole numbers (the video's colour planes are halved both ways).
bool ParseEvenSize(const std::string& text, int& width, int& height)
{
    return cmdline::ParseSize(text, kMaxSide, width, height) && width % 2 == 0 && height % 2 == 0;
}

// Seconds as a plain decimal number from 0 ("12.5"); no sign, exponent or spaces.
bool ParseSeconds(const char* text, double& seconds)
{
    if (*text == '\0') return false;
    int dots = 0;
    for (const char* c = text; *c; ++c) {
        if (*c == '.') ++dots;
        else if (*c < '0' || *c > '9') return false;
    }
    if (dots > 1 || (text[0] == '.' && text[1] == '\0')) return false;
    seconds = std::strtod(text, nullptr);
    return std::isfinite(seconds) && seconds <= kMaxStart;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsCountOption(const std::string& arg)
{
    return arg == "--frames" || arg == "--fixed-fps" || arg == "--capture-every" || arg == "--fps";
}

long CountLimit(const std::string& arg)
{
    if (arg == "--frames") return kMaxFrames;
    if (arg == "--fps") return kMaxFps;
    return kMaxRate;
}

bool TakesValue(const std::string& arg)
{
    return IsCountOption(arg) || arg == "--dir" || arg == "--capture" || arg == "--render" || arg == "--capture-png" ||
           arg == "--size" || arg == "--start" || arg == "--keys";
}

// Options that only make sense together, checked once every option is read.
bool CheckCombinations(const PlayerOptions& options, std::string& error)
{
    const int outputs = !options.renderFile.empty() + !options.pngFolder.empty() + !options.captureFolder.empty();
    if (outputs > 1) {
        error = "--render, --capture-png and --capture write one output at a time";
        return false;
    }
    if (!options.renderFile.empty() && !EndsWith(options.renderFile, ".mkv") && !EndsWith(options.renderFile, ".mp4")) {
        error = "--render writes .mkv or .mp4 files, not '" + options.renderFile + "'";
        return false;
    }
    if (options.fps > 0 && outputs == 0) {
        error = "--fps is the frame rate of --render, --capture-png or --capture";
        return false;
    }
    if (options.outputWidth > 0 && options.renderFile.empty()) {
        error = "--size is the picture size of --render";
        return false;
    }
    if (options.Offline() && options.fixedFps > 0) {
        error = "a recorded show runs on its own clock: give --fps, not --fixed-fps";
        return false;
    }
    if (options.Offline() && options.loop && options.frames < 0) {
        error = "a looping show never ends: give --frames with --loop";
        return false;
    }
    return true;
}
}  // namespace

const char* PlayerUsage()
{
    return "Usage: demo [options]\n"
           "Plays the show described by demotest.xml in the working directory.\n"
           "\n"
           "  --no-dialog    start at once, without the start-up dialog\n"
           "  --window       play in a window instead of full screen\n"
           "  --loop         restart the show when the music ends (\"Show Loop\")\n"
           "  --batch        report messages on standard error instead of message boxes\n"
           "  --frames N     quit after N presented frames\n"
           "  --fixed-fps N  run on a virtual clock that advances 1/N s per frame\n"
           "                 (repeatable runs and offline capture)\n"
           "  --dir DIR      the show's folder (default: the working directory)\n"
           "  --capture DIR  write every presented frame to DIR as frameNNNNNN.ppm\n"
           "  --capture-every N  with --capture: only every N-th frame\n"
           "  --keys FILE    press keys at show times, one press a line: SECONDS KEYS [HELD]\n"
           "                 (for example \"36.1 Shift+O\" or \"52.5 Up 1.5\")\n"
           "  --start SECONDS  start the show at that time of its music\n"
           "  --watch        read the script again whenever it or a file it names changes\n"
           "  --render OUT.mkv|OUT.mp4  record the show with its music into a video file\n"
           "  --capture-png DIR  record the show as DIR/frameNNNNNN.png and DIR/audio.wav\n"
           "  --fps N        frames a second of a recorded show (default 60; with --capture\n"
           "                 it records the same frames as PPM pictures)\n"
           "  --size WxH     picture size of --render (even numbers; default 800x600)\n"
           "  --help         show this text\n"
           "\n"
           "Escape or closing the window ends the show. Without a display the show is\n"
           "rendered off-screen in batch mode. With interactive=\"1\" or --watch: Space pauses,\n"
           "[ and ] jump 5 s back and ahead (with Shift 1 s), . steps a frame while paused,\n"
           "Tab shows the time bar.\n";
}

bool ParsePlayerOptions(int argc, char** argv, PlayerOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (TakesValue(arg) && i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        if (arg == "--help" || arg == "-h") options.help = true;
        else if (arg == "--no-dialog") options.showDialog = false;
        else if (arg == "--window") options.window = true;
        else if (arg == "--loop") options.loop = true;
        else if (arg == "--batch") options.batch = true;
        else if (arg == "--watch") options.watch = true;
        else if (IsCountOption(arg)) {
            long value = 0;
            const long limit = CountLimit(arg);
            if (!cmdline::ParseWhole(argv[++i], 1, limit, value)) {
                error = arg + " needs a whole number from 1 to " + std::to_string(limit) + ", not '" + argv[i] + "'";
                return false;
            }
            if (arg == "--frames") options.frames = value;
            else if (arg == "--fixed-fps") options.fixedFps = static_cast<int>(value);
            else if (arg == "--fps") options.fps = static_cast<int>(value);
            else options.captureEvery = value;
        } else if (arg == "--size") {
            if (!ParseEvenSize(argv[++i], options.outputWidth, options.outputHeight)) {
                error = std::string("--size needs WxH with even whole numbers from 2 to ") + std::to_string(kMaxSide) +
                        ", not '" + argv[i] + "'";
                return false;
            }
        } else if (arg == "--start") {
            if (!ParseSeconds(argv[++i], options.startSeconds)) {
                error = std::string("--start needs seconds from 0 (like 12.5), not '") + argv[i] + "'";
                return false;
            }
        } else if (arg == "--dir") options.directory = argv[++i];
        else if (arg == "--capture") options.captureFolder = argv[++i];
        else if (arg == "--keys") options.keyTrack = argv[++i];
        else if (arg == "--render") options.renderFile = argv[++i];
        else if (arg == "--capture-png") options.pngFolder = argv[++i];
        else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.Offline() && options.fps == 0) options.fps = kDefaultRecordFps;
    return CheckCombinations(options, error);
}
