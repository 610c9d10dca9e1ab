// The exported calls: a thin facade over the one FrameWork.
//
// Scenes cannot be loaded yet, so there is never a current scene and every call that
// works on one returns at once with its "no scene" result.
#include "vekEngineFW.h"
#include "vekFrameWork.h"

namespace {
FrameWork* theFrameWork = nullptr;

Scene* CurrentScene() { return theFrameWork ? theFrameWork->current : nullptr; }
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

void vekPreCacheAll(void) {}

bool vekLoadScene(void) { return true; }

void vekKill(void)
{
    delete theFrameWork;
    theFrameWork = nullptr;
}

void vekEnableScene(const char*) {}

void vekSetActiveCamera(const char*) { (void)CurrentScene(); }

void vekDefineViewRect(float, float, float, float, float) { (void)CurrentScene(); }

void vekRender(void) { (void)CurrentScene(); }

void vekUpdate(void) { (void)CurrentScene(); }

void vekEnableAnimRegion(const char*) { (void)CurrentScene(); }

void vekSetFrameSpeed(const char*, int) { (void)CurrentScene(); }

void vekSetFrameHoop(const char*, int) { (void)CurrentScene(); }

void vekEnableCameraHit(void) { (void)CurrentScene(); }

bool vekCameraCollided(const char*, float) { return false; }

float vekGetObjectDistance(const char*) { return 0.0f; }

void vekSetCameraSphere(const char*, const char*, float) {}

void vekWalltest(const char*, const char*, int) {}

void vekEnableThing(const char* scene, const char* camera, int flag) { vekWalltest(scene, camera, flag); }

void vekGravity(const char*, const char*, int) {}

int vekGetThingType(const char*) { return 0; }

void vekEnableEmitter(const char*, int) { (void)CurrentScene(); }

void vekSetMaterialAttr(const char*, int, int) { (void)CurrentScene(); }

void vekSetLightProps(const char*, const char*, float, float*, float*, float*, float) {}

}  // extern "C"
