// The scene loader: records from a file, the conversions, "Loader.LOG", damaged files.
#include "SceneFixtures.h"
#include "TempDir.h"
#include "VEK_Scene.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using scenefile::SceneRecords;

namespace {

struct Message {
    std::string caption, text;
};

// Each test works in its own folder (the loader writes "Loader.LOG" to the working
// directory) with the virtual clock, so logged times are repeatable, and collects the
// messages shown.
class SceneLoading : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::UseVirtualClock(true);
        plat::SetMessageHook(
            [](const char* caption, const char* text, void* user) {
                static_cast<std::vector<Message>*>(user)->push_back({caption, text});
            },
            &messages);
    }
    void TearDown() override
    {
        plat::SetMessageHook(nullptr, nullptr);
        plat::UseVirtualClock(false);
    }

    std::unique_ptr<Scene> Load(const SceneRecords& records, const std::string& file = "scene.bin")
    {
        return LoadBytes(fixtures::Bytes(records), file);
    }
    std::unique_ptr<Scene> LoadBytes(const std::vector<std::uint8_t>& bytes, const std::string& file = "scene.bin")
    {
        folder.write(file, std::string(bytes.begin(), bytes.end()));
        return LoadSceneFile(file, "test");
    }
    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::istringstream log(folder.read("Loader.LOG"));
        for (std::string line; std::getline(log, line);) lines.push_back(line);
        return lines;
    }

    TempDir folder;
    ScopedChdir into{folder.path()};
    std::vector<Message> messages;
};

void ExpectVector(const Vector3& actual, float x, float y, float z, const char* what)
{
    EXPECT_NEAR(actual.x, x, 1e-4) << what;
    EXPECT_NEAR(actual.y, y, 1e-4) << what;
    EXPECT_NEAR(actual.z, z, 1e-4) << what;
}

constexpr float kDegreesPerRadian = 180.0f / 3.1415927f;

}  // namespace

TEST_F(SceneLoading, EmptySceneLoadsAndLogsEverySection)
{
    SceneRecords empty;
    empty.header.lastFrame = 9;
    auto scene = Load(empty);
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->type, kThingScene);
    EXPECT_EQ(scene->loader.frameCount, 10u);
    EXPECT_EQ(scene->loader.lastFrameCopy, 9u);
    EXPECT_TRUE(scene->objects.empty() && scene->cameras.empty() && scene->materials.empty());
    const std::vector<std::string> expected = {"",
                                               "----Opened Scene File scene.bin",
                                               "**** Processing Objects",
                                               "Loaded Objects in 0.000 seconds",
                                               "",
                                               "**** Processing Materials ",
                                               "Loaded Materials in 0.000 seconds",
                                               "",
                                               "**** Processing Cameras",
                                               "Loaded Cameras in 0.000 seconds",
                                               "",
                                               "**** Processing Lights",
                                               "Loaded Lights in 0.000 seconds",
                                               "",
                                               "Loaded Scene in 0.000 seconds"};
    EXPECT_EQ(LogLines(), expected);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SceneLoading, SmallSceneLogsRecordsParentsAndTheAncestorChain)
{
    SceneRecords records;
    records.objects = {fixtures::Triangle("A"), fixtures::Triangle("B", "A"), fixtures::Triangle("C", "B")};
    records.materials = {fixtures::PlainMaterial(0, "M", "m.jpg")};
    records.cameras = {fixtures::StillCamera("Cam")};
    records.lights = {fixtures::Omni("L")};
    auto scene = Load(records);
    ASSERT_TRUE(scene);
    const std::vector<std::string> expected = {"",
                                               "----Opened Scene File scene.bin",
                                               "**** Processing Objects",
                                               "Processing Object A",
                                               "Processing Object B",
                                               "Object B parent's :A",
                                               "Processing Object C",
                                               "Object C parent's :B",
                                               " \tC <- B",
                                               " \tC <- A",
                                               " \tB <- A",
                                               "A ",
                                               "Loaded Objects in 0.000 seconds",
                                               "",
                                               "**** Processing Materials ",
                                               "Processing Material M",
                                               "Loaded Materials in 0.000 seconds",
                                               "",
                                               "**** Processing Cameras",
                                               "Processing Camera Cam",
                                               "Loaded Cameras in 0.000 seconds",
                                               "",
                                               "**** Processing Lights",
                                               "Processing Light L",
                                               "Loaded Lights in 0.000 seconds",
                                               "",
                                               "Loaded Scene in 0.000 seconds"};
    EXPECT_EQ(LogLines(), expected);

    SceneObject* c = scene->findObject("C");
    ASSERT_TRUE(c);
    ASSERT_EQ(c->ancestorCount, 2u);
    EXPECT_EQ(c->ancestors[0], scene->findObject("B"));
    EXPECT_EQ(c->ancestors[1], scene->findObject("A"));
    EXPECT_EQ(scene->findObject("A")->ancestorCount, 0u);
    EXPECT_TRUE(c->hasParent);
    EXPECT_FALSE(scene->findObject("A")->hasParent);
}

