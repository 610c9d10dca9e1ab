// A picture of 8-bit RGB pixels, rows from the top: read from a binary PPM, cut to a
// rectangle and made smaller by averaging.
#pragma once

#include <string>
#include <vector>

struct FramePicture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;   // width x height x 3, rows from the top
};

// Reads a binary PPM ("P6", maximum value 255, as the player's capture writes it). False with
// the reason in error for anything else, a cut file or a picture over 16384 pixels a side.
bool ReadPpmPicture(const std::string& path, FramePicture& picture, std::string& error);

// The rectangle (x, y, w, h) of the picture; false when it does not lie inside it.
bool CropPicture(const FramePicture& in, int x, int y, int w, int h, FramePicture& out);

// The picture made width pixels wide (height in proportion), each new pixel the mean of the
// old pixels it covers. Only ever shrinks: a width at least the picture's keeps it.
FramePicture ShrinkPicture(const FramePicture& in, int width);
