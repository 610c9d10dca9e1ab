// The demo engine's 2D set-up and frame composition: which skin slots each kind of frame
// draws, layers under the 2D pass in layers mode, the glow layer between the two passes
// of the normal frame, and the fixed-rate update of enabled slots.
#include "LayerFixtures.h"
#include "VEK_DemoEngine.h"
#include "vekPlatform.h"

namespace {
using gltest::RGBA;
using gltest::Near;

constexpr const char* kScript = R"(<demoproject>
  <engineDEMO name="composition" v="1" h="1"/>
  <engine2D>
    <object class="flash" name="white"><color r="1" g="1" b="1"/></object>
    <object class="layer" name="late"><layer z="2" xres="64" yres="32" blenda="1" blendb="0" blur="1" strenght="1"/></object>
  </engine2D>
</demoproject>)";

class Composition : public layers::GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        dir.write("demotest.xml", kScript);
        demo.LoadProject("demotest.xml");
        demo.Initialise(800, 600, 32);
    }
    void TearDown() override { demo.Shutdown(); }

    // Skin slot shown opaque in the colour (a skin without an image draws as a plain quad).
    void ShowSkin(int slot, const RGBA& colour, int mode = 3, float alpha = 1.0f)
    {
        Object2D& skin = demo.skins[slot];
        skin.SetColour(colour.r, colour.g, colour.b);
        skin.SetBlendMode(mode);
        skin.Start();
        skin.alpha = alpha;
        demo.skinEnabled[slot] = 1;
    }
    // The layer's surface holds the colour, as if its scene had drawn it.
    static void FillLayer(Object2D& layer, const RGBA& colour)
    {
        layer.SetSceneName("scene");
        layer.SetCameraName("camera");
        if (!layer.Target().active) layer.ToggleLayer();
        layer.Start();
        ASSERT_TRUE(layer.Begin());
        glClearColor(colour.r, colour.g, colour.b, colour.a);
        glClear(GL_COLOR_BUFFER_BIT);
        layer.End();
    }

    TempDir dir;
    ScopedChdir in{dir.path()};
    DemoEngine demo;
};

TEST_F(Composition, InitialiseSetsUpTheScriptObjectsTheBandAndTheGlowLayer)
{
    EXPECT_STREQ(demo.flashes[0].name, "white");
    EXPECT_FLOAT_EQ(demo.flashes[0].height, 400.0f) << "flash and skin slots 0 to 9 take the band";
    EXPECT_FLOAT_EQ(demo.skins[9].y, 100.0f);
    EXPECT_FLOAT_EQ(demo.skins[10].height, 600.0f);
    EXPECT_EQ(demo.layerCount, 3);
    EXPECT_TRUE(demo.layers[2].isLayer);
    EXPECT_EQ(demo.layers[2].TargetWidth(), 64);
    EXPECT_EQ(demo.layers[2].Target().screenY, 100);
    EXPECT_EQ(demo.layers[2].Target().screenH, 400);

    Object2D& glow = demo.GlowLayer();
    const RenderTarget& target = glow.Target();
    EXPECT_STREQ(glow.name, "glow");
    EXPECT_EQ(target.Width(), 32);
    EXPECT_EQ(target.Height(), 32);
    EXPECT_EQ(RenderTarget::kSourceTable[target.drawSource], GLenum(GL_ONE_MINUS_SRC_ALPHA));
    EXPECT_EQ(RenderTarget::kDestinationTable[target.drawDestination], GLenum(GL_ONE));
    EXPECT_EQ(RenderTarget::kSourceTable[target.darkSource], GLenum(GL_SRC_ALPHA));
    EXPECT_EQ(RenderTarget::kDestinationTable[target.darkDestination], GLenum(GL_SRC_ALPHA));
    EXPECT_FLOAT_EQ(target.blur, 0.14f);
    EXPECT_FLOAT_EQ(target.strength, 1.0f);
    EXPECT_EQ(target.screenY, 100);
    EXPECT_FALSE(target.active);
}

