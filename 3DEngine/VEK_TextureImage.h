// A decoded texture image as records own it: the file it comes from and its pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TextureImage {
    std::string fileName;               // as the scene file names it, without directories
    std::vector<std::uint8_t> pixels;   // RGB (RGBA after the alpha merge), top row first
    std::uint32_t height = 0;
    std::uint32_t width = 0;
    bool loaded = false;                // a decode completed
};
