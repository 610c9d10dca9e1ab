// Mesh drawing: one scene object per call, with its animated transform inside its
// ancestors' frames, its material set-up and every face sent in immediate mode; the
// special kinds (wireframe, impostor, alpha material, particle emitter); and the two
// per-object steps around it, the bump light vectors and the eye distance.
#pragma once

#include "VEK_Math.h"
#include "VEK_SceneRecords.h"

// Draws the object with the modelview matrix as it finds it (the camera view), which it
// leaves unchanged. Disabled objects draw nothing.
void DrawObject(SceneObject& object);

// Encodes, in every vertex colour of a bump object, the direction from the vertex to the
// light (lightPosition in scene coordinates). Reads the camera view from the modelview.
void UpdateLightVectors(SceneObject& object, const Vector3& lightPosition);

// eyeDistance := the smallest squared distance from eye to a drawn vertex, for objects
// whose material is translucent or alpha; other objects keep theirs.
void UpdateEyeDistance(SceneObject& object, const Vector3& eye);

// The position of vertex i as drawn this frame: the morph frame's when one is in use.
Vector3 DrawnPosition(const SceneObject& object, std::uint32_t i);

// Draws a particle emitter object in the frame drawing gives it; without one installed,
// emitters draw nothing.
using EmitterDrawer = void (*)(SceneObject& object);
void SetEmitterDrawer(EmitterDrawer drawer);
