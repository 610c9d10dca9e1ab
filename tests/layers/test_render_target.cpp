// Render targets on framebuffer objects: capture, darkening quad, radial blur, blend
// factors, drawing to the screen, and the state of the main frame around a capture.
// Known content is drawn into the target here (the 3D engine draws nothing yet).
#include "LayerFixtures.h"
#include "VEK_2D_Effect.h"
#include "VEK_2D_Text.h"
#include "VEK_GLState.h"

#include <cstring>

namespace {
using gltest::RGBA;
using gltest::Near;

constexpr int kWidth = 64;
constexpr int kHeight = 128;  // not square, so that width and height cannot be swapped unseen

class Target : public layers::GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        ASSERT_TRUE(target.Initialise(0, kWidth, kHeight, 800, 600, 1));
        target.SetActive(true);
    }

    // One frame of the layer in which the "scene" is a clear to the colour.
    void CaptureFrame(const RGBA& colour)
    {
        target.BeginCapture();
        ASSERT_TRUE(target.IsCapturing());
        glClearColor(colour.r, colour.g, colour.b, colour.a);
        glClear(GL_COLOR_BUFFER_BIT);
        target.Capture();
        target.EndCapture();
    }
    // One frame in which nothing is drawn: the capture shows what the last frame left.
    void CaptureEmptyFrame()
    {
        target.BeginCapture();
        target.Capture();
        target.EndCapture();
    }
    gltest::Pixel Captured(int x, int y) { return TexturePixel(target.Texture(), kWidth, x, y); }

    RenderTarget target;
};

TEST_F(Target, ScriptBlendValuesMapToFactorIndicesModEightAndModSeven)
{
    struct Case {
        int value;
        GLenum source, destination;
    } cases[] = {
        {13, GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA},  // 13 mod 8 = 5, 13 mod 7 = 6
        {7, GL_ONE_MINUS_DST_ALPHA, GL_ZERO},        // 7 mod 7 = 0
        {8, GL_ZERO, GL_ONE},
        {0, GL_ZERO, GL_ZERO},
        {-1, GL_ONE_MINUS_DST_ALPHA, GL_ONE_MINUS_SRC_COLOR},  // 4294967295: mod 8 = 7, mod 7 = 3
    };
    for (const Case& c : cases) {
        target.SetBlend(c.value, c.value, c.value, c.value);
        EXPECT_EQ(RenderTarget::kSourceTable[target.drawSource], c.source) << c.value;
        EXPECT_EQ(RenderTarget::kDestinationTable[target.drawDestination], c.destination) << c.value;
        EXPECT_EQ(target.darkSource, target.drawSource) << c.value;
        EXPECT_EQ(target.darkDestination, target.drawDestination) << c.value;
    }
}

TEST_F(Target, DrawToScreenUsesTheDrawFactorsAndStrength)
{
    const RGBA layer{0.6f, 0.3f, 0.9f, 0.5f};
    const RGBA background{0.2f, 0.5f, 0.7f};
    const float strength = 0.8f;
    const float sourceAlpha = layer.a * strength;
    struct Case {
        int blenda, blendb;
        RGBA expected;
    } cases[] = {
        // defaults 4, 1: (GL_SRC_ALPHA, GL_ONE)
        {4, 1, gltest::Clamp({layer.r * sourceAlpha + background.r, layer.g * sourceAlpha + background.g,
                                layer.b * sourceAlpha + background.b})},
        // 13, 7: (GL_ONE_MINUS_SRC_ALPHA, GL_ZERO)
        {13, 7, {layer.r * (1 - sourceAlpha), layer.g * (1 - sourceAlpha), layer.b * (1 - sourceAlpha)}},
    };
    for (const Case& c : cases) {
        target.SetBlend(c.blenda, c.blendb, 4, 4);
        target.SetAlphas(1.0f, strength);  // blur 1 with (src alpha, src alpha) leaves the screen as it is
        CaptureFrame(layer);
        Clear(background);
        target.DrawToScreen();
        EXPECT_TRUE(Near(ReadPixel(400, 300), c.expected, 3)) << c.blenda << ", " << c.blendb;
    }
}

