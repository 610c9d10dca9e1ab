// The active camera: its view and fog every frame, and every engine update its movement:
// animated from its controllers, or free (keyboard walks and strafes on the horizontal
// plane, the mouse turns it), plus the scripted camera-hit sweep added to the eye.
// Input comes from the platform layer: the key table and relative mouse motion.
#pragma once

#include "VEK_SceneRecords.h"

#include <cstdint>

class Scene;

// Once per frame, after the projection is set and the modelview matrix reset, before the
// lights: clears the collided flag, looks from the eye at the target (up is +y) and
// switches the camera's fog on or off. A disabled camera sets nothing.
void SetView(Camera& camera);

// Once per engine update, after the lights and animation controllers have stepped:
// field of view, eye and target from the controllers (a controller without position keys
// leaves the eye or target where it is); for a camera without node keys the
// keyboard (and F11, which toggles input); for a camera without node or target keys the
// mouse; free movement; then the sweep. Afterwards the working copies viewEye and
// viewTarget hold the eye and target the camera will be drawn from, so the collision
// test checks that point.
void UpdateCamera(Camera& camera);

// The camera-hit sweep: builds the two offset tables (x = p sin c, y = q cos c, c growing
// by a little more than pi/256 per entry) and sets the step; the index goes back to 0.
// The playback flags are not touched.
void BuildSweep(Camera& camera, int p, int q, int step);
// Starts the sweep (again): enabled, not done, not reversing; the index stays as it is.
void EnableCameraHit(Camera& camera);

// The camera a scene's render and update cycles use: its active camera. A scene without
// one is neither drawn nor moved: null, and the first time for that scene one message
// names it ("vek Warning!").
Camera* CameraToUse(Scene& scene);

// The mouse pitch accumulated over all cameras, kept within -1 .. 1; 0 at start.
float AccumulatedMousePitch();
void SetAccumulatedMousePitch(float pitch);

// Virtual-key codes the free camera reads.
namespace camerakeys {
inline constexpr int kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
inline constexpr int kW = 'W', kS = 'S', kA = 'A', kD = 'D';
inline constexpr int kF11 = 0x7A;
}  // namespace camerakeys
