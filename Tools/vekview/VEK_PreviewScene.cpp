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

Camera* MakePreviewCamera(Scene& scene)
{
    SceneBounds bounds = MeasureScene(scene);
    if (bounds.empty) Include(bounds, Vector3(0, 0, 0));
    const Vector3 centre = scale(add(bounds.low, bounds.high), 0.5f);
    const float radius = std::max(magnitude(subtract(bounds.high, bounds.low)) * 0.5f, 0.01f);
    // The bounding sphere fits the vertical field of view with a little margin.
    const float distanceBack = radius * 1.1f / std::sin(kPreviewFov * 0.5f * 3.14159265f / 180.0f);
    const Vector3 direction = normalize(Vector3(0, 0.45f, 1));
    Vector3 eye = add(centre, scale(direction, distanceBack));
    Vector3 target = centre;
    eye.w = target.w = 1.0f;
    auto* camera = new Camera(kPreviewCamera, eye, target, RotationKey{}, kPreviewFov);
    // Walking speed in proportion to the model, so a small one is not left behind at once.
    camera->moveSpeed = camera->strafeSpeed = radius / 40.0f;
    scene.cameras.insert(camera);
    scene.near = std::min(scene.near, std::max((distanceBack - radius) * 0.5f, radius * 0.001f));
    scene.far = std::max(scene.far, (distanceBack + radius) * 2.0f);
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

Camera* ChooseCamera(Scene& scene, const std::string& name, std::string& error)
{
    Camera* camera = nullptr;
    if (!name.empty()) {
        camera = scene.findCamera(name);
        if (!camera) error = "the scene has no camera named \"" + name + "\"";
    } else {
        camera = scene.activeCamera ? scene.activeCamera : MakePreviewCamera(scene);
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
    const bool animated = (camera.hasNodeKeys && camera.nodeController) ||
                          (camera.hasTargetKeys && camera.targetController) ||
                          (camera.hasFovKeys && camera.fovController);
    // A still camera is left alone: its update would read the keyboard and the pointer.
    if (animated) UpdateCamera(camera);
}