TEST_F(Target, DarkeningQuadKeepsBlurTimesThePreviousImageOverTheWholeSurface)
{
    const RGBA scene{0.8f, 0.6f, 0.4f, 1.0f};
    target.SetScreenRect(0, 100, 800, 400);  // the band: the surface is darkened all the same
    for (float blur : {0.0f, 0.14f, 0.5f}) {
        target.SetAlphas(blur, 0.6f);
        CaptureFrame(scene);
        CaptureEmptyFrame();
        const RGBA expected{scene.r * blur, scene.g * blur, scene.b * blur};
        for (auto [x, y] : {std::pair{0, 0}, std::pair{kWidth / 2, kHeight / 2}, std::pair{kWidth - 1, kHeight - 1}})
            EXPECT_TRUE(Near(Captured(x, y), expected)) << "blur " << blur << " at " << x << ", " << y;
    }
}

TEST_F(Target, DarkeningOnTheScreenCoversTheScreenRectangleOnly)
{
    target.SetScreenRect(0, 100, 800, 400);
    target.SetAlphas(0.5f, 0.0f);  // strength 0: only the darkening shows
    CaptureFrame({0, 0, 0, 1});
    Clear({1, 1, 1});
    target.DrawToScreen();
    EXPECT_TRUE(Near(ReadPixel(400, 300), {0.5f, 0.5f, 0.5f}));
    EXPECT_TRUE(Near(ReadPixel(400, 50), {1, 1, 1})) << "below the band";
    EXPECT_TRUE(Near(ReadPixel(400, 550), {1, 1, 1})) << "above the band";
}

TEST_F(Target, WithTwelveRadialPassesOnlyTheFirstFourAddLight)
{
    const RGBA previous{0.6f, 0.4f, 0.2f, 1.0f};
    const RGBA scene{0.1f, 0.2f, 0.3f, 1.0f};
    auto radialFrame = [&](int passes) {
        target.SetAlphas(1.0f, 0.6f);
        target.SetRadialOn(false);
        CaptureFrame(previous);  // the texture now holds the previous frame
        target.SetRadialOn(true);
        target.radial.passes = passes;
        CaptureFrame(scene);
        return std::pair{Captured(kWidth / 2, kHeight / 2), Captured(kWidth - 1, kHeight - 1)};
    };
    // Each pass: (0.5 x previous) x itself + what is there x (1 - pass alpha).
    auto expected = [&](int passes) {
        RGBA colour = scene;
        float alpha = 0.3f;
        for (int pass = 0; pass < passes && alpha > 0.001f; ++pass, alpha -= 0.075f) {
            colour.r = 0.25f * previous.r * previous.r + colour.r * (1 - alpha);
            colour.g = 0.25f * previous.g * previous.g + colour.g * (1 - alpha);
            colour.b = 0.25f * previous.b * previous.b + colour.b * (1 - alpha);
        }
        return colour;
    };
    const auto twelve = radialFrame(12);
    const auto four = radialFrame(4);
    const auto three = radialFrame(3);
    EXPECT_TRUE(Near(twelve.first, expected(4), 4));
    EXPECT_TRUE(Near(twelve.second, expected(4), 4)) << "the passes cover the whole surface";
    EXPECT_TRUE(Near(three.first, expected(3), 4));
    EXPECT_EQ(std::memcmp(&twelve.first, &four.first, sizeof four.first), 0) << "passes 5 to 12 add nothing";
    EXPECT_NE(std::memcmp(&three.first, &four.first, sizeof four.first), 0) << "the 4th pass adds light";
}

TEST_F(Target, ACaptureLeavesTheMainFrameAsItWas)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glViewport(10, 20, 300, 200);
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 5, 5);
    glDepthMask(GL_FALSE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 2, 0, 3, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);

    target.SetRadialOn(true);
    target.BeginCapture();
    // What a scene render might change.
    glViewport(0, 0, 1, 1);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ONE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glScalef(2, 2, 2);
    target.Capture();
    target.EndCapture();

    GLint framebuffer = -1, viewport[4], source = 0, boundTexture = 0, matrixMode = 0;
    GLfloat clear[4], afterProjection[16], afterModelview[16], textureMatrix[16];
    GLboolean depthWrites = GL_TRUE;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetFloatv(GL_PROJECTION_MATRIX, afterProjection);
    glGetFloatv(GL_MODELVIEW_MATRIX, afterModelview);
    glGetFloatv(GL_TEXTURE_MATRIX, textureMatrix);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(viewport[0], 10);
    EXPECT_EQ(viewport[1], 20);
    EXPECT_EQ(viewport[2], 300);
    EXPECT_EQ(viewport[3], 200);
    EXPECT_FLOAT_EQ(clear[2], 0.3f);
    EXPECT_EQ(source, GL_DST_COLOR);
    EXPECT_EQ(GLuint(boundTexture), texture);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(depthWrites);
    EXPECT_EQ(std::memcmp(projection, afterProjection, sizeof projection), 0);
    EXPECT_EQ(std::memcmp(modelview, afterModelview, sizeof modelview), 0);
    EXPECT_FLOAT_EQ(textureMatrix[0], 1.0f);
    EXPECT_TRUE(Near(ReadPixel(400, 300), {0, 0, 0})) << "the window is not drawn into";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDeleteTextures(1, &texture);
}

