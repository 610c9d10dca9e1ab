// Writing K2D files from loose JPEG files. Stored images are the byte-exact content of
// their files, each followed by the 0xFF pad byte.
//
// Every input is read before the output is touched, so a pack that fails on an input
// leaves an existing output file as it was; one that fails while writing removes the
// partial output.
#pragma once

#include <string>
#include <vector>

namespace k2d {

enum class PackResult {
    ok,
    outputFailed,  // the output could not be created or written
    inputFailed,   // an input JPEG could not be opened or read (index in failedInput)
    badEntry,      // an entry the layout cannot store (see the writer)
};

struct PackStatus {
    PackResult result = PackResult::ok;
    int failedInput = -1;  // index of the input or entry that failed
    bool ok() const { return result == PackResult::ok; }
};

// Layout A: a base image and, when maskPath is given, a mask image.
// Input 0 is the base, input 1 the mask.
PackStatus WriteSkin(const char* outPath, const char* basePath, const char* maskPath);

// Layout B, images in list order. badEntry: more than 255 images (readers take only the
// low byte of the count).
PackStatus WriteSequence(const char* outPath, const std::vector<std::string>& inputs);

// One record of layout C.
struct SlotEntry {
    std::string name;  // at most 55 characters
    int slot = 0;      // 0 to 255
    std::string path;  // the JPEG file
};
// Layout C, records in list order, reserved byte 0. badEntry: a name longer than 55
// characters, a slot outside 0 to 255, or more than 255 records.
PackStatus WriteSlots(const char* outPath, const std::vector<SlotEntry>& entries);

// The system's own packers, as the project script asks for them: they report a failure
// in a message box (caption "XML parser") and return false.
// The skin packer of the player's engine2D reader.
bool PackSkin(const char* outPath, const char* basePath, const char* maskPath);
// The particle-animation packer of the engine script.
bool PackParticleAnimation(const std::vector<std::string>& inputs, const char* outPath);

}  // namespace k2d
