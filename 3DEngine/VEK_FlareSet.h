// A light's lens-flare set: the images of "./escena/lens.k2d" as textures and the eight
// elements strung along the flare line. Data only; VEK_Flares.h loads and draws it.
#pragma once

#include "VEK_K2DTextures.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>

struct FlareElement {
    std::int32_t slot = 0;   // which of the set's textures
    float size = 0;          // half-size of the quad, in units of the flare line's direction
    float offset = 0;        // position along the flare line: 0 the view centre, 1 the light
};

struct FlareSet {
    static constexpr int kElements = 8;

    FlareSet() = default;
    ~FlareSet();   // deletes the textures once they were generated
    FlareSet(const FlareSet&) = delete;
    FlareSet& operator=(const FlareSet&) = delete;

    bool loaded = false;
    k2d::LensFlareTextures images;   // 12 texture names (slots 0 .. 11) and up to 5 images
    std::array<FlareElement, kElements> elements{};
};
