// The K2D texture readers and the loading screen in a real GL context (the off-screen
// driver): texture set-up, sprite geometry and the rendered loading picture.
#include "ImageFixtures.h"
#include "PngWriter.h"
#include "TempDir.h"
#include "VEK_K2DTextures.h"
#include "VEK_LoadingScreen.h"
#include "VEK_SpriteSet.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {
using fixtures::Bytes;

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

class GLWindow : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(plat::Init());
        ASSERT_EQ(plat::OpenWindow("image tests", kScreenWidth, kScreenHeight, 32, false), plat::WindowResult::ok);
    }
    void TearDown() override
    {
        plat::CloseWindow();
        plat::Quit();
    }
};
[[maybe_unused]] const auto* const glWindow = ::testing::AddGlobalTestEnvironment(new GLWindow);

struct TextureState {
    GLint width = 0, height = 0, minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0;
};

TextureState StateOf(GLuint texture)
{
    TextureState state;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &state.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &state.height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &state.minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &state.magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &state.wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &state.wrapT);
    return state;
}

std::vector<unsigned char> TexturePixels(GLuint texture, const TextureState& state)
{
    std::vector<unsigned char> pixels(std::size_t(state.width) * std::size_t(state.height) * 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

bool SameAsImage(GLuint texture, const k2d::Image& image)
{
    const TextureState state = StateOf(texture);
    if (state.width != GLint(image.width) || state.height != GLint(image.height)) return false;
    const std::vector<unsigned char> pixels = TexturePixels(texture, state);
    return std::equal(pixels.begin(), pixels.end(), image.pixels.get());
}

class K2DTextures : public ::testing::Test {
protected:
    std::string Write(const char* name, const Bytes& bytes)
    {
        dir.write(name, bytes);
        return (dir / name).string();
    }
    TempDir dir;
    fixtures::MessageCapture messages;
};

TEST_F(K2DTextures, SkinFiltersFollowSmoothingExceptWithAMask)
{
    const Bytes base = fixtures::GradientJpeg(64, 32), mask = fixtures::GradientJpeg(16, 16);
    const std::string plain = Write("plain.k2d", fixtures::SkinFile(base));
    const std::string masked = Write("masked.k2d", fixtures::SkinFile(base, &mask));
    const struct {
        const std::string& path;
        bool withMask, smooth;
        GLint filter;
        bool hasMask;
    } cases[] = {
        {plain, false, true, GL_LINEAR, false},
        {plain, false, false, GL_NEAREST, false},
        {masked, true, false, GL_LINEAR, true},
        {plain, true, false, GL_NEAREST, false},  // a mask asked for, none stored: unmasked
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path == masked ? "masked" : "plain") + (c.withMask ? " read with mask" : "") +
                     (c.smooth ? ", smooth" : ", not smooth"));
        k2d::SkinTextures skin;
        ASSERT_TRUE(k2d::LoadSkin(c.path.c_str(), c.withMask, c.smooth, skin));
        EXPECT_TRUE(skin.hasBase);
        EXPECT_EQ(skin.hasMask, c.hasMask);
        ASSERT_NE(skin.textures[0], 0u);
        ASSERT_NE(skin.textures[1], 0u);
        const TextureState state = StateOf(skin.textures[0]);
        EXPECT_EQ(state.width, 64);
        EXPECT_EQ(state.height, 32);
        EXPECT_EQ(state.minFilter, c.filter);
        EXPECT_EQ(state.magFilter, c.filter);
        EXPECT_EQ(state.wrapS, GL_CLAMP);
        EXPECT_EQ(state.wrapT, GL_CLAMP);
        EXPECT_TRUE(SameAsImage(skin.textures[0], skin.base)) << "pixels are kept as uploaded";
        if (c.hasMask) {
            EXPECT_TRUE(SameAsImage(skin.textures[1], skin.mask));
            EXPECT_EQ(StateOf(skin.textures[1]).minFilter, GL_LINEAR);
        }
        glDeleteTextures(2, skin.textures);
    }
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(K2DTextures, DamagedSkinLoadsNoImage)
{
    const Bytes file = fixtures::K2DBuilder().Int32(100000).Raw(fixtures::GradientJpeg(8, 8)).bytes();
    k2d::SkinTextures skin;
    EXPECT_FALSE(k2d::LoadSkin(Write("bad.k2d", file).c_str(), false, true, skin));
    EXPECT_FALSE(skin.hasBase);
    EXPECT_EQ(skin.base.pixels, nullptr);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].caption, "K2D Loading ERROR");
    EXPECT_NE(messages.messages()[0].text.find("is damaged and was not loaded"), std::string::npos);
}