TEST_F(SceneLoading, AncestorWalkStopsAtMissingParentsAndCycles)
{
    SceneRecords records;
    records.objects = {fixtures::Triangle("Orphan", "Nobody"), fixtures::Triangle("P", "Q"),
                       fixtures::Triangle("Q", "P"), fixtures::Triangle("Self", "Self")};
    auto scene = Load(records);
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->findObject("Orphan")->ancestorCount, 0u);
    EXPECT_EQ(scene->findObject("Self")->ancestorCount, 0u);
    SceneObject* p = scene->findObject("P");
    ASSERT_EQ(p->ancestorCount, 1u);
    EXPECT_EQ(p->ancestors[0], scene->findObject("Q"));
    for (const std::string& line : LogLines()) EXPECT_EQ(line.find("Orphan <-"), std::string::npos) << line;
}

TEST_F(SceneLoading, ObjectsGetConvertedGeometryAndTracks)
{
    auto scene = Load(fixtures::FullScene());
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->objects.count(), 4u);
    EXPECT_EQ(scene->loader.faceTotal, 4u);
    SceneObject* object = scene->findObject("Animated");
    ASSERT_TRUE(object);
    EXPECT_EQ(object->type, kThingObject);
    EXPECT_EQ(object->id, 1);
    EXPECT_EQ(scene->findObject("Grandchild")->id, 4);
    // (x, y, z) in the file is (x, z, -y) in the engine.
    ExpectVector(object->transformPosition, 1, 3, -2, "transform");
    EXPECT_EQ(object->transformPosition.w, 1.0f);
    ExpectVector(object->origin, 1, 3, -2, "origin");
    ExpectVector(object->position, -2, -6, 4, "impostor position");
    EXPECT_NEAR(object->rotation.y, 1, 1e-6);
    EXPECT_NEAR(object->rotation.angle, 0.5f * kDegreesPerRadian, 1e-4);
    ASSERT_EQ(object->vertexCount, 3u);
    ExpectVector(object->vertices[2].position, 0, 0, -1, "vertex");
    ExpectVector(object->vertices[0].normal, 0, 1, 0, "vertex normal");
    ExpectVector(object->faces[0].normal, 0, 1, 0, "face normal");
    EXPECT_EQ(object->faces[0].hit, 999999.0f);
    EXPECT_EQ(object->vertices[0].colour[3], 1.0f);
    EXPECT_EQ(object->textureVertexCount, 3u);
    EXPECT_EQ(object->textureVertices[1][2], 1.0f);   // v of texture vertex 2
    EXPECT_EQ(object->textureFaces[2][0], 2u);        // corner c of face 0
    EXPECT_EQ(object->materialRef, 1);

    AnimController* controller = object->controller;
    ASSERT_TRUE(controller);
    EXPECT_EQ(scene->findController("Animated"), controller);
    EXPECT_TRUE(object->hasPositionKeys && object->hasRotationKeys && object->hasScaleKeys && object->hasVertexSets);
    // Position keys are relative to the converted transform position.
    ExpectVector(controller->positionKeys()[1], 1, 0, 0, "position key");
    // The first rotation key is a copy of the second.
    ASSERT_EQ(controller->rotationCount(), 3u);
    EXPECT_NEAR(controller->rotationKeys()[0].angle, 0.1f * kDegreesPerRadian, 1e-4);
    EXPECT_NEAR(controller->rotationKeys()[2].angle, 0.2f * kDegreesPerRadian, 1e-4);
    // Scale keys swap y and z and keep their signs.
    ExpectVector(controller->scaleKeys()[1], 2, 4, 3, "scale key");
    // Morph frames: one per frame of the scene, as the file has them.
    ASSERT_EQ(controller->vertexSetCount(), 4u);
    EXPECT_EQ(controller->vertexSets()[2][1], (scenefile::Vec3{1, 2, 0}));

    EXPECT_FALSE(scene->findObject("Root")->controller);
}

