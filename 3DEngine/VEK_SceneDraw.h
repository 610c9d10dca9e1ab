// What the framework's render cycle and the tools call to draw a loaded scene's meshes.
// Every call needs the scene's GL context current.
#pragma once

#include "VEK_Math.h"

class Scene;

// Once per process, before the first scene is loaded: new materials check the GL
// capabilities and decode their texture files from Data/, and drawing an emitter object
// draws and advances its particles.
void InstallRendererHooks();

// Preparation after loading, in this order: the glow textures of every omni light, each
// object bound to the material of its material reference, every material's textures.
void CreateSceneGlowTextures(Scene& scene);
void BindObjectMaterials(Scene& scene);
void UploadSceneTextures(Scene& scene);

// The objects step of a frame, with the camera view on the modelview matrix and the
// lights set: every object in list order gets its bump light vectors (from the omni
// light "Omni01", skipped when the scene has none), is drawn, and has its eye distance
// measured from eye.
void DrawSceneObjects(Scene& scene, const Vector3& eye);