TEST_F(Target, ALayerTakesPartOnlyWithASceneAndACameraName)
{
    Object2D layer;
    ASSERT_TRUE(layer.SetUpLayer(3, kWidth, kHeight, 800, 600, 4, 1, 4, 4, 1.0f, 1.0f));
    layer.ToggleLayer();
    layer.Start();
    // The layer's image: white.
    layer.Target().BeginCapture();
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    layer.End();

    struct Case {
        const char *scene, *camera;
        bool takesPart;
    } cases[] = {{"", "", false}, {"scene", "", false}, {"", "camera", false}, {"scene", "camera", true}};
    for (const Case& c : cases) {
        layer.SetSceneName(c.scene);
        layer.SetCameraName(c.camera);
        Clear({0, 0, 0});
        const bool begun = layer.Begin();
        GLint framebuffer = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        EXPECT_EQ(begun, c.takesPart) << c.scene << "/" << c.camera;
        EXPECT_EQ(framebuffer != 0, c.takesPart) << c.scene << "/" << c.camera;
        if (begun) layer.End();
        layer.Draw();
        EXPECT_EQ(ReadPixel(400, 300).r > 128, c.takesPart) << "drawn: " << c.scene << "/" << c.camera;
    }
    layer.ToggleLayer();  // switched off: neither rendered nor drawn
    Clear({0, 0, 0});
    EXPECT_FALSE(layer.Begin());
    layer.Draw();
    EXPECT_EQ(ReadPixel(400, 300).r, 0);
}

TEST_F(Target, UnusableSizesSwitchTheLayerOffWithAMessage)
{
    const struct {
        int width, height;
    } sizes[] = {{0, 64}, {64, -5}, {5000, 64}};
    for (const auto& size : sizes) {
        gltest::Messages messages;
        Object2D layer;
        EXPECT_FALSE(layer.SetUpLayer(7, size.width, size.height, 800, 600, 4, 1, 4, 4, 0.1f, 0.6f));
        ASSERT_EQ(messages.all().size(), 1u);
        const std::string start = "engine2D: layer 7 asks for a " + std::to_string(size.width) + " x " +
                                  std::to_string(size.height) + " render target";
        EXPECT_EQ(messages.all()[0].text.compare(0, start.size(), start), 0) << messages.all()[0].text;
        layer.SetSceneName("s");
        layer.SetCameraName("c");
        layer.ToggleLayer();
        layer.Start();
        EXPECT_FALSE(layer.TakesPart());
        layer.Draw();
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Target, WithoutFramebufferObjectsLayersAreSwitchedOffWithOneMessage)
{
    gl2d::SetFramebuffersDisabled(true);
    gltest::Messages messages;
    Object2D first, second;
    EXPECT_FALSE(first.SetUpLayer(0, 64, 64, 800, 600, 4, 1, 4, 4, 0.1f, 0.6f));
    EXPECT_FALSE(second.SetUpLayer(1, 64, 64, 800, 600, 4, 1, 4, 4, 0.1f, 0.6f));
    gl2d::SetFramebuffersDisabled(false);
    EXPECT_EQ(messages.Count(text2d::kNoFramebuffers), 1);
    EXPECT_EQ(messages.all().size(), 1u);
    for (Object2D* layer : {&first, &second}) {
        layer->SetSceneName("s");
        layer->SetCameraName("c");
        layer->ToggleLayer();
        layer->Start();
        EXPECT_FALSE(layer->Begin());
        layer->End();
        layer->Draw();
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
