#include "LayerFixtures.h"

#include "../common/PngWriter.h"
#include "VEK_JpegWriter.h"
#include "vekPlatform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace layers {
namespace {
constexpr int kWidth = 800;
constexpr int kHeight = 600;

int ToByte(float value) { return int(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); }
}  // namespace

Colour Clamped(Colour colour)
{
    colour.r = std::clamp(colour.r, 0.0f, 1.0f);
    colour.g = std::clamp(colour.g, 0.0f, 1.0f);
    colour.b = std::clamp(colour.b, 0.0f, 1.0f);
    colour.a = std::clamp(colour.a, 0.0f, 1.0f);
    return colour;
}

::testing::AssertionResult Near(const Pixel& pixel, const Colour& expected, int tolerance)
{
    const int r = ToByte(expected.r), g = ToByte(expected.g), b = ToByte(expected.b);
    if (std::abs(pixel.r - r) <= tolerance && std::abs(pixel.g - g) <= tolerance && std::abs(pixel.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << pixel.r << ", " << pixel.g << ", " << pixel.b
                                         << ") expected (" << r << ", " << g << ", " << b << ") within " << tolerance;
}

void GLTest::SetUpTestSuite()
{
    ASSERT_TRUE(plat::Init());
    ASSERT_EQ(plat::OpenWindow("2D layer tests", kWidth, kHeight, 32, false), plat::WindowResult::ok);
}

void GLTest::TearDownTestSuite()
{
    plat::CloseWindow();
    plat::Quit();
}

void GLTest::SetUp()
{
    ASSERT_TRUE(plat::HasWindow());
    glViewport(0, 0, kWidth, kHeight);
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glLoadIdentity();
    }
    for (GLenum state : {GL_BLEND, GL_LIGHTING, GL_COLOR_MATERIAL, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_FOG, GL_ALPHA_TEST,
                         GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_SCISSOR_TEST, GL_CULL_FACE})
        glDisable(state);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthMask(GL_TRUE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    ClearScreen({0, 0, 0, 1});
}

void GLTest::ClearScreen(const Colour& colour)
{
    glClearColor(colour.r, colour.g, colour.b, colour.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Pixel GLTest::ReadPixel(int x, int y)
{
    unsigned char rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

Pixel GLTest::TexturePixel(GLuint texture, int width, int x, int y)
{
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> rgba(std::size_t(width) * std::size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const unsigned char* p = &rgba[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void GLTest::DumpFrame(const std::string& name)
{
    const char* folder = std::getenv("VEK_DUMP_FRAMES");
    if (!folder || !*folder) return;
    std::vector<unsigned char> rgb(std::size_t(kWidth) * kHeight * 3), flipped(rgb.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    const std::size_t row = std::size_t(kWidth) * 3;
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(&rgb[std::size_t(kHeight - 1 - y) * row], row, &flipped[std::size_t(y) * row]);
    std::filesystem::create_directories(folder);
    fixtures::WritePng((std::filesystem::path(folder) / (name + ".png")).string(), flipped.data(), kWidth, kHeight);
}

Messages::Messages() { plat::SetMessageHook(Hook, this); }
Messages::~Messages() { plat::SetMessageHook(nullptr, nullptr); }

void Messages::Hook(const char* caption, const char* text, void* self)
{
    static_cast<Messages*>(self)->messages_.push_back({caption ? caption : "", text ? text : ""});
}

int Messages::Count(const std::string& text) const
{
    return int(std::count_if(messages_.begin(), messages_.end(), [&](const Message& m) { return m.text == text; }));
}

void WriteSolidJpeg(const std::filesystem::path& path, int side, std::array<unsigned char, 3> rgb)
{
    WriteQuadrantJpeg(path, side, {rgb, rgb, rgb, rgb});
}

void WriteQuadrantJpeg(const std::filesystem::path& path, int side, const std::array<std::array<unsigned char, 3>, 4>& rgb)
{
    std::vector<unsigned char> pixels(std::size_t(side) * std::size_t(side) * 3);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const auto& colour = rgb[(y < side / 2 ? 0 : 2) + (x < side / 2 ? 0 : 1)];
            std::copy(colour.begin(), colour.end(), &pixels[(std::size_t(y) * std::size_t(side) + std::size_t(x)) * 3]);
        }
    JpegWriteOptions options;
    options.quality = 100;
    ASSERT_TRUE(WriteJpegFile(path.string(), pixels.data(), uint32_t(side), uint32_t(side), options));
}

}  // namespace layers
