// Encoding RGB pixels as JPEG files, for the tools that make content (the player and
// the engine only read JPEGs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct JpegWriteOptions {
    int quality = 90;          // 1 .. 100
    bool progressive = false;
    bool greyscale = false;    // store one luminance channel
    int restartRows = 0;       // restart marker every this many MCU rows (0: none)
};

// Encodes width x height x 3 bytes of RGB (rows top first, no padding). Returns the
// complete JPEG file, empty on failure.
std::vector<unsigned char> EncodeJpeg(const unsigned char* rgb, uint32_t width, uint32_t height,
                                      const JpegWriteOptions& options = {});
// Encodes and writes a JPEG file; false (with errno's reason on standard error) on failure.
bool WriteJpegFile(const std::string& path, const unsigned char* rgb, uint32_t width, uint32_t height,
                   const JpegWriteOptions& options = {});
