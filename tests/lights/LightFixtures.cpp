#include "LightFixtures.h"

#include "../common/PngWriter.h"
#include "VEK_JpegWriter.h"
#include "vekPlatform.h"

#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lights {
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

::testing::AssertionResult Near(const Pixel& pixel, float r, float g, float b, int tolerance)
{
    const int er = ToByte(r), eg = ToByte(g), eb = ToByte(b);
    if (std::abs(pixel.r - er) <= tolerance && std::abs(pixel.g - eg) <= tolerance && std::abs(pixel.b - eb) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << pixel.r << ", " << pixel.g << ", " << pixel.b << ") expected ("
                                         << er << ", " << eg << ", " << eb << ") within " << tolerance;
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

void GLTest::SetUpTestSuite()
{
    ASSERT_TRUE(plat::Init());
    ASSERT_EQ(plat::OpenWindow("light tests", kSide, kSide, 32, false), plat::WindowResult::ok);
}

void GLTest::TearDownTestSuite()
{
    plat::CloseWindow();
    plat::Quit();
}

void GLTest::SetUp()
{
    ASSERT_TRUE(plat::HasWindow());
    inDir_ = std::make_unique<ScopedChdir>(dir.path());
    glViewport(0, 0, kSide, kSide);
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glLoadIdentity();
    }
    for (GLenum state : {GL_BLEND, GL_LIGHTING, GL_COLOR_MATERIAL, GL_TEXTURE_2D, GL_FOG, GL_ALPHA_TEST,
                         GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_SCISSOR_TEST, GL_CULL_FACE, GL_NORMALIZE})
        glDisable(state);
    for (int i = 0; i < 8; ++i) glDisable(GLenum(GL_LIGHT0 + i));
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_ONE, GL_ZERO);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const float black[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glShadeModel(GL_SMOOTH);
    Clear();
}

void GLTest::TearDown() { inDir_.reset(); }

void GLTest::LookAt(const Vector3& eye, const Vector3& target)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0, 1, 0);
}

void GLTest::Clear()
{
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Pixel GLTest::ReadPixel(int x, int y)
{
    unsigned char rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

Vector3 GLTest::Project(const Vector3& point)
{
    GLdouble model[16], projection[16], x = 0, y = 0, z = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(point.x, point.y, point.z, model, projection, viewport, &x, &y, &z);
    return {float(x), float(y), float(z)};
}

void GLTest::DrawSquare(const Vector3& centre, float half, float r, float g, float b)
{
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex3f(centre.x - half, centre.y - half, centre.z);
    glVertex3f(centre.x + half, centre.y - half, centre.z);
    glVertex3f(centre.x + half, centre.y + half, centre.z);
    glVertex3f(centre.x - half, centre.y + half, centre.z);
    glEnd();
}

GLuint GLTest::SolidTexture(int side, unsigned char r, unsigned char g, unsigned char b)
{
    std::vector<unsigned char> texels(std::size_t(side) * std::size_t(side) * 3);
    for (std::size_t i = 0; i < texels.size(); i += 3) texels[i] = r, texels[i + 1] = g, texels[i + 2] = b;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texture;
}

void GLTest::DumpFrame(const std::string& name)
{
    const char* folder = std::getenv("VEK_DUMP_FRAMES");
    if (!folder || !*folder) return;
    std::vector<unsigned char> rgb(std::size_t(kSide) * kSide * 3), flipped(rgb.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSide, kSide, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    const std::size_t row = std::size_t(kSide) * 3;
    for (int y = 0; y < kSide; ++y)
        std::copy_n(&rgb[std::size_t(kSide - 1 - y) * row], row, &flipped[std::size_t(y) * row]);
    std::filesystem::create_directories(folder);
    fixtures::WritePng((std::filesystem::path(folder) / (name + ".png")).string(), flipped.data(), kSide, kSide);
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
    glViewport(0, 0, kSide, kSide);
}

void WriteSolidJpeg(const std::filesystem::path& path, int side, std::array<unsigned char, 3> rgb)
{
    std::vector<unsigned char> pixels(std::size_t(side) * std::size_t(side) * 3);
    for (std::size_t i = 0; i < pixels.size(); i += 3) std::copy(rgb.begin(), rgb.end(), &pixels[i]);
    JpegWriteOptions options;
    options.quality = 100;
    ASSERT_TRUE(WriteJpegFile(path.string(), pixels.data(), uint32_t(side), uint32_t(side), options));
}

}  // namespace lights
