#include "GLTestSupport.h"

#include "../common/PngWriter.h"
#include "VEK_JpegWriter.h"
#include "vekPlatform.h"

#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gltest {
namespace {
int ToByte(float value) { return int(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); }

struct FramebufferApi {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
};

template <typename F>
void Find(F& function, const char* name)
{
    function = reinterpret_cast<F>(plat::GetGLProcAddress(name));
}

const FramebufferApi& Api()
{
    static FramebufferApi api = [] {
        FramebufferApi a;
        Find(a.genFramebuffers, "glGenFramebuffers");
        Find(a.deleteFramebuffers, "glDeleteFramebuffers");
        Find(a.bindFramebuffer, "glBindFramebuffer");
        Find(a.checkFramebufferStatus, "glCheckFramebufferStatus");
        Find(a.genRenderbuffers, "glGenRenderbuffers");
        Find(a.deleteRenderbuffers, "glDeleteRenderbuffers");
        Find(a.bindRenderbuffer, "glBindRenderbuffer");
        Find(a.renderbufferStorage, "glRenderbufferStorage");
        Find(a.framebufferRenderbuffer, "glFramebufferRenderbuffer");
        return a;
    }();
    return api;
}
}  // namespace

RGBA operator*(const RGBA& x, const RGBA& y) { return {x.r * y.r, x.g * y.g, x.b * y.b, x.a * y.a}; }
RGBA operator+(const RGBA& x, const RGBA& y) { return {x.r + y.r, x.g + y.g, x.b + y.b, x.a + y.a}; }
RGBA operator*(const RGBA& x, float s) { return {x.r * s, x.g * s, x.b * s, x.a * s}; }
RGBA Clamp(const RGBA& x)
{
    return {std::clamp(x.r, 0.0f, 1.0f), std::clamp(x.g, 0.0f, 1.0f), std::clamp(x.b, 0.0f, 1.0f),
            std::clamp(x.a, 0.0f, 1.0f)};
}
RGBA Bytes(int r, int g, int b, int a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f}; }

::testing::AssertionResult Near(const Pixel& pixel, const RGBA& expected, int tolerance)
{
    const int r = ToByte(expected.r), g = ToByte(expected.g), b = ToByte(expected.b);
    if (std::abs(pixel.r - r) <= tolerance && std::abs(pixel.g - g) <= tolerance && std::abs(pixel.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << pixel.r << ", " << pixel.g << ", " << pixel.b
                                         << ") expected (" << r << ", " << g << ", " << b << ") within " << tolerance;
}

::testing::AssertionResult Near(const Pixel& pixel, float r, float g, float b, int tolerance)
{
    return Near(pixel, RGBA{r, g, b, 1}, tolerance);
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

int Messages::Count(const std::string& caption, const std::string& text) const
{
    return int(std::count_if(messages_.begin(), messages_.end(),
                             [&](const Message& m) { return m.caption == caption && m.text == text; }));
}

int WindowTest::width_ = 0;
int WindowTest::height_ = 0;

void WindowTest::OpenWindow(const char* title, int width, int height)
{
    ASSERT_TRUE(plat::Init());
    ASSERT_EQ(plat::OpenWindow(title, width, height, 32, false), plat::WindowResult::ok);
    width_ = width;
    height_ = height;
}

void WindowTest::CloseWindow()
{
    plat::CloseWindow();
    plat::Quit();
}

void WindowTest::SetUp()
{
    ASSERT_TRUE(plat::HasWindow());
    glViewport(0, 0, width_, height_);
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glLoadIdentity();
    }
    for (GLenum state : {GL_BLEND, GL_LIGHTING, GL_COLOR_MATERIAL, GL_TEXTURE_2D, GL_FOG, GL_ALPHA_TEST,
                         GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_SCISSOR_TEST, GL_CULL_FACE, GL_DEPTH_TEST})
        glDisable(state);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthMask(GL_TRUE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void WindowTest::Clear(const RGBA& colour)
{
    glClearColor(colour.r, colour.g, colour.b, colour.a);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Pixel WindowTest::ReadPixel(int x, int y)
{
    unsigned char rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

Pixel WindowTest::TexturePixel(GLuint texture, int width, int x, int y)
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

void WindowTest::DumpFrame(const std::string& name)
{
    const char* folder = std::getenv("VEK_DUMP_FRAMES");
    if (!folder || !*folder) return;
    std::vector<unsigned char> rgb(std::size_t(width_) * std::size_t(height_) * 3), flipped(rgb.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    const std::size_t row = std::size_t(width_) * 3;
    for (int y = 0; y < height_; ++y)
        std::copy_n(&rgb[std::size_t(height_ - 1 - y) * row], row, &flipped[std::size_t(y) * row]);
    std::filesystem::create_directories(folder);
    fixtures::WritePng((std::filesystem::path(folder) / (name + ".png")).string(), flipped.data(), uint32_t(width_),
                       uint32_t(height_));
}

Framebuffer::Framebuffer(int width, int height) : width_(width), height_(height)
{
    const FramebufferApi& api = Api();
    if (!api.genFramebuffers || !api.framebufferRenderbuffer || !api.renderbufferStorage) return;
    api.genFramebuffers(1, &framebuffer_);
    api.genRenderbuffers(1, &colour_);
    api.genRenderbuffers(1, &depth_);
    api.bindRenderbuffer(GL_RENDERBUFFER, colour_);
    api.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    api.bindRenderbuffer(GL_RENDERBUFFER, depth_);
    api.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    api.bindRenderbuffer(GL_RENDERBUFFER, 0);
    api.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    complete_ = api.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    api.bindFramebuffer(GL_FRAMEBUFFER, 0);
}

Framebuffer::~Framebuffer()
{
    const FramebufferApi& api = Api();
    if (!framebuffer_) return;
    api.bindFramebuffer(GL_FRAMEBUFFER, 0);
    api.deleteFramebuffers(1, &framebuffer_);
    const GLuint buffers[2] = {colour_, depth_};
    api.deleteRenderbuffers(2, buffers);
}

void Framebuffer::Bind()
{
    Api().bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
}

void Framebuffer::Unbind()
{
    Api().bindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, WindowTest::Width(), WindowTest::Height());
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

}  // namespace gltest
