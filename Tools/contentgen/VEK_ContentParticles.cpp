// The particle pictures of the sample show, soft round spots of 32 x 32 pixels:
//   "Data/particle_spark.jpg"  warm; the script packs it into "escena/sparks.k2d" on loading
//   "Data/particle_ray.jpg"    cold, packed here into "escena/rays.k2d" (image sequence)
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

constexpr int kSide = 32;  // a power of two, as the textures are never scaled

bool WriteSpot(const fs::path& path, double r, double g, double b)
{
    std::vector<unsigned char> rgb(std::size_t(kSide) * kSide * 3);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const double d = std::hypot(x - (kSide - 1) / 2.0, y - (kSide - 1) / 2.0) / (kSide / 2.0);
            const double v = std::pow(std::max(0.0, 1.0 - d), 1.5);
            unsigned char* p = &rgb[(std::size_t(y) * kSide + x) * 3];
            p[0] = static_cast<unsigned char>(255.0 * v * r);
            p[1] = static_cast<unsigned char>(255.0 * v * g);
            p[2] = static_cast<unsigned char>(255.0 * v * b);
        }
    if (WriteJpegFile(path.string(), rgb.data(), kSide, kSide)) return true;
    std::fprintf(stderr, "vekcontent: cannot write %s\n", path.c_str());
    return false;
}

bool MakeParticlePictures(const fs::path& show)
{
    const fs::path ray = show / "Data/particle_ray.jpg";
    if (!WriteSpot(show / "Data/particle_spark.jpg", 1.0, 0.75, 0.35) || !WriteSpot(ray, 0.45, 0.7, 1.0)) return false;
    if (k2d::WriteSequence((show / "escena/rays.k2d").c_str(), {ray.string()}).ok()) return true;
    std::fprintf(stderr, "vekcontent: cannot write %s\n", (show / "escena/rays.k2d").c_str());
    return false;
}
}  // namespace

VEK_CONTENT_STEP(40, "particle pictures Data/particle_*.jpg and escena/rays.k2d", MakeParticlePictures);

}  // namespace contentgen