TEST_F(K2DTextures, LensFlaresGoToTheTextureOfTheirSlotAndThePixelBufferOfTheirRecord)
{
    const Bytes flare = fixtures::GradientJpeg(128, 128), small = fixtures::GradientJpeg(64, 64);
    const std::string path = Write("lens.k2d", fixtures::SlotsFile({{11, flare}, {2, small}, {0, flare}}));
    k2d::LensFlareTextures set;
    ASSERT_TRUE(k2d::LoadLensFlares(path.c_str(), set));
    for (GLuint texture : set.textures) EXPECT_NE(texture, 0u);
    EXPECT_TRUE(SameAsImage(set.textures[11], set.images[0]));
    EXPECT_TRUE(SameAsImage(set.textures[0], set.images[2]));
    EXPECT_EQ(set.images[1].pixels, nullptr) << "a 64 x 64 flare is refused";
    EXPECT_EQ(StateOf(set.textures[2]).width, 0);
    EXPECT_EQ(StateOf(set.textures[11]).wrapS, GL_CLAMP);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_NE(messages.messages()[0].text.find("image 1 is 64 x 64 pixels; this file needs 128 x 128"),
              std::string::npos);
    glDeleteTextures(k2d::kLensFlareTextures, set.textures);
}

TEST_F(K2DTextures, ParticlesGetOneTextureEachUpToThree)
{
    const Bytes a = fixtures::GradientJpeg(32, 32), b = fixtures::GradientJpeg(16, 8);
    const struct {
        std::vector<Bytes> images;
        int count;
        std::size_t messages;
    } cases[] = {
        {{}, 0, 0},
        {{a, b}, 2, 0},
        {{a, b, a, b, a}, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.images.size());
        messages.Clear();
        k2d::ParticleTextures particles;
        ASSERT_TRUE(k2d::LoadParticleImages(Write("p.k2d", fixtures::SequenceFile(c.images)).c_str(), particles));
        EXPECT_EQ(particles.count, c.count);
        EXPECT_EQ(messages.messages().size(), c.messages);
        for (int i = 0; i < particles.count; ++i) {
            const TextureState state = StateOf(particles.textures[i]);
            EXPECT_EQ(state.width, i % 2 ? 16 : 32);
            EXPECT_EQ(state.minFilter, GL_LINEAR);
            EXPECT_EQ(state.wrapS, GL_REPEAT) << "wrap stays at the default";
        }
        if (particles.count) glDeleteTextures(particles.count, particles.textures);
    }
}

// Sprites keep their geometry in integers, truncating as the loading screen expects.
TEST(SpriteGeometry, LoadingLayoutOfTheScreen)
{
    const LoadingSpriteLayout at800 = LoadingLayoutFor(800, 600);
    EXPECT_EQ(at800.width, 266);
    EXPECT_EQ(at800.height, 428);
    EXPECT_EQ(at800.x, 500);
    EXPECT_EQ(at800.y, 166);
    const LoadingSpriteLayout at1024 = LoadingLayoutFor(1024, 768);
    EXPECT_EQ(at1024.width, 341);
    EXPECT_EQ(at1024.height, 548);
    EXPECT_EQ(at1024.x, 640);
    EXPECT_EQ(at1024.y, 213);
}

TEST(SpriteGeometry, ScalingGivesTheRequestedSizeForAnyImageSize)
{
    for (uint32_t width : {1u, 3u, 100u, 256u, 300u, 333u, 1000u, 4096u})
        for (uint32_t height : {1u, 7u, 200u, 512u, 777u, 4096u}) {
            k2d::Image image;
            image.width = width;
            image.height = height;
            image.pixels.reset(new unsigned char[3]);
            Sprite sprite;
            sprite.TakeImage(std::move(image), 800, 600);
            sprite.ScaleToSize(266, 428);
            ASSERT_EQ(sprite.displayedWidth(), 266) << width << " x " << height;
            ASSERT_EQ(sprite.displayedHeight(), 428) << width << " x " << height;
        }
}