TEST_F(SceneLoading, MaterialsInvertColoursAndMapShineAndTransparency)
{
    SceneRecords records;
    struct Case {
        float shineStrength, transparency, shiny, opacity;
    };
    const Case cases[] = {{0.5f, 0.0f, 50.0f, 1.0f}, {1.5f, 0.4f, 0.0f, 0.4f}, {0.0f, 1.0f, 0.0f, 1.0f}};
    for (std::uint32_t i = 0; i < std::size(cases); ++i) {
        records.materials.push_back(fixtures::PlainMaterial(i, "M" + std::to_string(i), "t.jpg"));
        records.materials.back().shineStrength = cases[i].shineStrength;
        records.materials.back().transparency = cases[i].transparency;
    }
    auto scene = Load(records);
    ASSERT_TRUE(scene);
    for (std::uint32_t i = 0; i < std::size(cases); ++i) {
        Material* material = scene->findMaterial("M" + std::to_string(i));
        ASSERT_TRUE(material);
        EXPECT_FLOAT_EQ(material->shiny, cases[i].shiny) << i;
        EXPECT_FLOAT_EQ(material->opacity, cases[i].opacity) << i;
    }
    Material* material = scene->findMaterial("M0");
    EXPECT_FLOAT_EQ(material->colours.diffuse[0], 0.75f);
    EXPECT_FLOAT_EQ(material->colours.ambient[2], 0.7f);
    EXPECT_FLOAT_EQ(material->colours.specular[3], 1.0f);
    EXPECT_EQ(material->baseColours.diffuse, material->colours.diffuse);
    EXPECT_FLOAT_EQ(material->emission, 0.2f);
    EXPECT_EQ(material->index, 0);
    EXPECT_FALSE(material->hasSubMaterials);
    EXPECT_EQ(material->subMaterialCount, 1u);
    EXPECT_EQ(material->image.fileName, "t.jpg");
    EXPECT_TRUE(material->enabled);
}

TEST_F(SceneLoading, MultiMaterialFillsItsSlots)
{
    auto scene = Load(fixtures::FullScene());
    ASSERT_TRUE(scene);
    Material* multi = scene->findMaterial("Multi");
    ASSERT_TRUE(multi);
    EXPECT_TRUE(multi->hasSubMaterials);
    EXPECT_EQ(multi->subMaterialCount, 3u);
    EXPECT_EQ(multi->emission, 0.0f);
    EXPECT_EQ(multi->slot(0), multi);
    // Sub-material 0's own record stands for the material itself; its bitmap is kept.
    EXPECT_EQ(multi->image.fileName, "sub0.jpg");
    for (std::uint32_t j = 1; j < 3; ++j) {
        Material* sub = multi->slot(j);
        ASSERT_TRUE(sub) << j;
        EXPECT_EQ(sub->name, "Multi_sub" + std::to_string(j));
        EXPECT_EQ(sub->index, std::int32_t(j));
        EXPECT_EQ(sub->image.fileName, "sub" + std::to_string(j) + ".jpg");
        EXPECT_FLOAT_EQ(sub->opacity, 0.5f);
        EXPECT_NEAR(sub->shiny, 10.0f * float(j), 1e-4);
        EXPECT_FLOAT_EQ(sub->colours.ambient[0], 0.5f);
    }
    EXPECT_EQ(multi->slot(3), nullptr);
}

