// Omni lights as OpenGL lights: their per-update animation and fades, their GL set-up
// each frame, and the depth-buffer probe that tells whether a light is seen.
//
// Order in a scene's cycles: updateLight once per update (before the camera moves);
// setGLLight once per frame after the view is set and before the objects; the probe runs
// inside drawGlow (VEK_Flares.h) after every object has been drawn.
#pragma once

#include "VEK_Math.h"
#include "VEK_SceneRecords.h"

#include <string>

class Scene;

// The glow's limits from a reference distance v: size v / 2 between v / 4 and v, a fifth
// of that range per update; the two quads' angles back to 0 and 150 degrees.
void setGlowSizes(Light& light, float v);

// One update: the position sample, the glow's angles and size, the attenuation of
// modes 1 (distance) and 2 .. 4 with blocklight, and the spot direction. eye and target
// are the active camera's current points.
void updateLight(Light& light, const Vector3& eye, const Vector3& target);

// Enables the light's GL light and sets its spot values, colours, attenuation and
// position (transformed by the current modelview matrix).
void setGLLight(const Light& light);

// The attenuation value setGLLight hands to OpenGL: the blocklight working value while
// blocklight is on, else the base value.
float effectiveAttenuation(const Light& light);

// Projects the light's point with the current matrices and viewport and compares its
// depth with the depth already drawn at that pixel of the current surface (the window or
// a bound framebuffer object). Sets occluded (drawn depth < the light's depth) and
// offscreen (outside the viewport or behind the eye; occluded then keeps its value).
void probeLightVisibility(Light& light);

// The engine call vekSetLightProps: on the scene's omni light of that name, the three
// colours (red, green, blue, alpha each) and the base attenuation, then setGlowSizes
// with glowSize. False when there is no such light (nothing changes).
bool setLightProps(Scene& scene, const std::string& lightName, float glowSize, const float ambient[4],
                   const float diffuse[4], const float specular[4], float attenuation);
