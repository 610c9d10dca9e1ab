// The skins of the sample show, drawn here and packed as single-image K2D files:
//   "escena/skin_emblem.k2d"  a glowing ring emblem with its mask (Data/skin_emblem.jpg,
//                             Data/skin_emblem_mask.jpg): the mask cuts the emblem's
//                             shape out of what is on screen, the image fills it in
//   "escena/skin_plasma.k2d"  an interference pattern (Data/skin_plasma.jpg), no mask
#include "VEK_ContentGen.h"
#include "VEK_JpegWriter.h"
#include "VEK_K2DPack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace contentgen {
namespace {
namespace fs = std::filesystem;

constexpr int kSide = 256;  // a power of two, as the textures are never scaled
constexpr double kPi = 3.14159265358979323846;

struct Picture {
    std::vector<double> rgb = std::vector<double>(std::size_t(kSide) * kSide * 3, 0.0);
    double* at(int x, int y) { return &rgb[(std::size_t(y) * kSide + std::size_t(x)) * 3]; }
    std::vector<unsigned char> Bytes() const
    {
        std::vector<unsigned char> bytes(rgb.size());
        for (std::size_t i = 0; i < rgb.size(); ++i)
            bytes[i] = static_cast<unsigned char>(std::clamp(rgb[i], 0.0, 1.0) * 255.0 + 0.5);
        return bytes;
    }
};

// How much of the emblem covers (x, y), 0 to 1: a ring with a diamond inside.
double EmblemCover(int x, int y)
{
    const double dx = x - kSide / 2.0 + 0.5, dy = y - kSide / 2.0 + 0.5;
    const double radius = std::sqrt(dx * dx + dy * dy);
    const double ring = std::exp(-std::pow((radius - 96.0) / 10.0, 2.0));
    const double diamond = std::clamp((52.0 - (std::fabs(dx) + std::fabs(dy))) / 4.0, 0.0, 1.0);
    return std::clamp(ring + diamond, 0.0, 1.0);
}

Picture Emblem()
{
    Picture picture;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const double cover = EmblemCover(x, y);
            const double angle = std::atan2(y - kSide / 2.0, x - kSide / 2.0);
            double* p = picture.at(x, y);
            p[0] = cover * (0.75 + 0.25 * std::cos(angle));
            p[1] = cover * (0.45 + 0.35 * std::sin(angle * 2.0));
            p[2] = cover * 0.95;
        }
    return picture;
}

// White where the screen stays as it is, dark where the emblem replaces it.
Picture EmblemMask()
{
    Picture picture;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const double keep = 1.0 - 0.9 * EmblemCover(x, y);
            double* p = picture.at(x, y);
            p[0] = p[1] = p[2] = keep;
        }
    return picture;
}

Picture Plasma()
{
    Picture picture;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const double u = x / double(kSide), v = y / double(kSide);
            const double wave = std::sin(u * 9.0 * kPi) + std::sin(v * 7.0 * kPi + u * 3.0) +
                                std::sin(std::sqrt((u - 0.3) * (u - 0.3) + (v - 0.7) * (v - 0.7)) * 30.0);
            const double t = (wave + 3.0) / 6.0;
            double* p = picture.at(x, y);
            p[0] = 0.5 + 0.5 * std::sin(t * 2.0 * kPi);
            p[1] = 0.3 + 0.3 * std::sin(t * 2.0 * kPi + 2.0);
            p[2] = 0.6 + 0.4 * std::sin(t * 2.0 * kPi + 4.0);
        }
    return picture;
}

bool Write(const fs::path& path, const Picture& picture)
{
    return WriteJpegFile(path.string(), picture.Bytes().data(), kSide, kSide, JpegWriteOptions{95});
}

bool MakeSkins(const fs::path& show)
{
    const fs::path emblem = show / "Data/skin_emblem.jpg", mask = show / "Data/skin_emblem_mask.jpg";
    const fs::path plasma = show / "Data/skin_plasma.jpg";
    if (!Write(emblem, Emblem()) || !Write(mask, EmblemMask()) || !Write(plasma, Plasma())) return false;
    const k2d::PackStatus masked =
        k2d::WriteSkin((show / "escena/skin_emblem.k2d").c_str(), emblem.c_str(), mask.c_str());
    const k2d::PackStatus plain = k2d::WriteSkin((show / "escena/skin_plasma.k2d").c_str(), plasma.c_str(), nullptr);
    if (masked.ok() && plain.ok()) return true;
    std::fprintf(stderr, "vekcontent: cannot pack the skins into %s\n", (show / "escena").c_str());
    return false;
}
}  // namespace

VEK_CONTENT_STEP(20, "skins escena/skin_emblem.k2d and escena/skin_plasma.k2d", MakeSkins);

}  // namespace contentgen