TEST_F(SceneLoading, CamerasConvertAnglesAndShareOneControllerForFovAndNodeKeys)
{
    auto scene = Load(fixtures::FullScene());
    ASSERT_TRUE(scene);
    Camera* camera = scene->findCamera("Camera01");
    ASSERT_TRUE(camera);
    EXPECT_EQ(camera->type, kThingCamera);
    ExpectVector(camera->eye, 0, 20, 100, "eye");
    ExpectVector(camera->target, 0, 20, 0, "target");
    EXPECT_NEAR(camera->fov, 45.0f, 1e-4);   // 0.7854 rad
    EXPECT_NEAR(camera->rotation.angle, 1.5f * kDegreesPerRadian, 1e-3);
    EXPECT_FLOAT_EQ(camera->distance, 10.0f);   // sqrt(|0| + |0| + |100|)
    EXPECT_FLOAT_EQ(camera->startHeight, 20.0f);

    ASSERT_TRUE(camera->hasFovKeys && camera->hasNodeKeys && camera->hasTargetKeys);
    EXPECT_EQ(camera->nodeController, camera->fovController);
    EXPECT_EQ(scene->findController("Camera01_FOV"), camera->fovController);
    EXPECT_EQ(scene->findController("Camera01_Pivot"), nullptr);
    EXPECT_EQ(scene->findController("Camera01_Target"), camera->targetController);
    // Animated, Camera01_FOV, Camera01_Target and three light controllers, each once.
    EXPECT_EQ(scene->controllers.count(), 6u);

    AnimController* node = camera->nodeController;
    ASSERT_EQ(node->fovCount(), 4u);
    EXPECT_NEAR(node->fovKeys()[0], 0.5f * 45.0f / 0.7854f, 1e-4);
    ExpectVector(node->positionKeys()[1], 0, 20, 90, "node position key");
    // 6.5 radians is 372.4 degrees, stored as 12.4; key 0 copies key 1.
    ASSERT_EQ(node->rotationCount(), 2u);
    EXPECT_NEAR(node->rotationKeys()[1].angle, 6.5f * kDegreesPerRadian - 360.0f, 1e-3);
    EXPECT_NEAR(node->rotationKeys()[1].angle, 12.42f, 0.01f);
    EXPECT_NEAR(node->rotationKeys()[0].angle, node->rotationKeys()[1].angle, 1e-6);
    ExpectVector(camera->targetController->positionKeys()[2], 0, 20, -2, "target key");

    Camera* still = scene->findCamera("Camera02");
    ASSERT_TRUE(still);
    EXPECT_FALSE(still->hasFovKeys || still->hasNodeKeys || still->hasTargetKeys);
}

TEST_F(SceneLoading, CameraSectionIsFoundWhateverTheNamesSpell)
{
    // Neither the camera's name begins with "Camera" nor is an earlier "Camera" text the
    // section's start: the section still follows the materials.
    SceneRecords records;
    records.objects = {fixtures::Triangle("CameraRig")};
    records.materials = {fixtures::PlainMaterial(0, "Camera", "Camera.jpg")};
    records.cameras = {fixtures::StillCamera("Viewpoint")};
    records.lights = {fixtures::Omni("Omni01")};
    auto scene = Load(records);
    ASSERT_TRUE(scene);
    Camera* camera = scene->findCamera("Viewpoint");
    ASSERT_TRUE(camera);
    ExpectVector(camera->eye, 0, 20, 100, "eye");
    ASSERT_TRUE(scene->findOmniLight("Omni01"));
}

