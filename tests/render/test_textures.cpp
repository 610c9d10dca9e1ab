// Texture files from Data/: missing, odd-sized, greyscale and corrupt JPEGs, the upload
// rule for mipmaps, the alpha merge and the glow textures.
#include "../common/ImageFixtures.h"
#include "RenderFixtures.h"
#include "VEK_MeshDraw.h"
#include "VEK_RenderState.h"
#include "VEK_Textures.h"

namespace {
using namespace render;

class Textures : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        std::filesystem::create_directories(dir / "Data");
        chdir_ = std::make_unique<ScopedChdir>(dir.path());
    }
    void TearDown() override
    {
        chdir_.reset();
        RenderTest::TearDown();
    }
    void WriteData(const std::string& name, const std::string& bytes) { dir.write("Data/" + name, bytes); }

    static GLint MinFilter(GLuint texture)
    {
        GLint filter = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        return filter;
    }
    static GLint LevelWidth(GLuint texture, int level)
    {
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        return width;
    }

    TempDir dir;
    std::unique_ptr<ScopedChdir> chdir_;
};

TEST_F(Textures, MissingFileShowsOneMessageWithThePathAndDrawingGoesOn)
{
    Messages messages;
    auto material = MakeMaterial("m", {1, 1, 1, 1}, {1, 1, 1, 1});
    material->setTextureFile(0, "nothere.jpg");
    ASSERT_EQ(messages.all().size(), 1u);
    EXPECT_EQ(messages.all()[0].caption, "JPG Handler");
    EXPECT_EQ(messages.all()[0].text, "vek engine: Fatal Error,Cannont Find texture bitmap file Data/nothere.jpg");
    EXPECT_FALSE(material->image.loaded);
    UploadMaterialTexture(*material);
    EXPECT_EQ(material->textureName, 0u);
    auto quad = MakeQuads("q", {{-1, -1, 1, 1}}, material.get());
    DrawObject(*quad);
    EXPECT_TRUE(Near(Centre(), {1, 1, 1, 1})) << "drawn untextured in the current colour";
}

TEST_F(Textures, SquareImagesGetMipmapsOthersOneLinearLevel)
{
    WriteData("odd.jpg", fixtures::Jpeg(fixtures::Solid(3, 5, 200, 100, 50), 3, 5));
    WriteData("square.jpg", fixtures::Jpeg(fixtures::Solid(8, 8, 200, 100, 50), 8, 8));
    auto odd = MakeMaterial("odd", {1, 1, 1, 1}, {1, 1, 1, 1});
    auto square = MakeMaterial("square", {1, 1, 1, 1}, {1, 1, 1, 1});
    odd->setTextureFile(0, "odd.jpg");
    square->setTextureFile(0, "square.jpg");
    ASSERT_TRUE(odd->image.loaded);
    EXPECT_EQ(odd->image.width, 3u);
    EXPECT_EQ(odd->image.height, 5u);
    EXPECT_EQ(odd->image.pixels.size(), 3u * 5u * 3u);
    UploadMaterialTexture(*odd);
    UploadMaterialTexture(*square);
    EXPECT_EQ(MinFilter(odd->textureName), GL_LINEAR);
    EXPECT_EQ(LevelWidth(odd->textureName, 0), 3);
    EXPECT_EQ(LevelWidth(odd->textureName, 1), 0) << "no mipmaps for a 3 x 5 image";
    EXPECT_EQ(MinFilter(square->textureName), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(LevelWidth(square->textureName, 3), 1);
    // The 3 x 5 texture draws: every row of 9 bytes is read as it is stored.
    auto quad = MakeQuads("q", {{-1, -1, 1, 1}}, odd.get());
    DrawObject(*quad);
    EXPECT_TRUE(Near(Centre(), Bytes(200, 100, 50), 4));
}

TEST_F(Textures, GreyscaleJpegIsExpandedToRgb)
{
    WriteData("grey.jpg",
              fixtures::Jpeg(fixtures::Gradient(16, 16), 16, 16, fixtures::Kind::greyscale));
    TextureImage image;
    LoadTexture(image, "grey.jpg");
    ASSERT_TRUE(image.loaded);
    ASSERT_EQ(image.pixels.size(), 16u * 16u * 3u);
    bool anyGrey = false;
    for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
        EXPECT_EQ(image.pixels[i], image.pixels[i + 1]);
        EXPECT_EQ(image.pixels[i], image.pixels[i + 2]);
        anyGrey = anyGrey || image.pixels[i] > 0;
    }
    EXPECT_TRUE(anyGrey);
}

// A cut or corrupt image is left out whole, with one message naming it, however many
// materials name it.
TEST_F(Textures, CorruptJpegLoadsNothingAndIsReportedOnce)
{
    const std::string good = fixtures::Jpeg(fixtures::Solid(16, 16, 10, 20, 30), 16, 16);
    WriteData("header.jpg", good.substr(0, 40));
    WriteData("noise.jpg", std::string(300, '\x5a'));
    WriteData("cut.jpg", good.substr(0, good.size() / 2));
    Messages messages;
    for (const char* name : {"header.jpg", "noise.jpg", "cut.jpg"}) {
        SCOPED_TRACE(name);
        auto material = MakeMaterial("m", {1, 1, 1, 1}, {1, 1, 1, 1});
        material->setTextureFile(0, name);
        EXPECT_FALSE(material->image.loaded);
        UploadMaterialTexture(*material);
        EXPECT_EQ(material->textureName, 0u);
        auto quad = MakeQuads("q", {{-1, -1, 1, 1}}, material.get());
        DrawObject(*quad);
        auto again = MakeMaterial("again", {1, 1, 1, 1}, {1, 1, 1, 1});
        again->setTextureFile(0, name);
        EXPECT_FALSE(again->image.loaded);
    }
    ASSERT_EQ(messages.all().size(), 3u);
    const char* reasons[] = {"Premature end of JPEG file", "Not a JPEG file", "Premature end of JPEG file"};
    const char* names[] = {"header.jpg", "noise.jpg", "cut.jpg"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(messages.all()[i].caption, "JPG Handler");
        EXPECT_EQ(messages.all()[i].text.rfind(std::string("vek engine: texture file Data/") + names[i] +
                                                   " is damaged and was not loaded (" + reasons[i], 0),
                  0u)
            << messages.all()[i].text;
    }
}

