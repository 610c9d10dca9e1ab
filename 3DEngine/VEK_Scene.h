// Scene: one loaded scene file and every record in it, owned through its lists.
#pragma once

#include "VEK_SceneLoader.h"
#include "VEK_SceneRecords.h"
#include "VEK_Thing.h"

#include <cstdint>
#include <memory>
#include <string>

class Font;   // the framework's bitmap font; scenes only refer to it

class Scene : public Thing {
public:
    // Opens the scene file and reads its header; loader.failed tells whether it did.
    Scene(const std::string& path, const std::string& name, Font* font = nullptr);

    // Reads the objects, materials, cameras and lights in file order and releases the file.
    // False when the file did not open or was damaged: the scene is then to be discarded.
    bool readRecords();

    Camera* findCamera(const std::string& name) const { return cameras.findAs<Camera>(name); }
    OmniLight* findOmniLight(const std::string& name) const { return omniLights.findAs<OmniLight>(name); }
    AnimController* findController(const std::string& name) const { return controllers.findAs<AnimController>(name); }
    SceneObject* findObject(const std::string& name) const { return objects.findAs<SceneObject>(name); }
    Material* findMaterial(const std::string& name) const { return materials.findAs<Material>(name); }

    // Preparation after reading (VEK_SceneCycles.cpp): the first camera becomes active,
    // lights get their glow textures and sizes, objects their materials, materials their
    // textures.
    void prepare();
    // The part of the preparation that needs no GL context (everything but the textures),
    // for tools that inspect a scene as the engine sets it up.
    void prepareRecords();
    // One frame: view, lights, every object, transparency re-sort, glows and flares, overlay.
    void render();
    // One update, when the frame timer allows it: lights, animation, camera, collision.
    void update();

    void setActiveCamera(const std::string& name);
    void defineViewRect(float x, float y, float width, float height, float viewAspect);
    void enableCameraHit();
    void setFrameSpeed(std::int32_t framesPerUpdate);
    void frameHoop(std::int32_t frames);
    void enableAnimRegion(const std::string& name);

    SceneLoader loader;
    bool showFps = true;
    float far = 67535.0f;            // clipping distances
    float near = 2.75f;
    ThingList objects;               // SceneObject
    ThingList cameras;               // Camera
    ThingList targetLights;          // TargetLight
    ThingList omniLights;            // OmniLight
    ThingList materials;             // Material, top level only
    ThingList controllers;           // AnimController, each once
    Camera* activeCamera = nullptr;
    float fpsShown = 0;              // updates counted in the last second
    std::uint32_t cpuPolyLoad = 0;   // faces the camera collision tested in the last update
    std::uint32_t firstTransparent = 0;   // list position of the first transparent object
    std::string filePath;
    Font* font;
    float updateRate = 35.0f;        // updates per second
};

// Constructs a scene and reads it; null when the file did not open or was damaged.
std::unique_ptr<Scene> LoadSceneFile(const std::string& path, const std::string& name, Font* font = nullptr);
