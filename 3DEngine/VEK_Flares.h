// What a light draws after the scene's objects: its glow (two rotating additive
// billboards that grow while the light is seen and shrink while it is hidden) and its lens
// flares (eight textured quads on the line from the light through the view centre).
#pragma once

#include "VEK_Math.h"
#include "VEK_SceneRecords.h"

// The lens-flare file every light that asks for flares reads.
inline constexpr const char* kLensFlarePath = "./escena/lens.k2d";

// Reads a layout C K2D file into the light's flare set (12 textures, 128 x 128 images,
// GL_CLAMP, GL_LINEAR) and installs the fixed element table. A missing file shows
// "K2D LensFlare File Not Founde." and leaves the set not loaded; so does a damaged one.
bool loadFlareSet(Light& light, const char* path);

// Runs the visibility probe and draws the two glow quads at the light (nothing when the
// glow is switched off). Leaves GL_FOG off; the next view set-up turns it on again.
void drawGlow(Light& light);

// One flare quad: its centre and corners in world space, texture coordinates (0, 0),
// (1, 0), (1, 1), (0, 1) in corner order.
struct FlareQuad {
    std::int32_t slot = 0;
    Vector3 centre;
    Vector3 corners[4];
};

// The eight quads of the light's flares seen from eye towards target. False (and no
// quads) when the set is not loaded, the light was last found hidden or off the screen,
// or eye, target and light leave the flare line undefined.
bool flareQuads(const Light& light, const Vector3& eye, const Vector3& target, FlareQuad (&quads)[FlareSet::kElements]);

// The factor that moves quads scaled about the eye so that their nearest corner lies a
// quarter beyond the near plane (1 when it already does). Scaling about the eye changes
// nothing on the screen.
float flareDepthScale(const FlareQuad (&quads)[FlareSet::kElements], const Vector3& eye, const Vector3& target,
                      float nearPlane);

// Draws flareQuads additively over the scene, without depth test, moved beyond the near
// plane of the current projection (see flareDepthScale).
void drawFlares(const Light& light, const Vector3& eye, const Vector3& target);
