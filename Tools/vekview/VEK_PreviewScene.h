// What vekview adds to a scene so that any converted model can be looked at: a camera
// framing the model when the file has none, a light when it has none, and the animation
// stepped to the frame asked for.
#pragma once

#include "VEK_Math.h"

#include <string>

class Scene;
class Camera;

struct SceneBounds {
    Vector3 low, high;
    bool empty = true;
};

// The box around every object's vertices as loaded (y up).
SceneBounds MeasureScene(const Scene& scene);

// Picks the camera to look through: the named one, else the scene's first. A scene without
// cameras gets "vekview camera", looking at the box's centre from the front (+z; from +x
// when the box is deeper than wide) and above, just far enough back that every corner of
// the box is in the picture of this aspect (width / height); the scene's near and far
// distances are narrowed to the box so a small model is not clipped. Null (and the reason
// in error) when the named camera does not exist.
Camera* ChooseCamera(Scene& scene, const std::string& name, float aspect, std::string& error);

// A scene without lights gets one white omni light, "vekview light", over the camera's
// shoulder, without glow.
void AddDefaultLight(Scene& scene, const Camera& camera);

// Every controller steps frames times, as that many engine updates would; a camera moved
// by its controllers then takes its eye, target and field of view from them.
void StepToFrame(Scene& scene, Camera& camera, long frames);
