// vekview: one scene file drawn by the engine's render cycle, written as a PNG or flown
// through in a window with the free camera.
#include "VEK_Camera.h"
#include "VEK_Collision.h"
#include "VEK_Flares.h"
#include "VEK_Lights.h"
#include "VEK_PngFile.h"
#include "VEK_PreviewScene.h"
#include "VEK_Scene.h"
#include "VEK_SceneDraw.h"
#include "VEK_Transparency.h"
#include "VEK_ViewOptions.h"
#include "vekPlatform.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace {
namespace fs = std::filesystem;

constexpr int kRendered = 0;
constexpr int kNotLoaded = 1;
constexpr int kEscapeKey = 0x1B;

// The last message the engine showed, to name why a scene did not load.
void RememberMessage(const char*, const char* text, void* user) { *static_cast<std::string*>(user) = text; }

// Textures are read from Data/ under the working folder: the scene's own folder when it
// has Data/, else its parent (a show keeps scenes in escena/ beside Data/).
void EnterDataFolder(const fs::path& scene)
{
    const fs::path folder = scene.parent_path();
    std::error_code ignored;
    const fs::path root = fs::is_directory(folder / "Data", ignored) || !fs::is_directory(folder.parent_path() / "Data", ignored)
                              ? folder
                              : folder.parent_path();
    fs::current_path(root, ignored);
}

void ApplyDefaultGLState()
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.2);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

// Load-time preparation in the engine's order, after the camera and light are settled.
// A model converted on its own has no engine files beside it: its lights then go without
// glow (one note) rather than drawing white squares over the model.
void PrepareScene(Scene& scene, const Camera& camera)
{
    std::error_code ignored;
    if (fs::is_regular_file("Data/raw1.bin", ignored) && fs::is_regular_file("Data/raw2.bin", ignored)) {
        CreateSceneGlowTextures(scene);
    } else {
        for (OmniLight* light : scene.omniLights.each<OmniLight>()) light->glowEnabled = false;
        if (!scene.omniLights.empty()) std::fprintf(stderr, "vekview: no Data/raw1.bin and Data/raw2.bin here: lights drawn without glow\n");
    }
    for (OmniLight* light : scene.omniLights.each<OmniLight>()) setGlowSizes(*light, camera.distance);
    BindObjectMaterials(scene);
    UploadSceneTextures(scene);
    partitionTransparent(scene);
}

