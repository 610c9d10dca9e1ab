// Drawing emitters in an off-screen 800 x 600 window: additive, camera-facing squares
// with the first texture only, rays mode, a frozen pool, a missing file, the GL state
// left for the mesh drawing, and packing from the script. Expected pixels come from the
// blend equation dst + src * alpha with src = texel * particle colour.
#include "ParticleFixtures.h"
#include "VEK_Particle_Emit.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <filesystem>
#include <vector>

namespace {
using gltest::RGBA;
using gltest::Pixel;

constexpr int kWidth = 800, kHeight = 600;
const RGBA kBackground{0.2f, 0.3f, 0.1f, 1};

// A camera of the test: where it stands, what it looks at and its roll.
struct View {
    const char* what;
    float eyeX, eyeY, eyeZ;
    float roll;  // degrees about the viewing axis
};

class EmitterDrawing : public gltest::WindowTest {
public:
    static void SetUpTestSuite() { OpenWindow("particle tests", kWidth, kHeight); }
    static void TearDownTestSuite() { CloseWindow(); }

protected:
    void SetUp() override
    {
        gltest::WindowTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        glFrustum(-1, 1, -0.75, 0.75, 1, 100);  // 400 pixels per unit at distance 1
        glMatrixMode(GL_MODELVIEW);
        Clear(kBackground);
    }

    // Looks from the eye at target; the view's y axis is world y unless looking along it.
    static void LoadView(const View& view, float tx, float ty, float tz)
    {
        float f[3] = {tx - view.eyeX, ty - view.eyeY, tz - view.eyeZ};
        Normalize(f);
        float up[3] = {0, 1, 0};
        if (std::fabs(f[1]) > 0.99f) up[1] = 0, up[2] = -1;
        float s[3], u[3];
        Cross(f, up, s);
        Normalize(s);
        Cross(s, f, u);
        const float m[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, 0, 0, 0, 1};
        glLoadIdentity();
        glRotatef(view.roll, 0, 0, 1);
        glMultMatrixf(m);
        glTranslatef(-view.eyeX, -view.eyeY, -view.eyeZ);
    }

    // Loads an emitter of one particle from a file of solid images, ready to draw.
    void LoadOne(ParticleEmitter& emitter, const std::vector<std::array<unsigned char, 3>>& colours)
    {
        const std::string file = particles::WriteParticleFile(dir, "one.k2d", colours);
        ASSERT_TRUE(emitter.Load(file.c_str(), 1, 0, Vector3()));
        Particle& p = emitter.Particles()[0];
        p.x = 0.5f, p.y = -0.25f, p.z = 1.0f;
        p.size = 0.5f;
        p.life = 0.6f;
        p.r = 0.9f, p.g = 0.5f, p.b = 1.0f;
    }