TEST(SpriteGeometry, CornersMeasureYFromTheTopOfTheScreen)
{
    k2d::Image image;
    image.width = 64;
    image.height = 128;
    image.pixels.reset(new unsigned char[3]);
    Sprite sprite;
    sprite.TakeImage(std::move(image), 800, 600);
    sprite.ScaleToSize(266, 428);
    sprite.SetPosition(500, 166, 0);
    EXPECT_EQ(sprite.corner(Sprite::topLeft).x, 500);
    EXPECT_EQ(sprite.corner(Sprite::topLeft).y, 434);
    EXPECT_EQ(sprite.corner(Sprite::bottomLeft).y, 6);
    EXPECT_EQ(sprite.corner(Sprite::bottomRight).x, 766);
    EXPECT_EQ(sprite.corner(Sprite::bottomRight).y, 6);
    EXPECT_EQ(sprite.corner(Sprite::topRight).x, 766);
    EXPECT_EQ(sprite.corner(Sprite::topRight).y, 434);

    sprite.SetCentred(true);
    sprite.SetPosition(400, 300, 0);
    EXPECT_EQ(sprite.x(), 400 - 133);
    EXPECT_EQ(sprite.y(), 300 - 214);
}

TEST(SpriteGeometry, SpriteWithoutImageIgnoresScaling)
{
    Sprite sprite;
    sprite.ScaleToSize(266, 428);  // must not divide by a zero image size
    EXPECT_EQ(sprite.displayedWidth(), 0);
    EXPECT_FALSE(sprite.HasImage());
}

