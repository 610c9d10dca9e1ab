// The sample show's 3D scenes: vekcontent writes them as ASE, ase2vek converts them, and
// each result holds the records and tracks its part of the show relies on.
#include "AseTestSupport.h"
#include "TempDir.h"
#include "VEK_Scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

namespace {

using scenefile::ObjectRecord;
using SceneContents = scenefile::SceneRecords;

const ObjectRecord* FindObject(const SceneContents& scene, const std::string& name)
{
    for (const auto& object : scene.objects)
        if (object.name == name) return &object;
    return nullptr;
}

const scenefile::MaterialRecord* FindMaterial(const SceneContents& scene, const std::string& name)
{
    for (const auto& material : scene.materials)
        if (material.name == name) return &material;
    return nullptr;
}

// Every track of the named object that should be animated has a key per frame.
void ExpectTracks(const SceneContents& scene, const std::string& name, bool position, bool rotation, bool scale)
{
    const ObjectRecord* object = FindObject(scene, name);
    ASSERT_TRUE(object) << name;
    const std::size_t frames = scene.header.lastFrame + 1u;
    EXPECT_EQ(object->positionKeys.size(), position ? frames : 0u) << name;
    EXPECT_EQ(object->rotationKeys.size(), rotation ? frames : 0u) << name;
    EXPECT_EQ(object->scaleKeys.size(), scale ? frames : 0u) << name;
}

void ExpectSubMaterials(const SceneContents& scene, const std::string& name, std::size_t count)
{
    const auto* material = FindMaterial(scene, name);
    ASSERT_TRUE(material) << name;
    EXPECT_TRUE(material->multi) << name;
    EXPECT_EQ(material->subMaterials.size(), count) << name;
}

void CrateScene(const SceneContents& scene)
{
    const std::size_t frames = scene.header.lastFrame + 1u;
    ExpectTracks(scene, "Crate", true, true, false);
    ExpectTracks(scene, "Orb", false, false, true);
    EXPECT_EQ(FindObject(scene, "Orb")->parent, "Crate");
    EXPECT_EQ(FindObject(scene, "Flag")->morphFrames.size(), frames);
    ExpectTracks(scene, "Moon", false, false, false);
    ExpectSubMaterials(scene, "Crate", 2);
    const auto& camera = scene.cameras[0];
    EXPECT_EQ(camera.fovKeys.size(), frames);
    EXPECT_EQ(camera.positionKeys.size(), frames);
    EXPECT_EQ(camera.targetKeys.size(), frames);
    EXPECT_EQ(scene.lights[1].positionKeys.size(), frames);
}

void HallScene(const SceneContents& scene)
{
    for (const char* moving : {"GlassA", "GlassB", "Pillar"}) ExpectTracks(scene, moving, true, false, false);
    for (const char* turning : {"Chrome", "Grille", "WireGlobe"}) ExpectTracks(scene, turning, false, true, false);
    ExpectSubMaterials(scene, "Bricks", 2);   // colour and normal map
    ExpectSubMaterials(scene, "Plinth", 3);   // colour, normal map and gloss
    ExpectSubMaterials(scene, "Chrome", 2);   // steel and reflection
    ExpectSubMaterials(scene, "Grille", 2);   // metal and alpha mask
    EXPECT_EQ(scene.cameras[0].targetKeys.size(), scene.header.lastFrame + 1u);
    EXPECT_TRUE(scene.cameras[0].fovKeys.empty());
}

void GardenScene(const SceneContents& scene)
{
    ExpectTracks(scene, "Wheel", false, true, false);
    // A tree is one mesh of two sub-materials: bark and leaves.
    std::set<int> ids;
    for (const auto& face : FindObject(scene, "Tree1")->faces) ids.insert(face.subMaterial);
    EXPECT_EQ(ids, (std::set<int>{0, 1}));
    ExpectSubMaterials(scene, "Tree", 2);
    ASSERT_EQ(scene.cameras.size(), 2u);
    EXPECT_EQ(scene.cameras[0].fovKeys.size(), scene.header.lastFrame + 1u);
    // The free camera: no track, so the keyboard and the mouse move it.
    EXPECT_TRUE(scene.cameras[1].positionKeys.empty() && scene.cameras[1].targetKeys.empty() &&
                scene.cameras[1].fovKeys.empty());
}

TEST(SampleScenes, ConvertWithEveryFeatureTheShowUses)
{
    const struct {
        const char* name;
        std::size_t objects, materials, cameras, lights;
        std::function<void(const SceneContents&)> features;
    } scenes[] = {
        {"sample", 7, 5, 1, 2, CrateScene},
        {"hall", 9, 9, 1, 2, HallScene},
        {"garden", 9, 4, 2, 2, GardenScene},
    };
    TempDir show;
    ScopedChdir into(show.path());
    ASSERT_EQ(std::system("'" VEK_TEST_BIN_DIR "/vekcontent' . > content.txt 2>&1"), 0) << show.read("content.txt");
    for (const auto& expected : scenes) {
        SCOPED_TRACE(expected.name);
        const std::string ase = std::string("escena/") + expected.name + ".ase";
        const std::string vek = std::string("escena/") + expected.name + ".vek";
        ASSERT_EQ(std::system(("'" VEK_TEST_BIN_DIR "/ase2vek' " + ase + " " + vek + " > ase2vek.txt 2>&1").c_str()), 0)
            << show.read("ase2vek.txt");
        const std::string bytes = show.read(vek);
        const auto scene = asetest::ReadBack(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        ASSERT_EQ(scene.objects.size(), expected.objects);
        ASSERT_EQ(scene.materials.size(), expected.materials);
        ASSERT_EQ(scene.cameras.size(), expected.cameras);
        ASSERT_EQ(scene.lights.size(), expected.lights);
        for (const auto& object : scene.objects) EXPECT_GT(object.textureVertices.size(), 1u) << object.name;
        for (const auto& light : scene.lights) EXPECT_EQ(light.kind, scenefile::LightKind::omni) << light.name;
        for (const auto& material : scene.materials) {
            std::vector<std::string> bitmaps{material.bitmap};
            for (const auto& sub : material.subMaterials) bitmaps.push_back(sub.bitmap);
            for (const std::string& bitmap : bitmaps) {
                if (bitmap.empty()) continue;   // an untextured material
                EXPECT_TRUE(std::filesystem::exists(show.path() / "Data" / bitmap)) << bitmap;
            }
        }
        expected.features(scene);

        const auto loaded = LoadSceneFile(vek, expected.name);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->objects.count(), expected.objects);
        EXPECT_EQ(loaded->omniLights.count(), expected.lights);
    }
}

}  // namespace
