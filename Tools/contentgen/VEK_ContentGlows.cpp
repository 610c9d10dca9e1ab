// The engine's light images: the two glow billboards "Data/raw1.bin" (a soft radial
// glow) and "Data/raw2.bin" (a star), and the lens-flare set "escena/lens.k2d" (layout C,
// 128 x 128 images in the slots the flare elements use: 0 halo, 1 ring, 2 bright disc,
// 3 soft disc, 4 thin ring). All are JPEG pictures on black: the engine adds them.
#include "VEK_ContentGen.h"
#include "VEK_JpegWriter.h"
#include "VEK_K2DPack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace contentgen {
namespace {
namespace fs = std::filesystem;

constexpr int kSide = 128;
constexpr double kPi = 3.14159265358979323846;

struct Tint {
    double r, g, b;
};

// Brightness 0 .. 1 at a distance r (0 centre, 1 the image's half side) and an angle.
using Shape = std::function<double(double r, double angle)>;

std::vector<unsigned char> Paint(const Shape& shape, Tint tint)
{
    std::vector<unsigned char> rgb(std::size_t(kSide) * kSide * 3);
    const double half = kSide / 2.0;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const double dx = (x + 0.5 - half) / half, dy = (y + 0.5 - half) / half;
            const double r = std::sqrt(dx * dx + dy * dy);
            // Every shape fades out before the border, so the clamped edges stay black.
            const double value = r >= 1.0 ? 0.0 : shape(r, std::atan2(dy, dx)) * (1.0 - std::pow(r, 8));
            const double channels[3] = {tint.r, tint.g, tint.b};
            for (int c = 0; c < 3; ++c) {
                const double v = std::clamp(value * channels[c], 0.0, 1.0);
                rgb[(std::size_t(y) * kSide + std::size_t(x)) * 3 + std::size_t(c)] = static_cast<unsigned char>(v * 255 + 0.5);
            }
        }
    return rgb;
}

double Gauss(double x, double width) { return std::exp(-(x * x) / (2 * width * width)); }

double SoftGlow(double r, double) { return Gauss(r, 0.32) * 0.85 + Gauss(r, 0.08) * 0.5; }

// Four long rays and four short ones around a small core.
double Star(double r, double angle)
{
    double rays = 0;
    for (int i = 0; i < 8; ++i) {
        const double direction = i * kPi / 4;
        double across = std::fabs(std::remainder(angle - direction, 2 * kPi)) * r;
        const double length = i % 2 ? 0.45 : 0.95;
        rays = std::max(rays, Gauss(across, 0.018 + 0.02 * r) * std::max(0.0, 1.0 - r / length));
    }
    return std::min(1.0, rays + Gauss(r, 0.1));
}

double Halo(double r, double) { return Gauss(r, 0.22) * 0.8 + Gauss(r - 0.78, 0.05) * 0.35; }
double Ring(double r, double) { return Gauss(r - 0.7, 0.07) * 0.9 + Gauss(r, 0.4) * 0.08; }
double BrightDisc(double r, double) { return r < 0.55 ? 1.0 : Gauss(r - 0.55, 0.06); }
double SoftDisc(double r, double) { return r < 0.6 ? 0.55 + 0.25 * r : 0.7 * Gauss(r - 0.6, 0.05); }
double ThinRing(double r, double) { return Gauss(r - 0.82, 0.025); }

bool WriteImage(const fs::path& path, const Shape& shape, Tint tint)
{
    const std::vector<unsigned char> rgb = Paint(shape, tint);
    return WriteJpegFile(path.string(), rgb.data(), kSide, kSide, JpegWriteOptions{92});
}

bool MakeGlowImages(const fs::path& show)
{
    return WriteImage(show / "Data" / "raw1.bin", SoftGlow, {1.0, 0.95, 0.85}) &&
           WriteImage(show / "Data" / "raw2.bin", Star, {1.0, 1.0, 1.0});
}

struct FlareImage {
    const char* name;
    int slot;
    double (*shape)(double, double);
    Tint tint;
};
// Added at full strength over the scene, so the discs stay dim.
constexpr FlareImage kFlareImages[] = {
    {"halo", 0, Halo, {0.8, 0.68, 0.48}},          {"ring", 1, Ring, {0.35, 0.56, 0.7}},
    {"bright disc", 2, BrightDisc, {0.6, 0.6, 0.54}}, {"soft disc", 3, SoftDisc, {0.21, 0.35, 0.19}},
    {"thin ring", 4, ThinRing, {0.6, 0.33, 0.54}},
};

bool MakeLensFlares(const fs::path& show)
{
    std::error_code error;
    const fs::path work = fs::temp_directory_path(error) / ("vekcontent-lens-" + std::to_string(::getpid()));
    fs::create_directories(work, error);
    if (error) {
        std::fprintf(stderr, "vekcontent: cannot create %s: %s\n", work.c_str(), error.message().c_str());
        return false;
    }
    std::vector<k2d::SlotEntry> entries;
    bool ok = true;
    for (const FlareImage& image : kFlareImages) {
        const fs::path jpeg = work / (std::to_string(image.slot) + ".jpg");
        ok = ok && WriteImage(jpeg, image.shape, image.tint);
        entries.push_back({image.name, image.slot, jpeg.string()});
    }
    const fs::path out = show / "escena" / "lens.k2d";
    if (ok && !k2d::WriteSlots(out.c_str(), entries).ok()) {
        std::fprintf(stderr, "vekcontent: cannot write %s\n", out.c_str());
        ok = false;
    }
    fs::remove_all(work, error);
    return ok;
}
}  // namespace

VEK_CONTENT_STEP(41, "light glows Data/raw1.bin and Data/raw2.bin", MakeGlowImages);
VEK_CONTENT_STEP(42, "lens flares escena/lens.k2d", MakeLensFlares);

}  // namespace contentgen
