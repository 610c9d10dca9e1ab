// vekframe: turns one frame the player captured (binary PPM) into a PNG picture, cut to a
// rectangle and made smaller if asked.
#include "VEK_CommandLine.h"
#include "VEK_FramePicture.h"
#include "VEK_PngFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr char kUsage[] =
    "usage: vekframe IN.ppm OUT.png [--crop X,Y,W,H] [--width W]\n"
    "  --crop X,Y,W,H  keep only that rectangle (pixels, from the top left)\n"
    "  --width W       make the picture W pixels wide, the height in proportion (never larger)\n";

enum ExitStatus { kOk = 0, kFailed = 1, kUsageError = 2 };

int Usage(std::FILE* out, int status)
{
    std::fputs(kUsage, out);
    return status;
}

// A whole number from 0 to 16384.
bool Whole(const std::string& text, int& value)
{
    long parsed = 0;
    if (!cmdline::ParseWhole(text.c_str(), 0, 16384, parsed)) return false;
    value = int(parsed);
    return true;
}

bool ParseCrop(const std::string& text, int (&crop)[4])
{
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i == 3;
        if (last != (comma == std::string::npos)) return false;
        if (!Whole(text.substr(start, last ? std::string::npos : comma - start), crop[i])) return false;
        start = comma + 1;
    }
    return true;
}

// The picture's rows bottom first, as the PNG writer takes them.
std::vector<unsigned char> BottomUp(const FramePicture& picture)
{
    const std::size_t stride = std::size_t(picture.width) * 3;
    std::vector<unsigned char> rows(picture.rgb.size());
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(&picture.rgb[std::size_t(y) * stride], stride, &rows[std::size_t(picture.height - 1 - y) * stride]);
    return rows;
}
}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return Usage(stdout, kOk);
    if (args.size() < 2) return Usage(stderr, kUsageError);
    int crop[4] = {0, 0, 0, 0};
    bool cropped = false;
    int width = 0;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--crop" && hasValue && ParseCrop(args[i + 1], crop)) cropped = true;
        else if (args[i] == "--width" && hasValue && Whole(args[i + 1], width) && width > 0) continue;
        else {
            std::fprintf(stderr, "vekframe: bad argument %s\n", args[i].c_str());
            return Usage(stderr, kUsageError);
        }
    }
    FramePicture picture;
    std::string error;
    if (!ReadPpmPicture(args[0], picture, error)) {
        std::fprintf(stderr, "vekframe: %s\n", error.c_str());
        return kFailed;
    }
    if (cropped) {
        FramePicture part;
        if (!CropPicture(picture, crop[0], crop[1], crop[2], crop[3], part)) {
            std::fprintf(stderr, "vekframe: the rectangle %d,%d,%d,%d does not lie inside the %d x %d picture\n", crop[0],
                         crop[1], crop[2], crop[3], picture.width, picture.height);
            return kFailed;
        }
        picture = std::move(part);
    }
    if (width > 0) picture = ShrinkPicture(picture, width);
    const std::vector<unsigned char> rows = BottomUp(picture);
    if (!WriteBottomUpPng(args[1], rows.data(), picture.width, picture.height, error)) {
        std::fprintf(stderr, "vekframe: %s\n", error.c_str());
        return kFailed;
    }
    return kOk;
}
