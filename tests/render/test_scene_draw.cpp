// A scene file loaded with the renderer's hooks: textures decoded from Data/ while the
// materials are read, the preparation steps, and the objects step of a frame.
#include "../engine/SceneFixtures.h"
#include "RenderFixtures.h"
#include "VEK_JpegWriter.h"
#include "VEK_Scene.h"
#include "VEK_SceneDraw.h"

namespace {
using namespace render;

void WriteSolidJpeg(const std::filesystem::path& path, unsigned char r, unsigned char g, unsigned char b)
{
    std::vector<unsigned char> rgb(8 * 8 * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
    std::filesystem::create_directories(path.parent_path());
    JpegWriteOptions options;
    options.quality = 100;
    ASSERT_TRUE(WriteJpegFile(path.string(), rgb.data(), 8, 8, options));
}

// A quad facing the viewer once loaded: the file is z-up, so it stands in the file's x-z
// plane, its normals along -y.
scenefile::ObjectRecord Panel(const std::string& name, float x0, float x1, std::uint16_t material)
{
    scenefile::ObjectRecord object;
    object.name = name;
    object.vertices = {{x0, 0, -0.5f}, {x1, 0, -0.5f}, {x1, 0, 0.5f}, {x0, 0, 0.5f}};
    object.faces = {{0, 1, 2, 1}, {0, 2, 3, 2}};
    object.textureVertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    object.textureFaces = {{0, 1, 2}, {0, 2, 3}};
    object.faceNormals = {{0, -1, 0}, {0, -1, 0}};
    object.vertexNormals = {{0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}};
    object.material = material;
    return object;
}

class SceneDraw : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        chdir_ = std::make_unique<ScopedChdir>(dir.path());
        WriteSolidJpeg(dir / "Data/wall.jpg", 200, 120, 40);
        WriteSolidJpeg(dir / "Data/sub0.jpg", 128, 128, 255);
        WriteSolidJpeg(dir / "Data/sub1.jpg", 40, 200, 90);
    }
    void TearDown() override
    {
        chdir_.reset();
        RenderTest::TearDown();
    }

    std::unique_ptr<Scene> Load(bool withOmni01)
    {
        scenefile::SceneRecords records;
        records.objects.push_back(Panel("Plain", -0.9f, -0.1f, 0));
        records.objects.push_back(Panel("Multi", 0.1f, 0.9f, 1));
        records.materials.push_back(fixtures::PlainMaterial(0, "Plain", "wall.jpg"));
        records.materials.push_back(fixtures::MultiMaterial(1, "Multi", 3));
        records.cameras.push_back(fixtures::StillCamera("Camera01"));
        records.lights.push_back(fixtures::Omni(withOmni01 ? "Omni01" : "Omni02"));
        const std::vector<std::uint8_t> bytes = fixtures::Bytes(records);
        dir.write("scene.vek", std::string(bytes.begin(), bytes.end()));
        return LoadSceneFile("scene.vek", "scene");
    }

    TempDir dir;
    std::unique_ptr<ScopedChdir> chdir_;
};

TEST_F(SceneDraw, LoadedSceneIsPreparedAndDrawn)
{
    Messages messages;
    auto scene = Load(true);
    ASSERT_TRUE(scene);
    // The glow images are missing: one message each per light, white textures instead.
    CreateSceneGlowTextures(*scene);
    BindObjectMaterials(*scene);
    UploadSceneTextures(*scene);
    EXPECT_EQ(messages.all().size(), 2u + 1u) << "raw1.bin, raw2.bin and sub2.jpg are missing";
    const OmniLight* light = scene->findOmniLight("Omni01");
    ASSERT_TRUE(light);
    EXPECT_NE(light->glowTexture1, 0u);

    SceneObject* plain = scene->findObject("Plain");
    SceneObject* multi = scene->findObject("Multi");
    Material* plainMaterial = scene->findMaterial("Plain");
    ASSERT_TRUE(plain && multi && plainMaterial);
    EXPECT_EQ(plain->material, plainMaterial);
    EXPECT_FALSE(plain->multiMaterial);
    EXPECT_TRUE(multi->multiMaterial);
    ASSERT_TRUE(plainMaterial->image.loaded);
    EXPECT_NE(plainMaterial->textureName, 0u);

    scene->findMaterial("Multi")->bump = true;
    const RGBA lightAmbient{0.4f, 0.4f, 0.4f, 1}, lightDiffuse{0.5f, 0.5f, 0.5f, 1};
    UseLight(lightAmbient, lightDiffuse);
    DrawSceneObjects(*scene, Vector3(0, 0, 5));
    DumpFrame("loaded_scene");
    // The bump panel, drawn first (the newest object heads the list), switches lighting
    // off and back on; the plain panel is lit with the colours the file gave (stored as 1 - value).
    const RGBA lit = FromColour(plainMaterial->colours.ambient) * lightAmbient +
                     FromColour(plainMaterial->colours.diffuse) * lightDiffuse;
    EXPECT_FLOAT_EQ(plainMaterial->colours.ambient[0], 0.9f);
    EXPECT_TRUE(Near(ReadPixel(220, 300), Bytes(200, 120, 40) * lit, 4)) << "the plain panel shows its texture, lit";
    // The light is behind the bump panel: its first triangle is black; the second, of a
    // translucent sub-material, adds that black to the background.
    EXPECT_TRUE(Near(ReadPixel(700, 200), {0, 0, 0, 1})) << "the bump panel is drawn";
    EXPECT_NE(multi->vertices[0].colour[0], 1.0f) << "the light vectors were written";
}

TEST_F(SceneDraw, BumpObjectsKeepTheirColoursWithoutOmni01)
{
    auto scene = Load(false);
    ASSERT_TRUE(scene);
    BindObjectMaterials(*scene);
    UploadSceneTextures(*scene);
    scene->findMaterial("Multi")->bump = true;
    DrawSceneObjects(*scene, Vector3(0, 0, 5));
    const SceneObject* multi = scene->findObject("Multi");
    for (const MeshVertex& vertex : multi->vertices) EXPECT_EQ(vertex.colour[0], 1.0f);
}

}  // namespace
