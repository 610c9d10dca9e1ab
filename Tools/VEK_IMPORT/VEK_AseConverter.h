// The ASE converter: one ASE text scene in, the bytes of one binary scene file out.
//
// It reads the geometry, materials, cameras and lights of a 3ds Max ASCII export and
// writes them in the scene file's field order; coordinates and angles pass through
// unchanged (the scene loader converts them). Nothing is written to disk here: the
// caller stores the bytes, so a failed conversion never leaves a partial file.
#pragma once

#include "VEK_ImportLog.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aseimport {

struct ConvertOptions {
    std::string inputName;          // shown in messages
    std::string texturePrefix;      // put before bitmap names when textures are embedded
    bool embedTextures = false;     // append each texture file after its bitmap name
    bool consoleMessages = false;   // a message box for every converted object and material
    std::size_t maxOutputBytes = std::size_t(512) << 20;
};

// How far a conversion got: the section last completed.
enum class Stage : std::uint8_t { nothing = 0, objects = 1, materials = 2, cameras = 3, lights = 4 };

struct ConvertResult {
    bool ok = false;
    Stage stage = Stage::nothing;
    std::string caption;                // the failure's message box
    std::string message;
    std::vector<std::uint8_t> bytes;    // the scene file, when ok
};

// Converts the bytes of an ASE file (8-bit or UTF-16 text). Progress goes to log.
ConvertResult ConvertAse(std::string_view fileBytes, const ConvertOptions& options, ImportLog& log);

}  // namespace aseimport