TEST_F(SceneLoading, LightsTakeColoursAttenuationAndTheirGLLight)
{
    SceneRecords records = fixtures::FullScene();
    for (int i = 2; i < 9; ++i) records.lights.push_back(fixtures::Omni("Extra" + std::to_string(i)));
    auto scene = Load(records);
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->omniLights.count(), 8u);
    EXPECT_EQ(scene->targetLights.count(), 1u);
    EXPECT_EQ(scene->findOmniLight("Extra8")->glLight, GL_LIGHT0 + 8);

    auto* spot = scene->targetLights.findAs<TargetLight>("Spot01");
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->glLight, GL_LIGHT0);
    ExpectVector(spot->point, 1, 3, -2, "target light point (its target)");
    ExpectVector(spot->position, 10, 30, -20, "target light position");
    ASSERT_TRUE(spot->hasPositionKeys && spot->hasTargetKeys);
    ExpectVector(spot->positionController->positionKeys()[1], 11, 31, -21, "light key");
    EXPECT_EQ(spot->targetController->positionCount(), 1u);

    OmniLight* omni = scene->findOmniLight("Omni01");
    ASSERT_TRUE(omni);
    EXPECT_EQ(omni->glLight, GL_LIGHT0 + 1);
    EXPECT_TRUE(omni->enabled);
    ExpectVector(omni->point, 10, 30, -20, "omni point");
    EXPECT_EQ(omni->point.w, 1.0f);
    EXPECT_FLOAT_EQ(omni->colours.ambient[1], 0.4f);
    EXPECT_FLOAT_EQ(omni->colours.diffuse[1], 0.4f * 1.15f);
    EXPECT_FLOAT_EQ(omni->colours.specular[2], 0.8f * 1.25f);
    EXPECT_FLOAT_EQ(omni->colours.diffuse[3], 1.0f);
    EXPECT_FLOAT_EQ(omni->baseAttenuation, 0.5f);   // |1 - 1.5|
    EXPECT_EQ(omni->positionController->positionCount(), 3u);
    EXPECT_FALSE(omni->hasTargetKeys);
    EXPECT_FALSE(scene->findOmniLight("Extra2")->hasPositionKeys);
}

TEST_F(SceneLoading, GLHooksRunForEveryMaterialAndTexture)
{
    static int checks;
    static std::vector<std::string> textures;
    checks = 0;
    textures.clear();
    GLHooks().checkCapabilities = [](Material&) { ++checks; };
    GLHooks().loadTexture = [](TextureImage& image, const std::string& file) {
        textures.push_back(file);
        image.loaded = true;
    };
    auto scene = Load(fixtures::FullScene());
    GLHooks() = RecordGLHooks{};
    ASSERT_TRUE(scene);
    EXPECT_EQ(checks, 5);   // two materials and three sub-materials
    EXPECT_EQ(textures, (std::vector<std::string>{"wall.jpg", "sub0.jpg", "sub1.jpg", "sub2.jpg"}));
    EXPECT_TRUE(scene->findMaterial("Multi")->slot(2)->image.loaded);
}

