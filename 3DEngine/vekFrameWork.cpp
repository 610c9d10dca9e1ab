#include "vekFrameWork.h"

#include "VEK_GLDefaults.h"
#include "VEK_Font.h"
#include "VEK_Scene.h"
#include "VEK_SceneDraw.h"

namespace {
constexpr const char* kFontFile = "font.bin";
}

FrameWork::FrameWork()
{
    // From here on new materials check the GL capabilities and decode their textures.
    InstallRendererHooks();
    font = new Font(kFontFile);
}

FrameWork::~FrameWork() { delete font; }

Scene* FrameWork::findScene(const std::string& name) const
{
    return scenes.empty() ? nullptr : scenes.findAs<Scene>(name);
}

bool FrameWork::LoadScene(const std::string& file, const std::string& name)
{
    if (findScene(name)) return true;
    std::unique_ptr<Scene> scene = LoadSceneFile(file, name, font);
    if (!scene) return false;
    scene->prepare();
    ApplyDefaultGLState();
    current = scene.get();
    scenes.insert(scene.release());
    return true;
}

void FrameWork::EnableScene(const std::string& name)
{
    Scene* scene = findScene(name);
    if (!scene) return;
    current = scene;
    ApplyDefaultGLState();
    DisableAllLights();
}

void FrameWork::Render()
{
    if (current) current->render();
}

void FrameWork::Update()
{
    if (current) current->update();
}

void FrameWork::PreCacheAll()
{
    for (Scene* scene : scenes.each<Scene>()) {
        scene->render();
        current = scene;
    }
}
