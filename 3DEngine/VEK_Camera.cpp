#include "VEK_Camera.h"

#include "VEK_Fog.h"
#include "VEK_Scene.h"
#include "vekPlatform.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// Shared by every camera for the life of the process.
float accumulatedPitch = 0.0f;

// Per sweep entry: a little more than pi / 256, so 256 entries cover just under half a turn.
constexpr float kSweepAngleStep = 0.012272186953125f;
constexpr float kPitchLimit = 1.0f;
constexpr float kMouseRadiansPerPixel = 1.0f / 500.0f;

bool KeyDown(const unsigned char* keys, int virtualKey) { return keys[virtualKey] != 0; }

// F11 toggles input once per press; the arrows and WASD set this update's step. Later
// rows win: Down over Up, Right over Left.
void ReadKeyboard(Camera& camera)
{
    const unsigned char* keys = plat::KeyTable();
    using namespace camerakeys;
    const bool f11 = KeyDown(keys, kF11);
    if (f11 && !camera.f11Held) {
        camera.inputEnabled = !camera.inputEnabled;
        if (!camera.inputEnabled) plat::ReleasePointer();
    }
    camera.f11Held = f11;

    camera.keyMoved = false;
    if (!camera.inputEnabled) return;
    const float speed = camera.halfDistance;
    if (KeyDown(keys, kUp) || KeyDown(keys, kW)) {
        camera.moveSpeed = speed;
        camera.moveFlag = camera.keyMoved = true;
    }
    if (KeyDown(keys, kDown) || KeyDown(keys, kS)) {
        camera.moveSpeed = -speed;
        camera.moveFlag = camera.keyMoved = true;
    }
    if (KeyDown(keys, kLeft) || KeyDown(keys, kA)) {
        camera.strafeSpeed = -speed;
        camera.strafeFlag = camera.keyMoved = true;
    }
    if (KeyDown(keys, kRight) || KeyDown(keys, kD)) {
        camera.strafeSpeed = speed;
        camera.strafeFlag = camera.keyMoved = true;
    }
}

// Motion to the left or up turns left or up. A movement that would take the accumulated
// pitch past its limit is dropped whole, yaw included.
void ReadMouse(Camera& camera)
{
    camera.mouseMoved = false;
    if (!camera.inputEnabled) return;
    int dx = 0, dy = 0;
    plat::RelativeMouseMotion(dx, dy);
    if (dx == 0 && dy == 0) return;
    camera.yawAngle = float(-dx) * kMouseRadiansPerPixel;
    camera.pitchAngle = float(-dy) * kMouseRadiansPerPixel;
    accumulatedPitch -= camera.pitchAngle;
    if (accumulatedPitch > kPitchLimit) {
        accumulatedPitch = kPitchLimit;
    } else if (accumulatedPitch < -kPitchLimit) {
        accumulatedPitch = -kPitchLimit;
    } else {
        camera.mouseMoved = true;
    }
}

// Turns the view direction about a unit axis through the eye.
void RotateView(Camera& camera, float angle, const Vector3& axis)
{
    const Vector3 v = subtract(camera.viewTarget, camera.viewEye);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    const float x = axis.x, y = axis.y, z = axis.z;
    const Vector3 turned((c + t * x * x) * v.x + (t * x * y - z * s) * v.y + (t * x * z + y * s) * v.z,
                         (t * x * y + z * s) * v.x + (c + t * y * y) * v.y + (t * y * z - x * s) * v.z,
                         (t * x * z - y * s) * v.x + (t * y * z + x * s) * v.y + (c + t * z * z) * v.z);
    camera.viewTarget = add(camera.viewEye, turned);
}

// Moves eye and target together on the horizontal plane: heights never change by keys.
void StepHorizontally(Camera& camera, const Vector3& direction, float amount)
{
    camera.viewEye.x += direction.x * amount;
    camera.viewEye.z += direction.z * amount;
    camera.viewTarget.x += direction.x * amount;
    camera.viewTarget.z += direction.z * amount;
}

void MoveFreely(Camera& camera)
{
    const Vector3 up(0, 1, 0);
    camera.viewTarget = camera.target;
    camera.viewEye = camera.eye;
    camera.viewUp = up;
    const Vector3 side = normalize(cross(subtract(camera.viewTarget, camera.viewEye), camera.viewUp));
    if (camera.mouseMoved) {
        RotateView(camera, camera.pitchAngle, side);
        RotateView(camera, camera.yawAngle, up);
        camera.mouseMoved = false;
    }
    if (camera.moveFlag) {
        StepHorizontally(camera, normalize(subtract(camera.viewTarget, camera.viewEye)), camera.moveSpeed);
        camera.moveFlag = false;
    }
    if (camera.strafeFlag) {
        StepHorizontally(camera, side, camera.strafeSpeed);
        camera.strafeFlag = false;
    }
    camera.eye.setPoint(camera.viewEye.x, camera.viewEye.y, camera.viewEye.z);
    camera.target.setPoint(camera.viewTarget.x, camera.viewTarget.y, camera.viewTarget.z);
}