TEST_F(Textures, AlphaMergeTakesSubMaterialOnesRedAndRefusesTallImages)
{
    auto material = MakeMaterial("m", {1, 1, 1, 1}, {1, 1, 1, 1});
    FillImage(*material, Bytes(10, 20, 30), 2, 2);
    AddSub(*material, 1, Bytes(77, 0, 0));
    FillImage(*material->slot(1), Bytes(77, 1, 2), 2, 2);
    UploadMaterialTexture(*material);
    MergeAlpha(*material);
    ASSERT_TRUE(material->rgbaDone);
    ASSERT_EQ(material->image.pixels.size(), 16u);
    EXPECT_EQ(material->image.pixels[0], 10);
    EXPECT_EQ(material->image.pixels[3], 77);
    GLint alphaSize = 0;
    glBindTexture(GL_TEXTURE_2D, material->textureName);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaSize);
    EXPECT_GT(alphaSize, 0);

    auto tall = MakeMaterial("tall", {1, 1, 1, 1}, {1, 1, 1, 1});
    FillImage(*tall, Bytes(10, 20, 30), 1, 2048);
    AddSub(*tall, 1, Bytes(77, 0, 0));
    FillImage(*tall->slot(1), Bytes(77, 0, 0), 1, 2048);
    UploadMaterialTexture(*tall);
    MergeAlpha(*tall);
    EXPECT_FALSE(tall->rgbaDone);
    EXPECT_EQ(tall->image.pixels.size(), 2048u * 3u);

    auto small = MakeMaterial("small", {1, 1, 1, 1}, {1, 1, 1, 1});
    FillImage(*small, Bytes(10, 20, 30), 4, 4);
    AddSub(*small, 1, Bytes(77, 0, 0));
    FillImage(*small->slot(1), Bytes(77, 0, 0), 2, 2);
    MergeAlpha(*small);
    EXPECT_FALSE(small->rgbaDone) << "sub-material 1's image is too small";
}

TEST_F(Textures, GlowTexturesOfEachLightAndAWhiteOneForAMissingImage)
{
    WriteData("raw1.bin", fixtures::Jpeg(fixtures::Solid(8, 4, 250, 200, 100), 8, 4));
    Messages messages;
    const float colour[3] = {1, 1, 1};
    OmniLight first("Omni01", colour, 1, Vector3(0, 0, 0), GL_LIGHT0);
    OmniLight second("Omni02", colour, 1, Vector3(0, 0, 0), GL_LIGHT1);
    CreateGlowTextures(first);
    CreateGlowTextures(second);
    EXPECT_EQ(messages.Count("JPG Handler", "vek engine: Fatal Error,Cannont Find texture bitmap file Data/raw2.bin"),
              1) << "each light decodes its own copy; the missing file is reported once";
    EXPECT_EQ(messages.all().size(), 1u);
    EXPECT_NE(first.glowTexture1, second.glowTexture1);
    EXPECT_EQ(LevelWidth(first.glowTexture1, 0), 8);
    EXPECT_EQ(MinFilter(first.glowTexture1), GL_LINEAR);
    EXPECT_EQ(LevelWidth(first.glowTexture2, 0), 1);
    unsigned char texel[3] = {};
    glBindTexture(GL_TEXTURE_2D, first.glowTexture2);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[0], 255);
    EXPECT_EQ(texel[2], 255);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), first.glowTexture2);
}

}  // namespace

namespace {
using namespace render;

class Capabilities : public RenderTest {
protected:
    void TearDown() override
    {
        UseDriverExtensions();
        RenderTest::TearDown();
    }
};

TEST_F(Capabilities, EveryMaterialWarnsWhenTheDriverHasNoSecondUnit)
{
    Messages messages;
    UseExtensionsForTest("GL_ARB_texture_env_combine GL_EXT_multitexture_like");
    for (int i = 0; i < 10; ++i) MakeMaterial("m" + std::to_string(i), {1, 1, 1, 1}, {1, 1, 1, 1});
    EXPECT_EQ(messages.Count("vek Warning!", "vek engine: Warning. There's no second texture unit on this client"), 10);
    EXPECT_EQ(messages.all().size(), 10u);
}

TEST_F(Capabilities, DriverWithMultitextureResolvesTheEntryPointsQuietly)
{
    Messages messages;
    UseExtensionsForTest("GL_EXT_other NV_REGISTER_COMBINERS");
    MakeMaterial("m", {1, 1, 1, 1}, {1, 1, 1, 1});
    EXPECT_TRUE(messages.all().empty());
    EXPECT_TRUE(rgl::HasMultitexture());
}

TEST_F(Capabilities, NoExtensionStringEndsTheProcessWithMinusTwo)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            UseExtensionsForTest(nullptr);
            MakeMaterial("m", {1, 1, 1, 1}, {1, 1, 1, 1});
        },
        ::testing::ExitedWithCode(254),
        "\\[K3D Loading ERROR\\] vek engine: Fatal Error, glGetstring\\(GL_EXTENSIONS\\) failed, could not determine GL "
        "extensions");
}

}  // namespace