// The render cycle, with the picture's own aspect so a preview is not stretched.
void RenderFrame(Scene& scene, Camera& camera, int width, int height)
{
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(camera.fov, double(width) / double(height), scene.near, scene.far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetView(camera);
    for (OmniLight* light : scene.omniLights.each<OmniLight>()) setGLLight(*light);
    DrawSceneObjects(scene, camera.eye);
    resortTransparent(scene);
    for (OmniLight* light : scene.omniLights.each<OmniLight>()) drawGlow(*light);
    glPopMatrix();
}

// One engine update: lights, controllers, the free camera, its collision with the walls.
void UpdateScene(Scene& scene, Camera& camera)
{
    for (OmniLight* light : scene.omniLights.each<OmniLight>()) updateLight(*light, camera.eye, camera.target);
    for (AnimController* controller : scene.controllers.each<AnimController>()) controller->step();
    scene.cpuPolyLoad = 0;
    UpdateCamera(camera);
    if (camera.wallTest) CollideWithScene(camera, scene);
}

int WritePicture(const ViewOptions& options, const fs::path& outPath)
{
    std::vector<unsigned char> rgb(std::size_t(options.width) * std::size_t(options.height) * 3);
    glFinish();
    glReadPixels(0, 0, options.width, options.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::string error;
    if (!WriteBottomUpPng(outPath.string(), rgb.data(), options.width, options.height, error)) {
        std::fprintf(stderr, "vekview: %s\n", error.c_str());
        return kNotLoaded;
    }
    std::printf("vekview: wrote %s (%dx%d)\n", outPath.string().c_str(), options.width, options.height);
    return kRendered;
}

// Flies the free camera at the scene's update rate until Escape or the window closes.
void FlyThrough(Scene& scene, Camera& camera, const ViewOptions& options)
{
    const double interval = 1000.0 / double(scene.updateRate > 0 ? scene.updateRate : 35.0f);
    double nextUpdate = plat::TickCount();
    for (;;) {
        for (plat::Message m; (m = plat::PollMessage()) != plat::Message::none;)
            if (m == plat::Message::quit) return;
        if (plat::KeyTable()[kEscapeKey]) return;
        for (int caught = 0; plat::TickCount() >= nextUpdate && caught < 8; ++caught) {
            UpdateScene(scene, camera);
            nextUpdate += interval;
        }
        if (plat::TickCount() >= nextUpdate) nextUpdate = plat::TickCount();
        int width = options.width, height = options.height;
        plat::WindowSize(width, height);
        RenderFrame(scene, camera, width > 0 ? width : options.width, height > 0 ? height : options.height);
        plat::SwapWindow();
        plat::Sleep(1);
    }
}

int Run(const ViewOptions& options)
{
    std::error_code ignored;
    const fs::path scenePath = fs::absolute(options.scenePath, ignored);
    const fs::path outPath = fs::absolute(options.outPath, ignored);
    if (!fs::is_regular_file(scenePath, ignored)) {
        std::fprintf(stderr, "vekview: cannot load %s: no such file\n", options.scenePath.c_str());
        return kNotLoaded;
    }
    bool freeCamera = options.freeCamera;
    // A picture needs no window on screen.
    if (!freeCamera) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    plat::SetBatchMode(!freeCamera);
    if (!plat::Init()) {
        std::fprintf(stderr, "vekview: no video available\n");
        return kNotLoaded;
    }
    if (freeCamera && std::string(plat::VideoDriverName()) == "offscreen") {
        std::fprintf(stderr, "vekview: --free needs a display; writing the picture instead\n");
        freeCamera = false;
        plat::SetBatchMode(true);
    }
    if (plat::OpenWindow("vekview", options.width, options.height, 32, false) != plat::WindowResult::ok) {
        std::fprintf(stderr, "vekview: cannot open an OpenGL window\n");
        plat::Quit();
        return kNotLoaded;
    }
    ApplyDefaultGLState();
    InstallRendererHooks();
    EnterDataFolder(scenePath);

    std::string lastMessage;
    plat::SetMessageHook(RememberMessage, &lastMessage);
    std::unique_ptr<Scene> scene = LoadSceneFile(scenePath.string(), "vekview");
    plat::SetMessageHook(nullptr, nullptr);
    int status = kRendered;
    std::string error;
    Camera* camera = nullptr;
    if (!scene) {
        error = "the file is damaged" + (lastMessage.empty() ? std::string() : " (" + lastMessage + ")");
    } else {
        camera = ChooseCamera(*scene, options.cameraName, float(options.width) / float(options.height), error);
    }
    if (!camera) {
        std::fprintf(stderr, "vekview: cannot load %s: %s\n", options.scenePath.c_str(), error.c_str());
        status = kNotLoaded;
    } else {
        AddDefaultLight(*scene, *camera);
        PrepareScene(*scene, *camera);
        StepToFrame(*scene, *camera, options.frame);
        for (OmniLight* light : scene->omniLights.each<OmniLight>()) updateLight(*light, camera->eye, camera->target);
        if (freeCamera) {
            FlyThrough(*scene, *camera, options);
            plat::ReleasePointer();
        } else {
            RenderFrame(*scene, *camera, options.width, options.height);
            status = WritePicture(options, outPath);
        }
    }
    scene.reset();
    plat::CloseWindow();
    plat::Quit();
    return status;
}
}  // namespace

int main(int argc, char** argv)
{
    ViewOptions options;
    std::string error;
    if (!ParseViewOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vekview: %s\n%s", error.c_str(), ViewUsage());
        return kBadArguments;
    }
    if (options.help) {
        std::fputs(ViewUsage(), stdout);
        return kRendered;
    }
    return Run(options);
}
