#include "VEK_ViewOptions.h"

#include "VEK_CommandLine.h"

namespace {
constexpr long kMaxSide = 8192;
}  // namespace

const char* ViewUsage()
{
    return "usage: vekview SCENE.vek [--camera NAME] [--frame N] [--size WxH] [--out FILE.png] [--free]\n"
           "  Renders one scene file with the engine's drawing code (textures from Data/ beside it).\n"
           "  --camera NAME  look through this camera (default: the scene's first camera; a scene\n"
           "                 without cameras gets a preview camera framing it from the front and above)\n"
           "  --frame N      step the animation controllers N frames first (default 0)\n"
           "  --size WxH     picture size in pixels (default 800x600)\n"
           "  --out FILE     the PNG to write (default vekview.png)\n"
           "  --free         open a window and fly the free camera (arrows or W A S D, mouse); Escape ends\n"
           "Exit status: 0 rendered, 1 the scene did not load, 2 bad arguments.\n";
}

bool ParseViewOptions(int argc, char** argv, ViewOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() -> const char* { return hasValue ? argv[++i] : nullptr; };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--free") {
            options.freeCamera = true;
        } else if (arg == "--camera") {
            const char* name = value();
            if (!name || !*name) return error = "--camera needs a camera name", false;
            options.cameraName = name;
        } else if (arg == "--frame") {
            if (!cmdline::ParseWhole(value(), 0, 10000000, options.frame)) return error = "--frame needs a frame number from 0", false;
        } else if (arg == "--size") {
            const char* size = value();
            if (!size || !cmdline::ParseSize(size, kMaxSide, options.width, options.height))
                return error = "--size needs WIDTHxHEIGHT, each from 1 to 8192", false;
        } else if (arg == "--out") {
            const char* path = value();
            if (!path || !*path) return error = "--out needs a file name", false;
            options.outPath = path;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return error = "unknown option " + arg, false;
        } else if (options.scenePath.empty()) {
            options.scenePath = arg;
        } else {
            return error = "only one scene file, not also " + arg, false;
        }
    }
    if (!options.help && options.scenePath.empty()) return error = "no scene file given", false;
    return true;
}
