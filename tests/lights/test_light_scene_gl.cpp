// A frame drawn the way the render cycle orders it, with the engine data files the
// content generator writes: lights set, objects drawn, transparent objects re-sorted,
// glows and flares, the overlay. Each engine file missing in turn gives one message and
// the frame is still drawn.
#include "../render/RenderFixtures.h"
#include "LightFixtures.h"

#include "VEK_Flares.h"
#include "VEK_Font.h"
#include "VEK_Lights.h"
#include "VEK_Scene.h"
#include "VEK_SceneDraw.h"
#include "VEK_Transparency.h"

#include <cstdlib>

using namespace lights;

namespace {
const Vector3 kEye{0, 0, 5}, kTarget{0, 0, 0};

class LightScene : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        // The engine's default state, as the framework sets it for a scene.
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_NORMALIZE);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        const std::string command = std::string(VEK_TEST_BIN_DIR) + "/vekcontent '" + (dir / "show").string() + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    // The show's engine files, all but one, in a fresh folder that becomes the working one.
    void UseShowWithout(const std::string& missing)
    {
        const auto work = dir / ("without-" + (missing.empty() ? std::string("nothing") : missing));
        for (const char* file : {"Data/font.bin", "Data/raw1.bin", "Data/raw2.bin", "escena/lens.k2d"}) {
            std::filesystem::create_directories((work / file).parent_path());
            if (std::filesystem::path(file).filename() != missing) std::filesystem::copy_file(dir / "show" / file, work / file);
        }
        std::filesystem::current_path(work);
    }

    // A wall behind the light, a transparent pane in front of it, one omni light.
    std::unique_ptr<Scene> BuildScene()
    {
        auto scene = std::make_unique<Scene>("no-such-scene.vek", "scene");
        auto wall = render::MakeMaterial("wall", {0.2f, 0.2f, 0.2f, 1}, {0.5f, 0.5f, 0.5f, 1});
        render::FillImage(*wall, {0.9f, 0.7f, 0.5f, 1});
        wall->shiny = 128;   // a small highlight: shininess 0 would add the full specular colour
        auto pane = render::MakeMaterial("pane", {0.3f, 0.3f, 0.3f, 1}, {0.8f, 0.8f, 0.8f, 1}, 0.5f);
        render::FillImage(*pane, {0.5f, 0.5f, 1.0f, 1});
        scene->objects.insert(render::MakeQuads("pane", {{-0.5f, -2.5f, 0.5f, -1.5f, 1}}, pane.get()).release());
        scene->objects.insert(render::MakeQuads("wall", {{-3, -3, 3, 3, -2}}, wall.get()).release());
        scene->materials.insert(pane.release());
        scene->materials.insert(wall.release());
        const float colour[3] = {0.8f, 0.75f, 0.7f};
        Vector3 point;
        point.setPoint(0.5f, 0.5f, 0);
        auto* light = new OmniLight("Omni01", colour, 0.0f, point, GL_LIGHT0);
        scene->omniLights.insert(light);
        return scene;
    }

    // Preparation, then one frame in the render cycle's order.
    void Prepare(Scene& scene)
    {
        CreateSceneGlowTextures(scene);
        for (OmniLight* light : scene.omniLights.each<OmniLight>()) {
            setGlowSizes(*light, 0.4f);
            loadFlareSet(*light, kLensFlarePath);
        }
        UploadSceneTextures(scene);
        partitionTransparent(scene);
    }
    void Frame(Scene& scene, const Font& font)
    {
        Clear();
        LookAt(kEye, kTarget);
        for (OmniLight* light : scene.omniLights.each<OmniLight>()) setGLLight(*light);
        DrawSceneObjects(scene, kEye);
        resortTransparent(scene);
        for (OmniLight* light : scene.omniLights.each<OmniLight>()) {
            drawGlow(*light);
            drawFlares(*light, kEye, kTarget);
        }
        OverlayStats stats;
        stats.objectCount = scene.objects.count();
        stats.lightCount = scene.omniLights.count();
        stats.materialCount = scene.materials.count();
        drawStatistics(font, stats);
        for (OmniLight* light : scene.omniLights.each<OmniLight>()) updateLight(*light, kEye, kTarget);
    }

    // Lit pixels in the band of the overlay's second line, left of the wall.
    static int OverlayPixels()
    {
        int lit = 0;
        for (int y = 18; y < 30; ++y)
            for (int x = 16; x < 120; ++x) lit += ReadPixel(x, y).r > 100;
        return lit;
    }
};
}  // namespace

TEST_F(LightScene, EachMissingEngineFileGivesOneMessageAndTheFrameIsStillDrawn)
{
    struct Case {
        std::string missing, message;
    };
    const Case cases[] = {
        {"", ""},
        {"font.bin", "vek engine: Fatal Error,Cannont Find texture bitmap file Data/font.bin"},
        {"raw1.bin", "vek engine: Fatal Error,Cannont Find texture bitmap file Data/raw1.bin"},
        {"raw2.bin", "vek engine: Fatal Error,Cannont Find texture bitmap file Data/raw2.bin"},
        {"lens.k2d", "K2D LensFlare File Not Founde."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("missing: " + (c.missing.empty() ? std::string("nothing") : c.missing));
        UseShowWithout(c.missing);
        Messages messages;
        Font font("font.bin");
        auto scene = BuildScene();
        Prepare(*scene);
        EXPECT_EQ(scene->firstTransparent, 1u);
        for (int frame = 0; frame < 6; ++frame) Frame(*scene, font);
        DumpFrame("scene_without_" + (c.missing.empty() ? std::string("nothing") : c.missing));
        if (c.message.empty()) {
            EXPECT_TRUE(messages.all().empty()) << messages.all().front().text;
        } else {
            ASSERT_EQ(messages.all().size(), 1u);
            EXPECT_EQ(messages.all()[0].text, c.message);
        }
        // The lit wall is drawn away from the glow and the flare line (upper left) ...
        const Pixel wall = ReadPixel(129, 383);
        EXPECT_GT(wall.r, 40);
        EXPECT_GT(wall.r, wall.b);
        // ... the light is seen and glows, and the overlay shows when there is a font.
        const OmniLight* light = scene->findOmniLight("Omni01");
        EXPECT_FALSE(light->occluded || light->offscreen);
        EXPECT_FLOAT_EQ(light->glowSize, 0.4f);
        EXPECT_EQ(OverlayPixels() > 20, c.missing != "font.bin");
        EXPECT_EQ(light->flareSet.loaded, c.missing != "lens.k2d");
        std::filesystem::current_path(dir.path());
    }
}
