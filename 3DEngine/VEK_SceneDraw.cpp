#include "VEK_SceneDraw.h"

#include "VEK_MeshDraw.h"
#include "VEK_Scene.h"
#include "VEK_Textures.h"

namespace {
constexpr char kBumpLight[] = "Omni01";

// An emitter is drawn around its object's matrices, then advanced: once per drawn frame.
void DrawAndAdvanceEmitter(SceneObject& object)
{
    object.emitter.Draw();
    object.emitter.Update();
}
}  // namespace

void InstallRendererHooks()
{
    InstallRecordGLHooks();
    SetEmitterDrawer(DrawAndAdvanceEmitter);
}

void CreateSceneGlowTextures(Scene& scene)
{
    for (OmniLight* light : scene.omniLights.each<OmniLight>()) CreateGlowTextures(*light);
}

void BindObjectMaterials(Scene& scene)
{
    for (SceneObject* object : scene.objects.each<SceneObject>()) {
        for (Material* material : scene.materials.each<Material>()) {
            if (material->index != object->materialRef) continue;
            object->material = material;
            object->multiMaterial = material->hasSubMaterials;
            break;
        }
    }
}

void UploadSceneTextures(Scene& scene)
{
    for (Material* material : scene.materials.each<Material>()) UploadMaterialTexture(*material);
}

void DrawSceneObjects(Scene& scene, const Vector3& eye)
{
    const OmniLight* bumpLight = scene.findOmniLight(kBumpLight);
    for (SceneObject* object : scene.objects.each<SceneObject>()) {
        if (bumpLight && object->material && object->material->bump) UpdateLightVectors(*object, bumpLight->point);
        DrawObject(*object);
        UpdateEyeDistance(*object, eye);
    }
}
