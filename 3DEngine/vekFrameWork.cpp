#include "vekFrameWork.h"

#include "VEK_FileReports.h"
#include "VEK_GLDefaults.h"
#include "VEK_Font.h"
#include "VEK_Scene.h"
#include "VEK_SceneDraw.h"
#include "vekPlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kFontFile = "font.bin";
constexpr const char* kLoadingCaption = "K3D Loading ERROR";

// A scene whose file does not open would vanish from the show without a word; a damaged
// file has said why already.
void ReportUnopenedSceneFile(const std::string& file, const std::string& name)
{
    std::FILE* opened = std::fopen(file.c_str(), "rb");
    if (opened) {
        std::fclose(opened);
        return;
    }
    const std::string text = "vek engine: scene '" + name + "' is not loaded: its scene file " + file +
                             " cannot be opened (" + std::strerror(errno) + ").";
    plat::ShowMessage(kLoadingCaption, text.c_str());
}
}  // namespace

FrameWork::FrameWork()
{
    filereports::Forget();
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
    if (!scene) {
        ReportUnopenedSceneFile(file, name);
        return false;
    }
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
