// The sample show's first 3D scene: vekcontent writes it as ASE, ase2vek converts it, and
// the result holds every kind of record the show uses.
#include "AseTestSupport.h"
#include "TempDir.h"
#include "VEK_Scene.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(SampleScene, ConvertsWithEveryFeatureOfTheShow)
{
    TempDir show;
    ScopedChdir into(show.path());
    ASSERT_EQ(std::system("'" VEK_TEST_BIN_DIR "/vekcontent' . > content.txt 2>&1"), 0) << show.read("content.txt");
    ASSERT_EQ(std::system("'" VEK_TEST_BIN_DIR "/ase2vek' escena/sample.ase escena/sample.vek > ase2vek.txt 2>&1"), 0)
        << show.read("ase2vek.txt");
    const std::string bytes = show.read("escena/sample.vek");
    const auto scene = asetest::ReadBack(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    const std::uint32_t frames = scene.header.lastFrame + 1u;

    ASSERT_EQ(scene.objects.size(), 6u);
    for (const auto& object : scene.objects) EXPECT_GT(object.textureVertices.size(), 1u) << object.name;
    const auto& crate = scene.objects[1];
    EXPECT_EQ(crate.name, "Crate");
    EXPECT_EQ(crate.positionKeys.size(), frames);
    EXPECT_EQ(crate.rotationKeys.size(), frames);
    const auto& orb = scene.objects[2];
    EXPECT_EQ(orb.parent, "Crate");
    EXPECT_EQ(orb.scaleKeys.size(), frames);
    EXPECT_EQ(scene.objects[3].morphFrames.size(), frames);

    ASSERT_EQ(scene.materials.size(), 4u);
    EXPECT_TRUE(scene.materials[1].multi);
    ASSERT_EQ(scene.materials[1].subMaterials.size(), 2u);
    for (const std::string& bitmap :
         {scene.materials[0].bitmap, scene.materials[1].subMaterials[0].bitmap, scene.materials[3].bitmap})
        EXPECT_TRUE(std::filesystem::exists(show.path() / "Data" / bitmap)) << bitmap;

    ASSERT_EQ(scene.cameras.size(), 1u);
    const auto& camera = scene.cameras[0];
    EXPECT_EQ(camera.fovKeys.size(), frames);
    EXPECT_EQ(camera.positionKeys.size(), frames);
    EXPECT_EQ(camera.targetKeys.size(), frames);
    ASSERT_EQ(scene.lights.size(), 2u);
    EXPECT_EQ(scene.lights[0].kind, scenefile::LightKind::omni);
    EXPECT_EQ(scene.lights[1].positionKeys.size(), frames);

    const auto loaded = LoadSceneFile("escena/sample.vek", "escena1");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->objects.count(), 6u);
    EXPECT_EQ(loaded->omniLights.count(), 2u);
}
