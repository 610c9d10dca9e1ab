// The exported calls: a thin facade over the one FrameWork and its current scene.
#include "VEK_Collision.h"
#include "VEK_GLDefaults.h"
#include "VEK_Lights.h"
#include "VEK_Scene.h"
#include "vekEngineFW.h"
#include "vekFrameWork.h"

#include <GL/gl.h>

namespace {
FrameWork* theFrameWork = nullptr;

Scene* CurrentScene() { return theFrameWork ? theFrameWork->current : nullptr; }
Scene* NamedScene(const char* name) { return theFrameWork && name ? theFrameWork->findScene(name) : nullptr; }
std::string Text(const char* name) { return name ? name : ""; }

Camera* NamedCamera(const char* scene, const char* camera)
{
    Scene* found = NamedScene(scene);
    return found && camera ? found->findCamera(camera) : nullptr;
}
}  // namespace

FrameWork* TheFrameWork() { return theFrameWork; }

extern "C" {

void* vekInitFrameWork(void)
{
    theFrameWork = new FrameWork();
    return theFrameWork;
}

void vekParseXMLScript(const char* path)
{
    if (theFrameWork) theFrameWork->parseScript(path);
}

void vekPreCacheAll(void)
{
    if (theFrameWork) theFrameWork->PreCacheAll();
}

bool vekLoadScene(void)
{
    ApplyDefaultGLState();
    glEnable(0x81FA);   // GL_SEPARATE_SPECULAR_COLOR_EXT
    return true;
}

void vekKill(void)
{
    delete theFrameWork;
    theFrameWork = nullptr;
}

void vekEnableScene(const char* scene)
{
    if (theFrameWork && scene) theFrameWork->EnableScene(scene);
}

void vekSetActiveCamera(const char* camera)
{
    if (Scene* scene = CurrentScene(); scene && camera) scene->setActiveCamera(camera);
}

void vekDefineViewRect(float x, float y, float width, float height, float aspect)
{
    if (Scene* scene = CurrentScene()) scene->defineViewRect(x, y, width, height, aspect);
}

void vekRender(void)
{
    if (theFrameWork) theFrameWork->Render();
}

void vekUpdate(void)
{
    if (theFrameWork) theFrameWork->Update();
}

void vekEnableAnimRegion(const char* region)
{
    if (Scene* scene = CurrentScene()) scene->enableAnimRegion(Text(region));
}

void vekSetFrameSpeed(const char*, int framesPerUpdate)
{
    if (Scene* scene = CurrentScene()) scene->setFrameSpeed(framesPerUpdate);
}

void vekSetFrameHoop(const char*, int frames)
{
    if (Scene* scene = CurrentScene()) scene->frameHoop(frames);
}

void vekEnableCameraHit(void)
{
    if (Scene* scene = CurrentScene()) scene->enableCameraHit();
}

bool vekCameraCollided(const char* object, float distance)
{
    Scene* scene = CurrentScene();
    SceneObject* found = scene && object ? scene->findObject(object) : nullptr;
    return found && FaceHit(*found, distance);
}

float vekGetObjectDistance(const char* object)
{
    Scene* scene = CurrentScene();
    SceneObject* found = scene && object ? scene->findObject(object) : nullptr;
    if (!found || found->faces.empty()) return 0.0f;
    float sum = 0.0f;
    for (const MeshFace& face : found->faces) sum += face.hit;
    return sum / float(found->faces.size());
}

void vekSetCameraSphere(const char* scene, const char* camera, float radius)
{
    if (Camera* found = NamedCamera(scene, camera)) found->distance = radius;
}

void vekWalltest(const char* scene, const char* camera, int flag)
{
    if (Camera* found = NamedCamera(scene, camera)) found->wallTest = (flag & 0xFF) != 0;
}

void vekEnableThing(const char* scene, const char* camera, int flag) { vekWalltest(scene, camera, flag); }

void vekGravity(const char* scene, const char* camera, int flag)
{
    if (Camera* found = NamedCamera(scene, camera)) found->gravity = (flag & 0xFF) != 0;
}

int vekGetThingType(const char* name)
{
    if (!theFrameWork || !name) return VEK_THING_NONE;
    if (theFrameWork->findScene(name)) return VEK_THING_SCENE;
    Scene* scene = CurrentScene();
    if (!scene) return VEK_THING_NONE;
    if (scene->findCamera(name)) return VEK_THING_CAMERA;
    if (scene->findOmniLight(name)) return VEK_THING_OMNI_LIGHT;
    if (scene->findController(name)) return VEK_THING_CONTROLLER;
    if (SceneObject* object = scene->findObject(name); object && object->isEmitter) return VEK_THING_EMITTER;
    return VEK_THING_NONE;
}

void vekEnableEmitter(const char* object, int flag)
{
    Scene* scene = CurrentScene();
    if (SceneObject* found = scene && object ? scene->findObject(object) : nullptr)
        found->emitter.SetRunning((flag & 0xFF) != 0);
}

void vekSetMaterialAttr(const char* material, int flag, int)
{
    Scene* scene = CurrentScene();
    if (Material* found = scene && material ? scene->findMaterial(material) : nullptr)
        found->wire = (flag & 0xFF) != 0;
}

void vekSetLightProps(const char* scene, const char* light, float glowSize, float* ambient, float* diffuse,
                      float* specular, float attenuation)
{
    Scene* found = NamedScene(scene);
    if (!found || !light) return;
    setLightProps(*found, light, glowSize, ambient, diffuse, specular, attenuation);   // null colours stay
}

}  // extern "C"