TEST_F(SceneLoading, MissingFileFailsSilentlyWithAnEmptyLog)
{
    folder.write("Loader.LOG", "old contents");
    Scene scene("absent.bin", "test");
    EXPECT_TRUE(scene.loader.failed);
    EXPECT_FALSE(scene.loader.rejected());
    EXPECT_EQ(folder.read("Loader.LOG"), "");
    EXPECT_FALSE(LoadSceneFile("absent.bin", "test"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(SceneLoading, TruncatedFileIsRejectedOnceAndTheLogSaysWhere)
{
    const scenefile::SceneRecords records = fixtures::FullScene();
    const std::vector<std::uint8_t> bytes = fixtures::Bytes(records);
    // Cut inside the multi-material's sub-materials.
    scenefile::ByteWriter before;
    scenefile::WriteHeaderStart(before);
    scenefile::WriteSceneInfo(before, 3, 30, 160);
    for (const auto& object : records.objects) scenefile::WriteObject(before, object);
    scenefile::WriteMaterial(before, records.materials[0]);
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(before.size() + 80));
    ASSERT_FALSE(LoadBytes(cut, "cut.bin"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "K3D Loading ERROR");
    EXPECT_NE(messages[0].text.find("cut.bin"), std::string::npos) << messages[0].text;
    EXPECT_NE(messages[0].text.find("material 1 \"Multi\""), std::string::npos) << messages[0].text;
    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Processing Material Multi");
    EXPECT_EQ(lines.back().rfind("Scene file rejected at byte ", 0), 0u) << lines.back();
    for (const std::string& line : lines) EXPECT_EQ(line.find("Loaded Scene"), std::string::npos);
}

TEST_F(SceneLoading, DamagedHeaderAndValuesAreRejected)
{
    std::vector<std::uint8_t> shortHeader(40, ' ');
    std::vector<std::uint8_t> badFace = fixtures::Bytes(fixtures::FullScene());
    std::vector<std::uint8_t> badKind = badFace;
    // First object "Animated": name 2 + 8, parent 2, flags 6, transform 28, counts 6,
    // vertices 36, then face 0's corner c.
    badFace[56 + 10 + 2 + 6 + 28 + 6 + 36 + 4] = 200;
    // Omni01 is last: kind, position 12, colour 12, intensity 4, key flag 1, key block 40.
    badKind[badKind.size() - 40 - 1 - 4 - 12 - 12 - 1] = 9;
    struct Case {
        const char* what;
        const std::vector<std::uint8_t>* bytes;
        const char* problem;
    };
    const Case cases[] = {{"short header", &shortHeader, "the header needs 56 bytes"},
                          {"face index", &badFace, "face 0 uses vertex 200 of 3"},
                          {"light kind", &badKind, "light 1 \"Omni01\": the kind is 9"}};
    for (const Case& c : cases) {
        messages.clear();
        folder.write("x.bin", std::string(c.bytes->begin(), c.bytes->end()));
        auto loaded = LoadSceneFile("x.bin", "test");
        EXPECT_FALSE(loaded) << c.what;
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_NE(messages[0].text.find(c.problem), std::string::npos) << c.what << ": " << messages[0].text;
    }
}

// A flag is set when it is not 0: a flag byte above 1 loads as set, with one log line.
TEST_F(SceneLoading, FlagBytesAboveOneLoadAsSetWithOneLogLine)
{
    SceneRecords scene;
    scene.lights.push_back(fixtures::Omni("L"));
    scene.lights[0].hasPositionKeys = true;
    scene.lights[0].positionKeys = {{1, 2, 3}};
    std::vector<std::uint8_t> bytes = fixtures::Bytes(scene);
    const std::size_t flagAt = scenefile::kHeaderSize + 3 + 1 + 12 + 12 + 4;   // name, kind, position, colour, intensity
    ASSERT_EQ(bytes.at(flagAt), 1);
    bytes[flagAt] = 7;
    auto loaded = LoadBytes(bytes);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(messages.empty());
    const Light* light = loaded->omniLights.findAs<Light>("L");
    ASSERT_TRUE(light);
    ASSERT_TRUE(light->positionController);
    ExpectVector(light->positionController->position(), 1, 3, -2, "the key");
    std::size_t noted = 0;
    for (const std::string& line : LogLines())
        if (line.find("taken as set") != std::string::npos) {
            ++noted;
            EXPECT_NE(line.find("the position key flag is 7"), std::string::npos) << line;
            EXPECT_NE(line.find("byte " + std::to_string(flagAt)), std::string::npos) << line;
        }
    EXPECT_EQ(noted, 1u);
}

TEST_F(SceneLoading, PrefixesOfAFileAreRejectedAndNothingLeaks)
{
    // Every prefix goes through the same reader in the format tests; here a spread of
    // them (each section, the header's edges, the last bytes) goes through the loader,
    // which files and logs each one.
    const std::vector<std::uint8_t> bytes = fixtures::Bytes(fixtures::FullScene());
    std::vector<std::size_t> sizes = {0, 1, 55, 56, 57, bytes.size() - 2, bytes.size() - 1};
    for (std::size_t size = 60; size < bytes.size(); size += 23) sizes.push_back(size);
    for (std::size_t size : sizes) {
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
        ASSERT_FALSE(LoadBytes(prefix)) << size;
    }
    EXPECT_EQ(messages.size(), sizes.size());
    ASSERT_TRUE(LoadBytes(bytes));
}
