// Per-camera fog, switched as each frame's view is set.
#pragma once

#include "VEK_SceneRecords.h"

#include <GL/gl.h>

// The fog mode the engine script's fogosity mode names: 0 linear, 1 exp2, 2 exp.
// Any other value leaves the current mode (returns it unchanged).
GLenum FogModeFromScript(int mode, GLenum current);

// Fog on with the camera's mode, colour, density, start and end, or off when the camera
// has no fog.
void ApplyFog(const Camera& camera);
