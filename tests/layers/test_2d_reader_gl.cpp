// The engine2D reader setting objects up in a GL context: skins packed and loaded, the
// skin messages, shared skin slots, layers with their render targets.
#include "LayerFixtures.h"
#include "VEK_2D_Script.h"
#include "VEK_2D_Text.h"
#include "VEK_K2DText.h"

namespace {

class Reader2D : public layers::GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        gltest::WriteSolidJpeg(dir / "base.jpg", 16, {200, 100, 50});
        gltest::WriteSolidJpeg(dir / "mask.jpg", 16, {128, 128, 128});
    }
    int Read(const std::string& objects)
    {
        dir.write("demotest.xml", "<demoproject><engine2D>" + objects + "</engine2D></demoproject>");
        return script2d::Read2DScript("demotest.xml", {flashes, skins, layers});
    }

    TempDir dir;
    ScopedChdir in{dir.path()};
    Object2D flashes[script2d::kFlashSlots], skins[script2d::kSkinSlots], layers[script2d::kLayerSlots];
};

TEST_F(Reader2D, SetsUpFlashesSkinsAndLayers)
{
    const int layerCount = Read(
        R"(<object class="flash" name="bright" fadein="0.3" fadeout="0.1" blendfunc="4"><color r="1" g="0.5" b="0"/></object>
           <object class="skin" name="masked" z="5" file="masked.k2d" import="1" texturefile="base.jpg" texturemaskfile="mask.jpg" blendfunc="2"/>
           <object class="layer" name="trail"><layer z="1" xres="128" yres="64" blenda="13" blendb="7" blur="0.3" strenght="0.7"/></object>)");
    EXPECT_EQ(layerCount, 2);

    const Object2D& flash = flashes[0];
    EXPECT_STREQ(flash.name, "bright");
    EXPECT_FLOAT_EQ(flash.fadeInSpeed, 0.3f);
    EXPECT_FLOAT_EQ(flash.fadeOutSpeed, 0.1f);
    EXPECT_EQ(flash.blendFunc, 4);
    EXPECT_FLOAT_EQ(flash.green, 0.5f);
    EXPECT_TRUE(flash.finished);
    EXPECT_FALSE(flash.active);

    const Object2D& skin = skins[5];
    EXPECT_STREQ(skin.name, "masked");
    EXPECT_TRUE(std::filesystem::exists(dir / "masked.k2d")) << "import=\"1\" packs the JPEGs first";
    EXPECT_TRUE(skin.skin.hasBase);
    EXPECT_TRUE(skin.skin.hasMask);
    EXPECT_EQ(skin.skin.base.width, 16u);
    EXPECT_FLOAT_EQ(skin.fadeInSpeed, 0.14f) << "absent speeds keep the default";

    Object2D& layer = layers[1];
    EXPECT_STREQ(layer.name, "trail");
    EXPECT_TRUE(layer.isLayer);
    EXPECT_TRUE(layer.Target().IsReady());
    EXPECT_FALSE(layer.Target().active);
    EXPECT_EQ(layer.TargetWidth(), 128);
    EXPECT_EQ(layer.TargetHeight(), 64);
    EXPECT_EQ(layer.Target().drawSource, 5);
    EXPECT_EQ(layer.Target().drawDestination, 0);
    EXPECT_FLOAT_EQ(layer.Target().blur, 0.3f);
    EXPECT_FLOAT_EQ(layer.Target().strength, 0.7f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Reader2D, ASkinWithoutFileOrJpegIsReportedAndLoadsNothing)
{
    gltest::Messages messages;
    Read(R"(<object class="skin" name="nofile" z="1" texturefile="base.jpg" import="1"/>
            <object class="skin" name="nojpeg" z="2" file="base.k2d"/>)");
    ASSERT_EQ(messages.all().size(), 2u) << "no file is opened or written without its name";
    EXPECT_EQ(messages.all()[0].caption, text2d::kScriptCaption);
    EXPECT_EQ(messages.all()[0].text, text2d::kNoSkinFile);
    EXPECT_EQ(messages.all()[1].text, text2d::kNoSkinTexture);
    for (int slot : {1, 2}) {
        EXPECT_FALSE(skins[slot].skin.hasBase) << slot;
        EXPECT_TRUE(skins[slot].finished) << "still set up as a fader: " << slot;
    }
    EXPECT_STREQ(skins[2].name, "nojpeg");
}

TEST_F(Reader2D, AMissingSkinFileIsReportedByTheLoader)
{
    gltest::Messages messages;
    Read(R"(<object class="skin" name="lost" z="3" file="lost.k2d" texturefile="base.jpg"/>)");
    EXPECT_EQ(messages.Count(k2d::text::kSceneNotFound), 1);
    EXPECT_FALSE(skins[3].skin.hasBase);
}

TEST_F(Reader2D, TheLaterSkinWithTheSameZWins)
{
    Read(R"(<object class="skin" name="first" z="4" file="first.k2d" import="1" texturefile="base.jpg" texturemaskfile="mask.jpg"/>
            <object class="skin" name="second" z="4" file="second.k2d" import="1" texturefile="base.jpg" blendfunc="3"/>)");
    EXPECT_STREQ(skins[4].name, "second");
    EXPECT_TRUE(skins[4].skin.hasBase);
    EXPECT_FALSE(skins[4].skin.hasMask) << "the first skin's mask went with it";
    EXPECT_EQ(skins[4].blendFunc, 3);
}

TEST_F(Reader2D, SlotProblemsAndSurplusFlashesAreReportedAndWriteNothing)
{
    gltest::Messages messages;
    std::string objects = R"(<object class="skin" name="far" z="40" file="x.k2d" texturefile="base.jpg"/>)";
    for (int i = 0; i < 17; ++i) objects += R"(<object class="flash" name="f)" + std::to_string(i) + R"("/>)";
    Read(objects);
    ASSERT_EQ(messages.all().size(), 2u);
    EXPECT_NE(messages.all()[0].text.find("'far'"), std::string::npos);
    EXPECT_EQ(messages.all()[1].text, "engine2D: the script has 17 flashes; only the first 16 are used.");
    EXPECT_STREQ(flashes[15].name, "f15");
    for (const Object2D& skin : skins) EXPECT_STREQ(skin.name, "");
}

// Each layer element for a slot replaces the one before, so only the last one's surface
// is built: thousands of repeats cost one framebuffer object per slot.
TEST_F(Reader2D, ARepeatedLayerSlotBuildsItsSurfaceOnce)
{
    std::string objects;
    for (int i = 0; i < 2000; ++i)
        objects += "<object class=\"layer\" name=\"rep" + std::to_string(i) + "\"><layer z=\"0\" xres=\"32\" yres=\"32\"/></object>";
    objects += R"(<object class="layer" name="other"><layer z="2" xres="16" yres="16"/></object>
                  <object class="layer" name="last"><layer z="0" xres="128" yres="64" blur="0.4"/></object>)";
    const long before = RenderTarget::SurfacesCreated();
    EXPECT_EQ(Read(objects), 3);
    EXPECT_EQ(RenderTarget::SurfacesCreated() - before, 2);
    EXPECT_STREQ(layers[0].name, "last");
    EXPECT_TRUE(layers[0].Target().IsReady());
    EXPECT_EQ(layers[0].TargetWidth(), 128);
    EXPECT_EQ(layers[0].TargetHeight(), 64);
    EXPECT_FLOAT_EQ(layers[0].Target().blur, 0.4f);
    EXPECT_STREQ(layers[2].name, "other");
    EXPECT_TRUE(layers[2].Target().IsReady());
    EXPECT_FALSE(layers[1].isLayer);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
