// Decoding the images of a K2D file within a reader's limits. No GL here: the texture
// readers (VEK_K2DTextures.h) upload what this gives them.
#pragma once

#include "VEK_ImageBudget.h"
#include "VEK_K2DFile.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace k2d {

// Larger than any texture a show uses, and it bounds what a hostile header can make a
// reader allocate (48 MB).
inline constexpr int kMaxImageSide = 4096;

// A decoded image: width x height x 3 bytes of RGB, rows top first, no padding.
struct Image {
    int record = 0;  // position of its record in the file, from 0
    int slot = 0;    // the record's slot (layout C); A: 0 base, 1 mask; B: the index
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<unsigned char[]> pixels;
    ImageMemory memory;  // the pixels' share of the show's image budget, given back with them
    std::size_t byteSize() const { return std::size_t(width) * height * 3; }
};

// What one reader takes from a file.
struct ReadLimits {
    int maxImages = 255;     // records after these are left out (with a message)
    int slotCount = 0;       // layout C: slots 0 .. slotCount-1 are taken; 0 takes any
    int requiredSide = 0;    // when not 0, images must be requiredSide x requiredSide
};

// The images of one file and what went wrong while reading it.
struct ReadResult {
    std::vector<Image> images;        // in record order
    std::vector<std::string> problems;  // ready-made message texts
    bool damaged = false;             // the record table is unsound: no image was read
    int storedImages = 0;             // images the file says it holds
};

// Reads the images of an open K2D file. fileName only names the file in messages.
// Images that cannot be used are left out and described in problems, as is an image
// whose data ends early; one with corrupt data part-way is kept with the rows decoded so
// far (the rest black).
ReadResult ReadImages(std::FILE* file, const char* fileName, Layout layout, bool withMask, const ReadLimits& limits);

}  // namespace k2d
