#include "SceneFixtures.h"

namespace fixtures {

using scenefile::AxisAngle;
using scenefile::Vec3;

scenefile::ObjectRecord Triangle(const std::string& name, const std::string& parent)
{
    scenefile::ObjectRecord object;
    object.name = name;
    object.parent = parent;
    object.position = {1, 2, 3};
    object.rotationAxis = {0, 0, 1};
    object.rotationAngle = 0.5f;
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    object.faces = {{0, 1, 2, 0}};
    object.textureVertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    object.textureFaces = {{0, 1, 2}};
    object.faceNormals = {{0, 0, 1}};
    object.vertexNormals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    return object;
}

scenefile::MaterialRecord PlainMaterial(std::uint32_t index, const std::string& name, const std::string& bitmap)
{
    scenefile::MaterialRecord material;
    material.index = index;
    material.name = name;
    material.ambient = {0.1f, 0.2f, 0.3f};
    material.diffuse = {0.25f, 0.5f, 0.75f};
    material.specular = {0.9f, 0.9f, 0.9f};
    material.shine = 0.3f;
    material.shineStrength = 0.5f;
    material.transparency = 0.0f;
    material.wireSize = 1.0f;
    material.selfIllumination = 0.2f;
    material.bitmap = bitmap;
    return material;
}

scenefile::MaterialRecord MultiMaterial(std::uint32_t index, const std::string& name, std::size_t subCount)
{
    scenefile::MaterialRecord material = PlainMaterial(index, name, "");
    material.multi = true;
    material.selfIllumination = 0;
    for (std::size_t j = 0; j < subCount; ++j) {
        scenefile::SubMaterialRecord sub;
        sub.name = name + "_sub" + std::to_string(j);
        sub.ambient = {0.5f, 0.5f, 0.5f};
        sub.diffuse = {float(j) / 10, 0, 0};
        sub.specular = {0, 0, 0};
        sub.shineStrength = 0.1f * float(j);
        sub.transparency = 0.5f;
        sub.bitmap = "sub" + std::to_string(j) + ".jpg";
        material.subMaterials.push_back(sub);
    }
    return material;
}

scenefile::CameraRecord StillCamera(const std::string& name)
{
    scenefile::CameraRecord camera;
    camera.name = name;
    camera.position = {0, -100, 20};
    camera.rotationAxis = {1, 0, 0};
    camera.rotationAngle = 1.5f;
    camera.target = {0, 0, 20};
    camera.fieldOfView = 0.7854f;
    return camera;
}

scenefile::LightRecord Omni(const std::string& name)
{
    scenefile::LightRecord light;
    light.name = name;
    light.position = {10, 20, 30};
    light.colour = {0.2f, 0.4f, 0.8f};
    light.intensity = 1.5f;
    return light;
}

scenefile::SceneRecords FullScene()
{
    scenefile::SceneRecords scene;
    scene.header.lastFrame = 3;   // four frames
    scene.header.frameSpeed = 30;
    scene.header.ticksPerFrame = 160;

    scenefile::ObjectRecord animated = Triangle("Animated");
    animated.hasPositionKeys = animated.hasRotationKeys = animated.hasScaleKeys = true;
    animated.positionKeys = {{1, 2, 3}, {2, 2, 3}, {3, 2, 3}, {4, 2, 3}};
    animated.rotationKeys = {{0, 0, 1, 0.0f}, {0, 0, 1, 0.1f}, {0, 0, 1, 0.2f}};
    animated.scaleKeys = {{1, 1, 1}, {2, 3, 4}};
    for (int frame = 0; frame < 4; ++frame)
        animated.morphFrames.push_back({{float(frame), 0, 0}, {1, float(frame), 0}, {0, 1, float(frame)}});
    animated.material = 1;
    scene.objects.push_back(animated);
    scene.objects.push_back(Triangle("Root"));
    scene.objects.push_back(Triangle("Child", "Root"));
    scene.objects.push_back(Triangle("Grandchild", "Child"));

    scene.materials.push_back(PlainMaterial(0, "Plain", "wall.jpg"));
    scene.materials.push_back(MultiMaterial(1, "Multi", 3));

    scenefile::CameraRecord camera = StillCamera("Camera01");
    camera.fovKeys = {0.5f, 0.6f, 0.7f, 0.8f};
    camera.hasNodeKeys = true;
    camera.positionKeys = {{0, -100, 20}, {0, -90, 20}};
    camera.rotationKeys = {{1, 0, 0, 1.5f}, {1, 0, 0, 6.5f}};
    camera.hasTargetKeys = true;
    camera.targetKeys = {{0, 0, 20}, {0, 1, 20}, {0, 2, 20}};
    scene.cameras.push_back(camera);
    scene.cameras.push_back(StillCamera("Camera02"));

    scenefile::LightRecord spot = Omni("Spot01");
    spot.kind = scenefile::LightKind::target;
    spot.target = {1, 2, 3};
    spot.hasPositionKeys = true;
    spot.positionKeys = {{10, 20, 30}, {11, 21, 31}};
    spot.hasTargetKeys = true;
    spot.targetKeys = {{1, 2, 3}};
    scene.lights.push_back(spot);
    scenefile::LightRecord omni = Omni("Omni01");
    omni.hasPositionKeys = true;
    omni.positionKeys = {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}};
    scene.lights.push_back(omni);
    return scene;
}

std::vector<std::uint8_t> Bytes(const scenefile::SceneRecords& scene) { return scenefile::WriteScene(scene); }

}  // namespace fixtures
