// Drawing flashes and skins in an off-screen window; pixels are checked against the
// blend equations.
#include "LayerFixtures.h"
#include "VEK_2D_Effect.h"
#include "VEK_K2DPack.h"

namespace {
using gltest::RGBA;
using gltest::Near;

class Drawing2D : public layers::GLTest {
protected:
    // A flash over the whole 800 x 600 window at the given alpha and blend mode.
    static void DrawFlash(const RGBA& colour, int mode, float alpha, float height = 600)
    {
        Object2D flash;
        flash.SetUpFader(800, height);
        flash.SetColour(colour.r, colour.g, colour.b);
        flash.SetBlendMode(mode);
        flash.Start();
        flash.alpha = alpha;
        flash.Draw();
    }

    // A skin file made of JPEGs written here; the mask is optional.
    std::string SkinFile(const std::filesystem::path& base, const std::filesystem::path* mask)
    {
        const std::string path = (dir / "skin.k2d").string();
        EXPECT_TRUE(k2d::WriteSkin(path.c_str(), base.c_str(), mask ? mask->c_str() : nullptr).ok());
        return path;
    }

    TempDir dir;
};

TEST_F(Drawing2D, FlashBlendModesOverAKnownBackground)
{
    const RGBA background{0.2f, 0.4f, 0.6f};
    const RGBA flash{0.8f, 0.5f, 0.3f};
    const float a = 0.5f;
    auto mix = [&](auto source, auto destination) {
        return gltest::Clamp({flash.r * source(flash.r) + background.r * destination(background.r, flash.r),
                                flash.g * source(flash.g) + background.g * destination(background.g, flash.g),
                                flash.b * source(flash.b) + background.b * destination(background.b, flash.b)});
    };
    auto alpha = [&](float) { return a; };
    struct Case {
        int mode;
        RGBA expected;
    } cases[] = {
        {0, mix(alpha, [](float, float) { return 1.0f; })},
        {1, mix(alpha, [](float, float s) { return 1.0f - s; })},
        {2, mix(alpha, [](float d, float) { return d; })},
        {3, mix(alpha, [&](float, float) { return 1.0f - a; })},
        {4, mix(alpha, [&](float, float) { return a; })},
        {5, mix([](float s) { return 1.0f - s; }, [&](float, float) { return 1.0f - a; })},
    };
    for (const Case& c : cases) {
        Clear(background);
        DrawFlash(flash, c.mode, a);
        EXPECT_TRUE(Near(ReadPixel(400, 300), c.expected)) << "mode " << c.mode;
        EXPECT_TRUE(Near(ReadPixel(2, 597), c.expected)) << "mode " << c.mode << ", corner";
    }
}

TEST_F(Drawing2D, OtherBlendModesKeepTheBlendFunctionOfThePreviousDrawing)
{
    const RGBA background{0.2f, 0.4f, 0.6f};
    const RGBA flash{0.8f, 0.5f, 0.3f};
    for (int mode : {6, 255, 256, -1}) {
        Clear(background);
        glBlendFunc(GL_ONE, GL_ZERO);  // what the previous drawing left: replace
        DrawFlash(flash, mode, 0.5f);
        EXPECT_TRUE(Near(ReadPixel(400, 300), flash)) << "mode " << mode;
        GLint source = 0;
        glGetIntegerv(GL_BLEND_SRC, &source);
        EXPECT_EQ(source, GL_ONE) << "mode " << mode;
    }
}

TEST_F(Drawing2D, AnAreaWithoutHeightDrawsNothing)
{
    const RGBA background{0.2f, 0.4f, 0.6f};
    Clear(background);
    DrawFlash({1, 1, 1}, 0, 1.0f, 0.0f);  // a project without a band
    EXPECT_TRUE(Near(ReadPixel(400, 300), background));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Drawing2D, InactiveObjectsAreNotDrawn)
{
    Object2D flash;
    flash.SetUpFader(800, 600);
    flash.SetColour(1, 1, 1);
    flash.alpha = 1.0f;  // alpha alone does not draw: Start does
    flash.Draw();
    EXPECT_TRUE(Near(ReadPixel(400, 300), {0, 0, 0}));
}

TEST_F(Drawing2D, BaseImageIsShownUprightInTheObjectColour)
{
    const std::array<std::array<unsigned char, 3>, 4> quadrants{{{250, 20, 20}, {20, 250, 20}, {20, 20, 250}, {250, 250, 250}}};
    gltest::WriteQuadrantJpeg(dir / "base.jpg", 64, quadrants);
    Object2D skin;
    skin.SetUpFader(800, 600);
    skin.SetColour(1.0f, 1.0f, 0.5f);
    skin.SetBlendMode(3);
    ASSERT_TRUE(skin.LoadSkin(SkinFile(dir / "base.jpg", nullptr).c_str(), false));
    ASSERT_TRUE(skin.skin.hasBase);
    ASSERT_FALSE(skin.skin.hasMask);
    skin.Start();
    skin.alpha = 1.0f;
    skin.Draw();
    DumpFrame("skin_upright");

    // Window y grows upwards: the image's top-left quadrant belongs at the upper left.
    const struct {
        int x, y, quadrant;
    } probes[] = {{200, 450, 0}, {600, 450, 1}, {200, 150, 2}, {600, 150, 3}};
    for (const auto& probe : probes) {
        const auto& rgb = quadrants[probe.quadrant];
        const RGBA expected{rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f * 0.5f};  // tinted by the colour
        EXPECT_TRUE(Near(ReadPixel(probe.x, probe.y), expected, 4)) << "quadrant " << probe.quadrant;
    }
}

TEST_F(Drawing2D, MaskedSkinAtAlphaZeroAndOne)
{
    const std::array<unsigned char, 3> base{200, 60, 30}, mask{128, 64, 255};
    gltest::WriteSolidJpeg(dir / "base.jpg", 32, base);
    gltest::WriteSolidJpeg(dir / "mask.jpg", 32, mask);
    const std::filesystem::path maskPath = dir / "mask.jpg";
    const std::string file = SkinFile(dir / "base.jpg", &maskPath);
    const RGBA background{0.8f, 0.6f, 0.4f};
    auto channel = [](unsigned char value) { return value / 255.0f; };

    struct Case {
        float alpha;
        RGBA expected;  // mask x background + (1 - alpha) x image
    } cases[] = {
        {0.0f, gltest::Clamp({background.r * channel(mask[0]) + channel(base[0]),
                                background.g * channel(mask[1]) + channel(base[1]),
                                background.b * channel(mask[2]) + channel(base[2])})},
        {1.0f, {background.r * channel(mask[0]), background.g * channel(mask[1]), background.b * channel(mask[2])}},
    };
    Object2D skin;
    skin.SetUpFader(800, 600);
    skin.SetColour(0.1f, 0.1f, 0.1f);  // not used by the masked technique
    skin.SetBlendMode(0);              // nor is the blend mode
    ASSERT_TRUE(skin.LoadSkin(file.c_str(), true));
    ASSERT_TRUE(skin.skin.hasMask);
    for (const Case& c : cases) {
        Clear(background);
        skin.Reset();
        skin.Start();
        skin.alpha = c.alpha;
        skin.Draw();
        DumpFrame(c.alpha == 0.0f ? "skin_masked_alpha0" : "skin_masked_alpha1");
        EXPECT_TRUE(Near(ReadPixel(400, 300), c.expected, 4)) << "alpha " << c.alpha;
    }
}

// The script names a mask, but the K2D file holds only the base image: the skin draws
// its image unmasked (its colour, alpha and blend mode) and says nothing. A file whose
// base image is not a JPEG gets the reader's message and draws as a flash of its colour.
TEST_F(Drawing2D, SkinFileWithoutMaskOrWithUnreadableBase)
{
    const std::array<unsigned char, 3> image{200, 100, 40};
    gltest::WriteSolidJpeg(dir / "base.jpg", 32, image);
    const std::string unmasked = SkinFile(dir / "base.jpg", nullptr);
    const std::string unreadable = (dir / "unreadable.k2d").string();
    {
        const std::string junk(300, 'x');
        std::string bytes = "5rb LayerText 2dEngine files";
        const uint32_t size = uint32_t(junk.size());
        for (int i = 0; i < 4; ++i) bytes += char((size >> (8 * i)) & 0xFF);
        dir.write("unreadable.k2d", bytes + junk + '\xFF');
    }
    const RGBA background{0.2f, 0.4f, 0.6f};
    const RGBA colour{1.0f, 0.5f, 1.0f};
    const float a = 0.75f;
    auto over = [&](const RGBA& source) {  // blend mode 3: source x a + destination x (1 - a)
        return gltest::Clamp({source.r * a + background.r * (1 - a), source.g * a + background.g * (1 - a),
                                source.b * a + background.b * (1 - a)});
    };
    const struct {
        const char* what;
        const std::string& file;
        bool hasBase;
        RGBA expected;
        int messages;
    } cases[] = {
        {"no mask stored", unmasked, true,
         over({image[0] / 255.0f * colour.r, image[1] / 255.0f * colour.g, image[2] / 255.0f * colour.b}), 0},
        {"unreadable base", unreadable, false, over(colour), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gltest::Messages shown;
        Object2D skin;
        skin.SetUpFader(800, 600);
        skin.SetColour(colour.r, colour.g, colour.b);
        skin.SetBlendMode(3);
        skin.LoadSkin(c.file.c_str(), true);
        EXPECT_EQ(skin.skin.hasBase, c.hasBase);
        EXPECT_FALSE(skin.skin.hasMask);
        ASSERT_EQ(int(shown.all().size()), c.messages);
        if (c.messages > 0) {
            EXPECT_EQ(shown.all()[0].caption, "K2D Loading ERROR");
            EXPECT_NE(shown.all()[0].text.find("image 0 is not a readable JPEG"), std::string::npos) << shown.all()[0].text;
        }
        Clear(background);
        skin.Start();
        skin.alpha = a;
        skin.Draw();
        EXPECT_TRUE(Near(ReadPixel(400, 300), c.expected, 4));
        EXPECT_TRUE(Near(ReadPixel(30, 570), c.expected, 4)) << "near the top-left corner";
    }
}

TEST_F(Drawing2D, MaskedSkinDrawsTexturedEvenAfterTexturingWasSwitchedOff)
{
    gltest::WriteSolidJpeg(dir / "base.jpg", 32, {0, 0, 0});
    gltest::WriteSolidJpeg(dir / "mask.jpg", 32, {0, 0, 0});
    const std::filesystem::path maskPath = dir / "mask.jpg";
    Object2D skin;
    skin.SetUpFader(800, 600);
    skin.SetColour(1, 1, 1);
    ASSERT_TRUE(skin.LoadSkin(SkinFile(dir / "base.jpg", &maskPath).c_str(), true));
    Clear({1, 1, 1});
    glDisable(GL_TEXTURE_2D);  // as a layer's darkening quad leaves it
    skin.Start();
    skin.Draw();
    EXPECT_TRUE(Near(ReadPixel(400, 300), {0, 0, 0}, 4)) << "a black mask and a black image give black";
}

TEST_F(Drawing2D, DrawingLeavesTheStateTheNextDrawerExpects)
{
    glEnable(GL_BLEND);
    DrawFlash({1, 1, 1}, 0, 0.5f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    GLint modelviewDepth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);
    EXPECT_EQ(modelviewDepth, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
