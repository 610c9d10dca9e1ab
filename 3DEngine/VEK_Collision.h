// The free camera against the scene's geometry: a sphere around the camera's working eye
// tested against every face of an object, pushed back along the face normal on a hit.
#pragma once

#include "VEK_SceneRecords.h"

#include <cstdint>

class Scene;

// Once per update for each object of the active scene, when the camera's wallTest is on.
// The sphere's radius is distance / 1.3. On the first face hit, eye, target and their
// working copies move out along the face normal to the radius and the collided flag is
// set; a camera already collided since its last SetView returns true at once. Every face
// close enough to be looked at gets its hit value and adds 1 to testedFaces (the scene's
// cpuPolyLoad). Faces with a corner index outside the object's vertices are skipped.
bool Collide(Camera& camera, SceneObject& object, std::uint32_t& testedFaces);

// The first face whose hit value is at most limit: its hit value becomes 9999.9 (so it is
// reported once) and the result is true. False when there is none.
bool FaceHit(SceneObject& object, float limit);

// The update cycle's collision step: with the camera's wallTest on, Collide against every
// object of the scene in list order, adding the faces tested to the scene's cpuPolyLoad.
// Nothing when wallTest is off.
void CollideWithScene(Camera& camera, Scene& scene);