// One entry per update: forward by the step to the last entry, which is applied once more
// backwards, then back to entry 0, which ends the run applied twice. The index never
// leaves the tables; a step that cannot advance ends the run at once without moving.
void PlaySweep(Camera& camera)
{
    CameraSweep& sweep = camera.sweep;
    if (sweep.done) return;
    if (sweep.step <= 0) {
        sweep.done = true;
        return;
    }
    if (!sweep.reversing) {
        sweep.index += sweep.step;
        if (sweep.index > 255) {
            sweep.index = 255;
            sweep.reversing = true;
        }
    } else {
        sweep.index -= sweep.step;
    }
    if (sweep.reversing && sweep.index < 0) {
        sweep.done = true;
        sweep.index = 0;
    }
    const float sign = sweep.reversing ? -1.0f : 1.0f;
    camera.eye.x += sign * sweep.offsetX[sweep.index];
    camera.eye.y += sign * sweep.offsetY[sweep.index];
}

// A node controller without position keys (a camera that only rolls or turns in place)
// has no eye to give: the eye stays where the file put it.
void AnimateNode(Camera& camera)
{
    AnimController& node = *camera.nodeController;
    if (node.hasPosition()) {
        const Vector3& position = node.position();
        camera.eye.setPoint(position.x, position.y, position.z);
    }
    const RotationKey rotation = node.rotation();
    camera.rotation = {std::abs(std::trunc(rotation.x)), std::abs(std::trunc(rotation.y)),
                       std::abs(std::trunc(rotation.z)), rotation.angle};
}
}  // namespace

void SetView(Camera& camera)
{
    if (!camera.enabled) return;
    camera.collidedFlag = false;
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.target.x, camera.target.y, camera.target.z, 0, 1, 0);
    ApplyFog(camera);
}

void UpdateCamera(Camera& camera)
{
    if (camera.hasFovKeys && camera.fovController) camera.fov = camera.fovController->fov();
    const bool animatedEye = camera.hasNodeKeys && camera.nodeController;
    const bool animatedTarget = camera.hasTargetKeys && camera.targetController;
    if (!animatedEye)
        ReadKeyboard(camera);
    else if (camera.nodeController->enabled)
        AnimateNode(camera);

    if (!animatedEye && !animatedTarget)
        ReadMouse(camera);
    else if (animatedTarget && camera.targetController->hasPosition()) {   // no keys: the target stays
        const Vector3& position = camera.targetController->position();
        camera.target.setPoint(position.x, position.y, position.z);
    }

    if ((camera.keyMoved || camera.mouseMoved) && !animatedTarget) MoveFreely(camera);
    if (camera.sweep.built && camera.sweep.enabled) PlaySweep(camera);

    camera.viewEye = camera.eye;
    camera.viewTarget = camera.target;
}

void BuildSweep(Camera& camera, int p, int q, int step)
{
    CameraSweep& sweep = camera.sweep;
    sweep.built = true;
    sweep.step = step;
    sweep.index = 0;
    float c = 0.0f;
    for (int i = 0; i < 256; ++i) {
        sweep.offsetX[i] = std::sin(c) * float(p);
        sweep.offsetY[i] = std::cos(c) * float(q);
        c += kSweepAngleStep;
    }
}

void EnableCameraHit(Camera& camera)
{
    camera.sweep.enabled = true;
    camera.sweep.done = false;
    camera.sweep.reversing = false;
}

Camera* CameraToUse(Scene& scene)
{
    if (scene.activeCamera) return scene.activeCamera;
    // Names, not pointers: a scene loaded again under its name is not reported again.
    static std::vector<std::string> reported;
    if (std::find(reported.begin(), reported.end(), scene.name) == reported.end()) {
        reported.push_back(scene.name);
        const std::string text = "Scene '" + scene.name + "' has no camera: it is not drawn.";
        plat::ShowMessage("vek Warning!", text.c_str());
    }
    return nullptr;
}

float AccumulatedMousePitch() { return accumulatedPitch; }

void SetAccumulatedMousePitch(float pitch) { accumulatedPitch = pitch; }
