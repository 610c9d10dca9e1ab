// What the particle tests share: the generator's draws for a seed, and particle files
// made in the test.
#pragma once

#include "GLTestSupport.h"
#include "TempDir.h"
#include "VEK_K2DPack.h"

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace particles {

// The first count values the emitter takes from rand() after srand(seed), in order
// (each one call, kept to 0 .. 32767). The generator is seeded again afterwards, so the
// emitter sees the same values.
inline std::vector<long long> Draws(unsigned seed, int count)
{
    std::srand(seed);
    std::vector<long long> draws;
    for (int i = 0; i < count; ++i) draws.push_back(std::rand() & 0x7FFF);
    std::srand(seed);
    return draws;
}

// An image-sequence file of solid side x side images, one per colour, in dir.
inline std::string WriteParticleFile(const TempDir& dir, const std::string& name,
                                     const std::vector<std::array<unsigned char, 3>>& colours, int side = 16)
{
    std::vector<std::string> inputs;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::string jpeg = (dir / (name + "-" + std::to_string(i) + ".jpg")).string();
        gltest::WriteSolidJpeg(jpeg, side, colours[i]);
        inputs.push_back(jpeg);
    }
    const std::string path = (dir / name).string();
    k2d::WriteSequence(path.c_str(), inputs);
    return path;
}

}  // namespace particles
