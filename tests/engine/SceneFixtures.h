// Small scene records for tests, written with the scene file writer.
#pragma once

#include "VEK_SceneFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

// A one-triangle mesh with three texture vertices, no tracks.
scenefile::ObjectRecord Triangle(const std::string& name, const std::string& parent = "");
scenefile::MaterialRecord PlainMaterial(std::uint32_t index, const std::string& name, const std::string& bitmap);
// A multi-material whose sub-materials are named "<name>_sub<j>" with bitmaps "sub<j>.jpg".
scenefile::MaterialRecord MultiMaterial(std::uint32_t index, const std::string& name, std::size_t subCount);
scenefile::CameraRecord StillCamera(const std::string& name);
scenefile::LightRecord Omni(const std::string& name);

// Every record kind and every optional block: an object with all three key tracks and
// morph frames, parents three deep, plain and multi-materials, a camera with FOV, node and
// target keys, a target light with both key blocks and an omni light with position keys.
scenefile::SceneRecords FullScene();

std::vector<std::uint8_t> Bytes(const scenefile::SceneRecords& scene);

}  // namespace fixtures
