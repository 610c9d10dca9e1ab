// Materials: the per-object GL set-up of every material path (bump, alpha with multipass,
// multipass, single texture), the bump gloss pass, the reset after drawing, and the
// lookups by sub-material id that drawing makes face by face.
#pragma once

#include "VEK_SceneRecords.h"

#include <cstdint>

// The "Runtime Error" boxes of drawing, one bit each in Material::runtimeErrorsShown.
enum RuntimeErrorBox : std::uint8_t {
    kBoxBumpWithoutTexture2 = 1,
    kBoxMultipassWithoutSub = 2,
    kBoxGlossWithoutSub = 4,
    kBoxGlossAlphaWithoutSub = 8,
};

// A face's sub-material id as drawing uses it: ids outside the material's slots, or naming
// an empty slot, become 0 (the material itself).
std::uint32_t UsableId(const Material& material, std::uint32_t id);
// The material answering for an id: the material itself for 0 (and unusable ids).
const Material& ForId(const Material& material, std::uint32_t id);
// Sub-material slot 1 .. 9, or null when the material has no such sub-material.
const Material* SubMaterial(const Material& material, std::uint32_t slot);
// Binds the texture of the id's material on the active unit.
void BindForId(const Material& material, std::uint32_t id);
// Whether sub-material 1 generates sphere-map coordinates (false when it is missing).
bool SubOneIsEnv(const Material& material);

// Whether the material draws with two texture units (false when the driver has one).
bool UsesTwoUnits(const Material& material);

// Shows the box with the material's name once per material; drawing goes on.
void ShowRuntimeErrorOnce(Material& material, RuntimeErrorBox box);

// The GL state an object's material needs before its faces are sent.
void SetupMaterial(Material& material);
// Second pass of a bump material with glossbump: sub-material 2 sphere-mapped on unit 0.
void SetupGloss(Material& material);
// Undoes what set-up and drawing changed (see drawing for what stays on).
void ResetMaterial(const Material& material);
