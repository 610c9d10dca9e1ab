// A scene's preparation, its render and update cycles and the small operations the
// engine calls make on it. The order of every step is fixed: see the comments.
#include "VEK_Camera.h"
#include "VEK_Collision.h"
#include "VEK_FrameTimer.h"
#include "VEK_Flares.h"
#include "VEK_Font.h"
#include "VEK_Lights.h"
#include "VEK_Scene.h"
#include "VEK_SceneDraw.h"
#include "VEK_Transparency.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <string>

namespace {
constexpr double kProjectionAspect = 1.33333;   // whatever the view rectangle is

// Counts from the scene file's header, the last update's rate and collision load.
OverlayStats StatisticsOf(const Scene& scene)
{
    OverlayStats stats;
    stats.fpsShown = scene.fpsShown;
    stats.objectCount = scene.loader.objectCount;
    stats.faceTotal = scene.loader.faceTotal;
    stats.cpuPolyLoad = scene.cpuPolyLoad;
    stats.lightCount = scene.loader.lightCount;
    stats.materialCount = scene.loader.materialCount;
    return stats;
}
}  // namespace

void Scene::prepareRecords()
{
    cpuPolyLoad = 0;
    activeCamera = cameras.atAs<Camera>(0);
    for (OmniLight* light : omniLights.each<OmniLight>())
        setGlowSizes(*light, activeCamera ? activeCamera->distance : 0.0f);
    BindObjectMaterials(*this);
}

void Scene::prepare()
{
    prepareRecords();
    // The textures depend on nothing the record steps set.
    CreateSceneGlowTextures(*this);
    UploadSceneTextures(*this);
}

void Scene::render()
{
    Camera* drawn = CameraToUse(*this);
    if (!drawn) return;
    Camera& camera = *drawn;
    glPushMatrix();
    glViewport(GLint(camera.viewport[0]), GLint(camera.viewport[1]), GLsizei(camera.viewport[2]),
               GLsizei(camera.viewport[3]));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(camera.fov, kProjectionAspect, near, far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetView(camera);
    for (OmniLight* light : omniLights.each<OmniLight>()) setGLLight(*light);
    DrawSceneObjects(*this, camera.eye);   // bump light vectors, the object, its eye distance
    resortTransparent(*this);
    for (OmniLight* light : omniLights.each<OmniLight>()) {
        drawGlow(*light);
        drawFlares(*light, camera.eye, camera.target);
    }
    glPopMatrix();
    if (showFps && font) drawStatistics(*font, StatisticsOf(*this));
}

void Scene::update()
{
    if (!FrameTimerCheck(updateRate, fpsShown)) return;
    if (activeCamera)
        for (OmniLight* light : omniLights.each<OmniLight>())
            updateLight(*light, activeCamera->eye, activeCamera->target);
    for (AnimController* controller : controllers.each<AnimController>()) controller->step();
    cpuPolyLoad = 0;
    if (!activeCamera) return;
    UpdateCamera(*activeCamera);
    CollideWithScene(*activeCamera, *this);   // only with the camera's wall test on
}

void Scene::setActiveCamera(const std::string& cameraName)
{
    if (Camera* camera = findCamera(cameraName)) activeCamera = camera;
}

void Scene::defineViewRect(float x, float y, float width, float height, float viewAspect)
{
    if (!activeCamera) return;
    activeCamera->viewport[0] = x;
    activeCamera->viewport[1] = y;
    activeCamera->viewport[2] = width;
    activeCamera->viewport[3] = height;
    activeCamera->aspect = viewAspect;
}

void Scene::enableCameraHit()
{
    if (activeCamera) EnableCameraHit(*activeCamera);
}

void Scene::setFrameSpeed(std::int32_t framesPerUpdate)
{
    for (AnimController* controller : controllers.each<AnimController>()) controller->frameStep = framesPerUpdate;
}

void Scene::frameHoop(std::int32_t frames)
{
    for (AnimController* controller : controllers.each<AnimController>()) controller->jump(frames);
}

void Scene::enableAnimRegion(const std::string& regionName)
{
    for (AnimController* controller : controllers.each<AnimController>()) controller->selectRegion(regionName);
}
