#include "VEK_PreviewScene.h"

#include "VEK_AnimController.h"
#include "VEK_Camera.h"
#include "VEK_Scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr float kPreviewFov = 45.0f;   // degrees
constexpr char kPreviewCamera[] = "vekview camera";
constexpr char kDefaultLight[] = "vekview light";

void Include(SceneBounds& bounds, const Vector3& p)
{
    if (bounds.empty) {
        bounds.low = bounds.high = p;
        bounds.empty = false;
        return;
    }
    bounds.low = Vector3(std::min(bounds.low.x, p.x), std::min(bounds.low.y, p.y), std::min(bounds.low.z, p.z));
    bounds.high = Vector3(std::max(bounds.high.x, p.x), std::max(bounds.high.y, p.y), std::max(bounds.high.z, p.z));
}

// The side a model is seen from: its front (+z), or its flank (+x) when the box is deeper
// than it is wide, so a long model is seen along its length; both from a little above.
Vector3 ViewDirection(const Vector3& size)
{
    return normalize(size.z > size.x ? Vector3(1, 0.55f, 0) : Vector3(0, 0.55f, 1));
}

// How far back from the centre along direction the eye must stand so that every corner
// of the box is inside the field of view (with a small margin); nearest is then the depth
// of the closest corner.
float FramingDistance(const SceneBounds& bounds, const Vector3& direction, float aspect, float& nearest)
{
    const Vector3 centre = scale(add(bounds.low, bounds.high), 0.5f);
    const Vector3 forward = scale(direction, -1.0f);
    const Vector3 right = normalize(cross(forward, Vector3(0, 1, 0)));
    const Vector3 up = cross(right, forward);
    const float tanV = std::tan(kPreviewFov * 0.5f * 3.14159265f / 180.0f) * 0.9f;
    const float tanH = tanV * aspect;
    const float radius = std::max(magnitude(subtract(bounds.high, bounds.low)) * 0.5f, 0.01f);
    float back = radius * 0.1f;
    float closest = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p((corner & 1) ? bounds.high.x : bounds.low.x, (corner & 2) ? bounds.high.y : bounds.low.y,
                        (corner & 4) ? bounds.high.z : bounds.low.z);
        const Vector3 offset = subtract(p, centre);
        const float x = std::abs(dot(offset, right)), y = std::abs(dot(offset, up)), depth = dot(offset, forward);
        back = std::max({back, x / tanH - depth, y / tanV - depth, radius * 0.1f - depth});
        closest = std::min(closest, depth);
    }
    nearest = back + closest;
    return back;
}

Camera* MakePreviewCamera(Scene& scene, float aspect)
{
    SceneBounds bounds = MeasureScene(scene);
    if (bounds.empty) Include(bounds, Vector3(0, 0, 0));
    const Vector3 centre = scale(add(bounds.low, bounds.high), 0.5f);
    const Vector3 size = subtract(bounds.high, bounds.low);
    const float radius = std::max(magnitude(size) * 0.5f, 0.01f);
    const Vector3 direction = ViewDirection(size);
    float nearest = 0;
    const float back = FramingDistance(bounds, direction, aspect, nearest);
    Vector3 eye = add(centre, scale(direction, back));
    Vector3 target = centre;
    eye.w = target.w = 1.0f;
    auto* camera = new Camera(kPreviewCamera, eye, target, RotationKey{}, kPreviewFov);
    // Walking speed in proportion to the model, so a small one is not left behind at once.
    camera->moveSpeed = camera->strafeSpeed = radius / 40.0f;
    scene.cameras.insert(camera);
    scene.near = std::min(scene.near, std::max(nearest * 0.5f, radius * 0.001f));
    scene.far = std::max(scene.far, (back + radius) * 2.0f);
    return camera;
}
}  // namespace

SceneBounds MeasureScene(const Scene& scene)
{
    SceneBounds bounds;
    for (const SceneObject* object : scene.objects.each<SceneObject>())
        for (const MeshVertex& vertex : object->vertices) Include(bounds, vertex.position);
    return bounds;
}

Camera* ChooseCamera(Scene& scene, const std::string& name, float aspect, std::string& error)
{
    Camera* camera = nullptr;
    if (!name.empty()) {
        camera = scene.findCamera(name);
        if (!camera) error = "the scene has no camera named \"" + name + "\"";
    } else {
        // The engine's choice: the front of the camera list.
        camera = scene.cameras.empty() ? MakePreviewCamera(scene, aspect) : scene.cameras.atAs<Camera>(0);
    }
    if (camera) scene.activeCamera = camera;
    return camera;
}

void AddDefaultLight(Scene& scene, const Camera& camera)
{
    if (scene.omniLights.count() > 0 || scene.targetLights.count() > 0) return;
    const float white[3] = {1.0f, 1.0f, 1.0f};
    // Up and to the right of the eye, so faces towards the viewer are lit with some shape.
    const Vector3 offset = subtract(camera.eye, camera.target);
    const float reach = std::max(magnitude(offset), 1.0f);
    Vector3 point = add(camera.eye, Vector3(reach * 0.5f, reach * 0.5f, 0));
    point.w = 1.0f;
    auto* light = new OmniLight(kDefaultLight, white, 0.0f, point, GL_LIGHT0);
    light->glowEnabled = false;
    scene.omniLights.insert(light);
}

void StepToFrame(Scene& scene, Camera& camera, long frames)
{
    for (long i = 0; i < frames; ++i)
        for (AnimController* controller : scene.controllers.each<AnimController>()) controller->step();
    const bool eyeMoves = camera.hasNodeKeys && camera.nodeController && camera.nodeController->hasPosition();
    const bool targetMoves = camera.hasTargetKeys && camera.targetController && camera.targetController->hasPosition();
    // A still camera is left alone: its update would read the keyboard and the pointer.
    if (!eyeMoves && !targetMoves && !(camera.hasFovKeys && camera.fovController)) return;
    UpdateCamera(camera);
}