    // The frame's pixels, bottom row first.
    static std::vector<unsigned char> Frame()
    {
        std::vector<unsigned char> rgba(std::size_t(kWidth) * kHeight * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    // The particle's colour over the background: texel x colour, weighted by life.
    static RGBA Expected(const Pixel& texel, const Particle& p)
    {
        return gltest::Clamp({kBackground.r + texel.r / 255.0f * p.r * p.life,
                                kBackground.g + texel.g / 255.0f * p.g * p.life,
                                kBackground.b + texel.b / 255.0f * p.b * p.life, 1});
    }

    // Where a point of the current model-view matrix lands in the window, and the
    // window size of a half side s at its depth.
    static void Project(const Particle& p, float& px, float& py, float& halfSide)
    {
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        const float ex = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
        const float ey = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
        const float ez = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
        px = kWidth / 2.0f + 400.0f * ex / -ez;
        py = kHeight / 2.0f + 400.0f * ey / -ez;
        halfSide = 400.0f * p.size / -ez;
    }

    static void Normalize(float (&v)[3])
    {
        const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (float& c : v) c /= length;
    }
    static void Cross(const float (&a)[3], const float (&b)[3], float (&out)[3])
    {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    }

    TempDir dir;
};

TEST_F(EmitterDrawing, ParticleIsAnAdditiveSquareFacingTheCameraFromAnyView)
{
    ParticleEmitter emitter;
    LoadOne(emitter, {{200, 120, 40}});
    const Particle& p = emitter.Particles()[0];
    const Pixel texel = TexturePixel(emitter.Texture(0), 16, 8, 8);
    const View views[] = {
        {"front", 0.5f, -0.25f, 6.0f, 0},     {"side", -4.5f, -0.25f, 1.0f, 0},
        {"above", 0.5f, 4.75f, 1.0f, 0},      {"oblique and rolled", 3.5f, 2.75f, 4.0f, 30},
        {"behind, rolled", 0.5f, -0.25f, -4.0f, -75},
    };
    for (const View& view : views) {
        SCOPED_TRACE(view.what);
        Clear(kBackground);
        LoadView(view, 1.0f, 0.0f, 1.0f);  // looks past the particle, so it is off centre
        float px, py, half;
        Project(p, px, py, half);
        emitter.Draw();
        DumpFrame(std::string("particle_view_") + view.what);
        ASSERT_GT(half, 10.0f);
        const RGBA inside = Expected(texel, p);
        // The square's edges run along the window's rows and columns whatever the view.
        const int cx = int(px), cy = int(py);
        for (const auto& [dx, dy] : {std::pair{0.0f, 0.0f}, {half - 2, 0}, {-(half - 2), 0}, {0, half - 2},
                                     {0, -(half - 2)}, {half - 2, half - 2}, {-(half - 2), -(half - 2)}})
            EXPECT_TRUE(gltest::Near(ReadPixel(cx + int(dx), cy + int(dy)), inside, 3)) << dx << ", " << dy;
        for (const auto& [dx, dy] : {std::pair{half + 2, 0.0f}, {-(half + 2), 0}, {0, half + 2}, {0, -(half + 2)}})
            EXPECT_TRUE(gltest::Near(ReadPixel(cx + int(dx), cy + int(dy)), kBackground, 1)) << dx << ", " << dy;
    }
}

TEST_F(EmitterDrawing, RaysWithOneAliveParticleDrawTheSameSquare)
{
    ParticleEmitter emitter;
    LoadOne(emitter, {{90, 200, 160}});
    LoadView({"front", 0.5f, -0.25f, 6.0f, 0}, 0.5f, -0.25f, 1.0f);
    emitter.Draw();
    const std::vector<unsigned char> squares = Frame();
    EXPECT_FALSE(gltest::Near(ReadPixel(kWidth / 2, kHeight / 2), kBackground, 4));

    Clear(kBackground);
    emitter.SetRays(true);
    emitter.Draw();
    EXPECT_TRUE(Frame() == squares);
}

TEST_F(EmitterDrawing, RaysJoinConsecutiveParticlesIntoOneStrip)
{
    ParticleEmitter emitter;
    const std::string file = particles::WriteParticleFile(dir, "two.k2d", {{255, 255, 255}});
    ASSERT_TRUE(emitter.Load(file.c_str(), 2, 0, Vector3()));
    for (int i = 0; i < 2; ++i) {
        Particle& p = emitter.Particles()[i];
        p.x = i == 0 ? -2.0f : 2.0f, p.y = 0, p.z = 0, p.size = 0.25f, p.life = 1.0f;
    }
    LoadView({"front", 0, 0, 5, 0}, 0, 0, 0);
    const Pixel between = ReadPixel(kWidth / 2, kHeight / 2);
    emitter.Draw();
    EXPECT_TRUE(gltest::Near(ReadPixel(kWidth / 2, kHeight / 2), kBackground, 1));  // separate squares
    Clear(kBackground);
    emitter.SetRays(true);
    emitter.Draw();
    EXPECT_FALSE(gltest::Near(ReadPixel(kWidth / 2, kHeight / 2), {between.r / 255.0f, between.g / 255.0f, between.b / 255.0f}, 4));
}

TEST_F(EmitterDrawing, FileWithThreeImagesDrawsOnlyTheFirst)
{
    gltest::Messages messages;
    ParticleEmitter emitter;
    LoadOne(emitter, {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}});
    EXPECT_EQ(emitter.TextureCount(), 3);
    EXPECT_TRUE(messages.all().empty());
    LoadView({"front", 0.5f, -0.25f, 6.0f, 0}, 0.5f, -0.25f, 1.0f);
    emitter.Draw();
    const Pixel first = TexturePixel(emitter.Texture(0), 16, 8, 8);
    EXPECT_GT(first.r, 200);
    EXPECT_TRUE(gltest::Near(ReadPixel(kWidth / 2, kHeight / 2), Expected(first, emitter.Particles()[0]), 3));
}

TEST_F(EmitterDrawing, FileWithMoreImagesKeepsTheFirstThreeWithOneMessage)
{
    gltest::Messages messages;
    ParticleEmitter emitter;
    LoadOne(emitter, {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}, {250, 250, 10}});
    EXPECT_EQ(emitter.TextureCount(), 3);
    ASSERT_EQ(messages.all().size(), 1u);
    EXPECT_NE(messages.all()[0].text.find("holds 4 images; only the first 3 are used"), std::string::npos)
        << messages.all()[0].text;
    EXPECT_GT(TexturePixel(emitter.Texture(2), 16, 8, 8).b, 200);
}

TEST_F(EmitterDrawing, StoppedPoolIsStillDrawn)
{
    ParticleEmitter emitter;
    LoadOne(emitter, {{200, 200, 200}});
    emitter.SetRunning(false);
    const Particle before = emitter.Particles()[0];
    for (int i = 0; i < 20; ++i) emitter.Update();
    LoadView({"front", 0.5f, -0.25f, 6.0f, 0}, 0.5f, -0.25f, 1.0f);
    emitter.Draw();
    const Particle& p = emitter.Particles()[0];
    EXPECT_EQ(p.life, before.life);
    EXPECT_EQ(p.size, before.size);
    EXPECT_TRUE(gltest::Near(ReadPixel(kWidth / 2, kHeight / 2), Expected(TexturePixel(emitter.Texture(0), 16, 8, 8), p), 3));
}

TEST_F(EmitterDrawing, MissingFileDrawsNothingAndReportsOnce)
{
    gltest::Messages messages;
    ParticleEmitter emitter;
    EXPECT_FALSE(emitter.Load((dir / "missing.k2d").c_str(), 50, 0, Vector3()));
    LoadView({"front", 0, 0, 5, 0}, 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        emitter.Draw();
        emitter.Update();
    }
    EXPECT_EQ(messages.Count("K2D Particle_Sys File Not Founde."), 1);
    EXPECT_EQ(messages.all().size(), 1u);
    EXPECT_EQ(emitter.Particles(), nullptr);
    EXPECT_EQ(emitter.TextureCount(), 0);
    const std::vector<unsigned char> frame = Frame();
    Clear(kBackground);
    EXPECT_TRUE(Frame() == frame);
}

TEST_F(EmitterDrawing, LeavesTheStateTheMeshDrawingGoesOnWith)
{
    ParticleEmitter emitter;
    LoadOne(emitter, {{100, 100, 100}});
    LoadView({"oblique", 3, 2, 4, 10}, 0, 0, 0);
    float before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    glShadeModel(GL_FLAT);
    emitter.Draw();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(before[i], after[i]) << i;
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    GLint shade = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_FLAT);  // the lighting group comes back as it was
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(EmitterDrawing, ScriptImportPacksTheTextureFilesBeforeLoading)
{
    gltest::WriteSolidJpeg(dir / "a.jpg", 16, {255, 0, 0});
    gltest::WriteSolidJpeg(dir / "b.jpg", 16, {0, 255, 0});
    const std::string out = (dir / "packed.k2d").string();
    const std::string xml = "<particle maxparts=\"4\" filename=\"" + out + "\"><texture import=\"1\"><texturefile file=\"" +
                            (dir / "a.jpg").string() + "\"/><texturefile file=\"" + (dir / "b.jpg").string() +
                            "\"/></texture></particle>";
    TiXmlDocument document;
    document.Parse(xml.c_str());
    ASSERT_NE(document.RootElement(), nullptr);
    ParticleEmitter emitter;
    ASSERT_TRUE(ConfigureEmitter(emitter, ReadParticleSettings(*document.RootElement()), Vector3()));
    EXPECT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(emitter.TextureCount(), 2);
    EXPECT_EQ(emitter.ParticleCount(), 4);
    EXPECT_GT(TexturePixel(emitter.Texture(1), 16, 8, 8).g, 200);
}

}  // namespace
