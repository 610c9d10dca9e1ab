// The GL state the 3D renderer shares between its files: the multitexture entry points
// (looked up through the platform layer), texture-unit selection, per-unit texture
// coordinates and the blend and texture-environment tables of the materials.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

namespace rgl {

// The two multitexture entry points, shared by every scene. Null until LookUpMultitexture
// found them.
struct MultitextureApi {
    PFNGLACTIVETEXTUREARBPROC activeTexture = nullptr;
    PFNGLMULTITEXCOORD2FARBPROC multiTexCoord2f = nullptr;
};
MultitextureApi& Multitexture();
// True when both entry points are there and not switched off for a test.
bool HasMultitexture();
// Lets a test play a driver without multitexture entry points.
void SetMultitextureDisabled(bool disabled);

// Makes texture unit 0 or 1 the active one. Without multitexture only unit 0 exists:
// selecting unit 1 then returns false and changes nothing, so callers skip the unit's work.
bool SelectTextureUnit(int unit);
// The unit selected last (0 after start-up and without multitexture).
int ActiveTextureUnit();
// Texture coordinates for one unit; unit 1 is dropped without multitexture, unit 0 then
// goes through glTexCoord2f.
void TexCoord(int unit, float u, float v);

// glBlendFunc by the materials' blend table (0 .. 6); another index leaves it as it is.
void SetBlendByIndex(std::uint8_t index);
// The blend table's factors; false for an index outside it.
bool BlendFactors(std::uint8_t index, GLenum& source, GLenum& destination);
// The texture environment of the active unit by the combine table (0 .. 4); another index
// leaves it as it is.
void SetCombineByIndex(std::uint8_t index);

// Sphere-map generation for S and T on or off, on the active unit.
void SetSphereMap(bool on);
// Texture generation on S and T enabled or disabled, leaving the generation mode alone.
void SetTexGen(bool on);
void SetTextureEnv(GLint mode);
void SetEnabled(GLenum capability, bool on);

}  // namespace rgl
