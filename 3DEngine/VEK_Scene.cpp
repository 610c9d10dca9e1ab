#include "VEK_Scene.h"

Scene::Scene(const std::string& path, const std::string& name, Font* sceneFont)
    : Thing(name), filePath(path), font(sceneFont)
{
    type = kThingScene;
    loader.open(path);
}

bool Scene::readRecords()
{
    const bool complete = loader.readObjects(objects, controllers) && loader.readMaterials(materials) &&
                          loader.readCameras(cameras, controllers) &&
                          loader.readLights(targetLights, omniLights, controllers);
    loader.close();
    return complete;
}

std::unique_ptr<Scene> LoadSceneFile(const std::string& path, const std::string& name, Font* font)
{
    auto scene = std::make_unique<Scene>(path, name, font);
    if (scene->loader.failed || !scene->readRecords()) return nullptr;
    return scene;
}