TEST_F(Composition, SkinSlotsDrawnByEachKindOfFrame)
{
    struct Case {
        int slot;
        bool normal, layersMode;
    } cases[] = {{0, false, true},  {1, true, true},   {15, true, true}, {16, false, true},
                 {17, true, true},  {31, true, true},  {32, false, false}};
    for (const Case& c : cases) {
        for (bool layersMode : {false, true}) {
            for (auto& enabled : demo.skinEnabled) enabled = 0;
            ShowSkin(c.slot, {1, 1, 1});
            demo.layersMode = layersMode;
            demo.RenderFrame();
            const bool drawn = ReadPixel(400, 300).r > 128;
            EXPECT_EQ(drawn, layersMode ? c.layersMode : c.normal)
                << "skin slot " << c.slot << (layersMode ? " in layers mode" : " in the normal frame");
        }
    }
}

TEST_F(Composition, EnabledFlashesAreDrawnInBothKindsOfFrame)
{
    for (bool layersMode : {false, true}) {
        Object2D& flash = demo.flashes[9];
        flash.SetColour(0, 1, 0);
        flash.SetBlendMode(3);
        flash.Start();
        flash.alpha = 1.0f;
        demo.flashEnabled[9] = 1;
        demo.layersMode = layersMode;
        demo.RenderFrame();
        EXPECT_TRUE(Near(ReadPixel(400, 300), {0, 1, 0})) << layersMode;
        demo.flashEnabled[9] = 0;
        demo.RenderFrame();
        EXPECT_TRUE(Near(ReadPixel(400, 300), {0, 0, 0})) << layersMode;
    }
}

TEST_F(Composition, LayersModeDrawsTheLayersUnderThe2DPass)
{
    Object2D& layer = demo.layers[2];  // beyond the script's single layer object: counted all the same
    FillLayer(layer, {1, 0, 0, 1});
    ShowSkin(5, {1, 1, 1}, 3, 0.5f);
    demo.layersMode = true;
    demo.RenderFrame();
    DumpFrame("layers_mode");
    EXPECT_TRUE(Near(ReadPixel(400, 300), {1, 0.5f, 0.5f})) << "half-white skin over the red layer";
    EXPECT_TRUE(Near(ReadPixel(400, 50), {0, 0, 0})) << "the layer covers the band only";

    // A normal frame switches every layer's capture off, and it stays off.
    demo.layersMode = false;
    demo.skinEnabled[5] = 0;
    demo.RenderFrame();
    EXPECT_FALSE(layer.Target().active);
    demo.layersMode = true;
    demo.RenderFrame();
    EXPECT_TRUE(Near(ReadPixel(400, 300), {0, 0, 0}));
}

TEST_F(Composition, TheGlowLayerDarkensTheFirstPassAndNotTheSecond)
{
    ShowSkin(1, {1, 1, 1});    // before the 3D view
    Object2D& glow = demo.GlowLayer();
    glow.SetSceneName("scene");
    glow.SetCameraName("camera");
    glow.ToggleLayer();
    glow.Start();

    demo.RenderFrame();
    EXPECT_TRUE(Near(ReadPixel(400, 300), {1, 1, 1})) << "glow off";
    demo.glowOn = true;
    demo.RenderFrame();
    // The glow's image is black (nothing rendered) and adds nothing; its darkening quad
    // keeps 14 per cent of the first pass.
    EXPECT_TRUE(Near(ReadPixel(400, 300), {0.14f, 0.14f, 0.14f}));
    ShowSkin(17, {0, 0, 1});   // after the glow
    demo.RenderFrame();
    EXPECT_TRUE(Near(ReadPixel(400, 300), {0, 0, 1}));
}

TEST_F(Composition, StepEffectsUpdatesTheEnabledSlotsItOwns)
{
    struct Case {
        Object2D* object;
        unsigned char* enable;  // null: the slot has no enable byte
        bool updated;
    } cases[] = {
        {&demo.flashes[0], nullptr, false},  // started but not enabled
        {&demo.flashes[9], &demo.flashEnabled[9], true},
        {&demo.flashes[10], nullptr, false},
        {&demo.skins[0], &demo.skinEnabled[0], true},
        {&demo.skins[30], &demo.skinEnabled[30], true},
        {&demo.skins[31], &demo.skinEnabled[31], false},
    };
    for (const Case& c : cases) {
        c.object->SetColour(1, 1, 1);
        c.object->Start();
        if (c.enable) *c.enable = 1;
    }
    demo.StepEffects();
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].object->alpha > 0.0f, cases[i].updated) << "case " << i;
}

}  // namespace
