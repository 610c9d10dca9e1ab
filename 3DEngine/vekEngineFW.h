/* vekEngineFW: the 3D engine's whole public interface.
 *
 * One process-wide framework owns every loaded scene. vekInitFrameWork creates it and
 * vekKill destroys it; no other call may come before the first or after the second.
 * Most calls act on the current scene (the one last loaded, enabled or pre-cached) and
 * do nothing when there is none. Names are zero-terminated 8-bit strings, read during
 * the call and compared exactly (case-sensitive). Flags count by their low byte.
 */
#ifndef VEK_ENGINE_FW_H
#define VEK_ENGINE_FW_H

#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(VEK_ENGINE_BUILD)
#define VEK_API __attribute__((visibility("default")))
#else
#define VEK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- life cycle ---------------------------------------------------------------------- */
VEK_API void* vekInitFrameWork(void);                     /* create the framework; returns it */
VEK_API void vekParseXMLScript(const char* path);         /* read engine3D, import and load scenes */
VEK_API void vekPreCacheAll(void);                        /* render every scene once; first becomes current */
VEK_API bool vekLoadScene(void);                          /* apply the default GL state; loads nothing */
VEK_API void vekKill(void);                               /* destroy the framework and every scene */

/* ---- per frame ------------------------------------------------------------------------- */
VEK_API void vekEnableScene(const char* scene);           /* make a scene current (unknown: keep) */
VEK_API void vekSetActiveCamera(const char* camera);      /* current scene's camera (unknown: keep) */
VEK_API void vekDefineViewRect(float x, float y, float width, float height, float aspect); /* viewport of the next render */
VEK_API void vekRender(void);                             /* draw the current scene */
VEK_API void vekUpdate(void);                             /* advance the current scene at its update rate */

/* ---- animation ------------------------------------------------------------------------- */
VEK_API void vekEnableAnimRegion(const char* region);     /* every controller selects this region */
VEK_API void vekSetFrameSpeed(const char* scene, int framesPerUpdate); /* current scene; name unused */
VEK_API void vekSetFrameHoop(const char* scene, int frames);           /* current scene jumps frames; name unused */

/* ---- cameras and collision -------------------------------------------------------------- */
VEK_API void vekEnableCameraHit(void);                    /* start the active camera's sweep */
VEK_API bool vekCameraCollided(const char* object, float distance); /* a face of object within distance */
VEK_API float vekGetObjectDistance(const char* object);   /* mean hit value of the object's faces */
VEK_API void vekSetCameraSphere(const char* scene, const char* camera, float radius); /* collision distance */
VEK_API void vekWalltest(const char* scene, const char* camera, int flag);     /* wall-test switch */
VEK_API void vekEnableThing(const char* scene, const char* camera, int flag);  /* same as vekWalltest */
VEK_API void vekGravity(const char* scene, const char* camera, int flag);      /* gravity switch (stored only) */

/* ---- objects, materials, lights ---------------------------------------------------------- */
/* What vekGetThingType answers for a name. */
enum VekThingType {
    VEK_THING_NONE = 0,
    VEK_THING_SCENE = 1,
    VEK_THING_CAMERA = 2,
    VEK_THING_EMITTER = 4,
    VEK_THING_CONTROLLER = 5,
    VEK_THING_OMNI_LIGHT = 6
};
VEK_API int vekGetThingType(const char* name);            /* a VekThingType */
VEK_API void vekEnableEmitter(const char* object, int flag); /* particle emitter running switch */
VEK_API void vekSetMaterialAttr(const char* material, int flag, int unused); /* top-level material's wire switch */
VEK_API void vekSetLightProps(const char* scene, const char* light, float glowSize, float* ambient,
                              float* diffuse, float* specular, float attenuation); /* omni light colours (RGBA) */

#ifdef __cplusplus
}
#endif

#endif /* VEK_ENGINE_FW_H */