class LoadingScreen : public ::testing::Test {
protected:
    // The frame as GL holds it: rows bottom first.
    std::vector<unsigned char> ReadFrame()
    {
        std::vector<unsigned char> pixels(std::size_t(kScreenWidth) * kScreenHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kScreenWidth, kScreenHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // x from the left, y from the bottom, as GL counts.
    static const unsigned char* At(const std::vector<unsigned char>& frame, int x, int y)
    {
        return &frame[(std::size_t(y) * kScreenWidth + std::size_t(x)) * 3];
    }
    static void SavePng(const std::vector<unsigned char>& frame, const std::string& name)
    {
        std::vector<unsigned char> topFirst(frame.size());
        const std::size_t row = std::size_t(kScreenWidth) * 3;
        for (int y = 0; y < kScreenHeight; ++y)
            std::copy_n(&frame[std::size_t(kScreenHeight - 1 - y) * row], row, &topFirst[std::size_t(y) * row]);
        fixtures::WritePng(std::string(VEK_TEST_OUTPUT_DIR) + "/" + name, topFirst.data(), kScreenWidth, kScreenHeight);
    }

    TempDir dir;
    ScopedChdir inShow{dir.path()};
    fixtures::MessageCapture messages;
};

void ExpectColour(const unsigned char* pixel, int r, int g, int b, const char* where)
{
    EXPECT_NEAR(pixel[0], r, 8) << where;
    EXPECT_NEAR(pixel[1], g, 8) << where;
    EXPECT_NEAR(pixel[2], b, 8) << where;
}

// The picture's upper half is red, its lower half blue: on screen the sprite must stand
// upright at (500, 166) from the top-left, 266 x 428, tinted to 70 %, on black.
TEST_F(LoadingScreen, ShowsSlotZeroUprightTintedAtItsPlace)
{
    std::vector<unsigned char> picture = fixtures::Solid(64, 128, 220, 40, 40);
    const auto blue = fixtures::Solid(64, 64, 40, 60, 220);
    std::copy(blue.begin(), blue.end(), picture.begin() + 64 * 64 * 3);
    dir.write("escena/load.k2d", fixtures::SlotsFile({{0, fixtures::Jpeg(picture, 64, 128)}}));

    SpriteSet sprites;
    ShowLoadingScreen(sprites, kScreenWidth, kScreenHeight, 32);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(sprites.loadedCount(), 1);
    const Sprite& sprite = sprites.sprite(0);
    EXPECT_EQ(sprite.displayedWidth(), 266);
    EXPECT_EQ(sprite.displayedHeight(), 428);
    EXPECT_EQ(sprite.x(), 500);
    EXPECT_EQ(sprite.y(), 166);
    EXPECT_FLOAT_EQ(sprite.tint(), 0.7f);
    EXPECT_FLOAT_EQ(sprite.alpha(), 1.0f);

    DrawLoadingScreen(sprites, kScreenWidth, kScreenHeight);
    const std::vector<unsigned char> frame = ReadFrame();
    SavePng(frame, "loading_screen.png");
    // GL rows count from the bottom: the sprite covers x 500..765 and y 6..433.
    ExpectColour(At(frame, 633, 400), 154, 28, 28, "upper half: red at 70 %");
    ExpectColour(At(frame, 633, 40), 28, 42, 154, "lower half: blue at 70 %");
    ExpectColour(At(frame, 502, 430), 154, 28, 28, "near the top-left corner");
    ExpectColour(At(frame, 763, 9), 28, 42, 154, "near the bottom-right corner");
    for (auto [x, y] : {std::pair{498, 300}, {768, 300}, {633, 436}, {633, 3}, {100, 100}, {400, 590}})
        ExpectColour(At(frame, x, y), 0, 0, 0, "outside the sprite");
    plat::SwapWindow();
}

TEST_F(LoadingScreen, DrawingLeavesTheGLStateAsItWas)
{
    dir.write("escena/load.k2d", fixtures::SlotsFile({{0, fixtures::GradientJpeg(16, 16)}}));
    SpriteSet sprites;
    ShowLoadingScreen(sprites, kScreenWidth, kScreenHeight, 32);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    sprites.Draw();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites) << "the 3D engine draws next and needs depth writes";
}

TEST_F(LoadingScreen, MissingFileIsReportedAndTheScreenStaysBlack)
{
    SpriteSet sprites;
    ShowLoadingScreen(sprites, kScreenWidth, kScreenHeight, 32);
    EXPECT_TRUE(messages.Saw("K2D Loading ERROR", "K2D Scene File Not Founde."));
    EXPECT_EQ(sprites.loadedCount(), 0);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    DrawLoadingScreen(sprites, kScreenWidth, kScreenHeight);
    const std::vector<unsigned char> frame = ReadFrame();
    EXPECT_EQ(*std::max_element(frame.begin(), frame.end()), 0) << "the black quad covers the whole window";
}

// Slot n feeds sprite n: a second picture in slot 1 covers slot 0 (both are placed alike).
TEST_F(LoadingScreen, SlotOneIsDrawnOverSlotZero)
{
    dir.write("escena/load.k2d", fixtures::SlotsFile({{1, fixtures::Jpeg(fixtures::Solid(32, 32, 30, 200, 30), 32, 32)},
                                                      {0, fixtures::Jpeg(fixtures::Solid(32, 32, 220, 40, 40), 32, 32)}}));
    SpriteSet sprites;
    ShowLoadingScreen(sprites, kScreenWidth, kScreenHeight, 32);
    EXPECT_EQ(sprites.loadedCount(), 2);
    DrawLoadingScreen(sprites, kScreenWidth, kScreenHeight);
    ExpectColour(At(ReadFrame(), 633, 220), 21, 140, 21, "green of slot 1 at 70 %");
}

// The sample show's own picture, as vekcontent writes it: it fills the sprite's place and
// leaves the rest of the screen black.
TEST_F(LoadingScreen, SampleShowPictureIsShown)
{
    const std::string command = std::string(VEK_TEST_BIN_DIR) + "/vekcontent '" + dir.path().string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    SpriteSet sprites;
    ShowLoadingScreen(sprites, kScreenWidth, kScreenHeight, 32);
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_EQ(sprites.loadedCount(), 1);
    EXPECT_EQ(sprites.sprite(0).imageWidth(), 256);
    EXPECT_EQ(sprites.sprite(0).imageHeight(), 512);
    DrawLoadingScreen(sprites, kScreenWidth, kScreenHeight);
    const std::vector<unsigned char> frame = ReadFrame();
    SavePng(frame, "sample_loading_screen.png");
    long lit = 0;
    for (int y = 6; y < 434; ++y)
        for (int x = 500; x < 766; ++x) lit += At(frame, x, y)[2] > 20;
    EXPECT_GT(lit, 266 * 428 * 9 / 10) << "the night sky is never black";
    EXPECT_EQ(At(frame, 250, 300)[2], 0);
}

}  // namespace
