// Omni lights on a lit quad against the fixed-function lighting equation, the visibility
// probe in the window and in a framebuffer object, the blocklight and glow sequences
// driven by the probe, and the glow's additive billboards.
#include "LightFixtures.h"

#include "VEK_Flares.h"
#include "VEK_Lights.h"
#include "VEK_Scene.h"

#include <cmath>

using namespace lights;

namespace {
constexpr float kMaterialAmbient = 0.2f, kMaterialDiffuse = 0.8f;

std::unique_ptr<OmniLight> MakeLight(const Vector3& at, float r, float g, float b, float attenuation = 0)
{
    const float colour[3] = {r, g, b};
    Vector3 point;
    point.setPoint(at.x, at.y, at.z);
    return std::make_unique<OmniLight>("Omni01", colour, attenuation, point, GL_LIGHT0);
}

// The quad (-1 .. 1)^2 at z = -5 facing the eye at the origin; the light stands on its
// axis, so all four corners get the same colour and the quad is flat.
const Vector3 kLightAbove{0, 0, -3};

void DrawLitQuad()
{
    const float ambient[4] = {kMaterialAmbient, kMaterialAmbient, kMaterialAmbient, 1};
    const float diffuse[4] = {kMaterialDiffuse, kMaterialDiffuse, kMaterialDiffuse, 1};
    const float none[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
    glNormal3f(0, 0, 1);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, -5);
    glVertex3f(1, -1, -5);
    glVertex3f(1, 1, -5);
    glVertex3f(-1, 1, -5);
    glEnd();
}

// The lighting equation at a corner of the quad for a light of colour c (its ambient and
// diffuse colour) with GL's attenuation factors kc, kl, kq; no global ambient, no specular.
std::array<float, 3> Expected(const float c[3], float kc, float kl, float kq)
{
    const Vector3 corner{1, 1, -5};
    const Vector3 toLight = subtract(kLightAbove, corner);
    const float d = magnitude(toLight);
    const float lambert = std::max(0.0f, toLight.z / d);   // the normal is +z
    const float attenuation = 1.0f / (kc + kl * d + kq * d * d);
    std::array<float, 3> colour{};
    for (int i = 0; i < 3; ++i) colour[std::size_t(i)] = attenuation * c[i] * (kMaterialAmbient + kMaterialDiffuse * lambert);
    return colour;
}

Pixel DrawLit(const Light& light)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setGLLight(light);
    DrawLitQuad();
    return GLTest::ReadPixel(kSide / 2, kSide / 2);
}

class LightGL : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        LookAt({0, 0, 0}, {0, 0, -1});
        // GL's attenuation defaults, so a light that sets none is seen with them.
        glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1);
        glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0);
        glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0);
    }
};
}  // namespace

TEST_F(LightGL, OmniLightGivesTheLightingEquationsColour)
{
    struct Case {
        const char* what;
        std::int32_t mode;
        float value;
        float kc, kl, kq;   // what GL is expected to use
    };
    const float distanceValue = 40.0f;
    // Mode 1 with the eye at the origin: value / sqrt(|dx| + |dy| + |dz|) / 256.
    const float distanceLinear = distanceValue / std::sqrt(3.0f) / 256;
    const Case cases[] = {
        {"mode never set", -1, 0.7f, 1, 0, 0},
        {"mode 0", 0, 0.7f, 1, 0, 0},
        {"constant", GL_CONSTANT_ATTENUATION, 2.0f, 2, 0, 0},
        {"linear", GL_LINEAR_ATTENUATION, 0.2f, 1, 0.2f, 0},
        {"quadratic", GL_QUADRATIC_ATTENUATION, 0.05f, 1, 0, 0.05f},
        {"distance", 1, distanceValue, 1, distanceLinear, 0},
    };
    const float colour[3] = {0.9f, 0.6f, 0.3f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clear();
        glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1);
        glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0);
        glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0);
        auto light = MakeLight(kLightAbove, colour[0], colour[1], colour[2], c.value);
        light->attenuationMode = c.mode;
        updateLight(*light, {0, 0, 0}, {0, 0, -1});
        const auto expected = Expected(colour, c.kc, c.kl, c.kq);
        EXPECT_TRUE(Near(DrawLit(*light), expected[0], expected[1], expected[2]));
    }
}

TEST_F(LightGL, LightWithoutAttenuationModeLeavesGLsValuesAlone)
{
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.5f);
    auto light = MakeLight(kLightAbove, 1, 1, 1, 0.9f);
    setGLLight(*light);
    GLfloat linear = 0;
    glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, &linear);
    EXPECT_FLOAT_EQ(linear, 0.5f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}

TEST_F(LightGL, DisabledLightIsNotSet)
{
    auto light = MakeLight(kLightAbove, 1, 1, 1);
    light->enabled = false;
    setGLLight(*light);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(LightGL, SetLightPropsChangesTheLighting)
{
    Scene scene("no-such-scene.vek", "scene");
    OmniLight* light = MakeLight(kLightAbove, 0.9f, 0.6f, 0.3f).release();
    light->attenuationMode = GL_LINEAR_ATTENUATION;
    scene.omniLights.insert(light);
    const float before[3] = {0.9f, 0.6f, 0.3f};
    auto expected = Expected(before, 1, 0, 0);
    EXPECT_TRUE(Near(DrawLit(*light), expected[0], expected[1], expected[2]));

    const float ambient[4] = {0.2f, 0.5f, 0.7f, 1}, diffuse[4] = {0.1f, 0.1f, 0.1f, 1}, specular[4] = {0.3f, 0.3f, 0.3f, 1};
    ASSERT_TRUE(setLightProps(scene, "Omni01", 40, ambient, diffuse, specular, 0.25f));
    EXPECT_FLOAT_EQ(light->baseAttenuation, 0.25f);
    EXPECT_FLOAT_EQ(light->colours.diffuse[0], 0.1f);
    EXPECT_FLOAT_EQ(light->colours.specular[1], 0.3f);
    EXPECT_FLOAT_EQ(light->glowSize, 20);
    EXPECT_FLOAT_EQ(light->glowMax, 40);
    EXPECT_FLOAT_EQ(light->glowMin, 10);
    EXPECT_FLOAT_EQ(light->glowStep, 6);
    Clear();
    // The light's GL diffuse colour is its ambient colour; the attenuation is the new base.
    expected = Expected(ambient, 1, 0.25f, 0);
    EXPECT_TRUE(Near(DrawLit(*light), expected[0], expected[1], expected[2]));

    EXPECT_FALSE(setLightProps(scene, "Omni02", 40, ambient, diffuse, specular, 0.5f));
    EXPECT_FLOAT_EQ(light->baseAttenuation, 0.25f);
}

TEST_F(LightGL, SetLightPropsDoesNotMoveTheBlocklightValue)
{
    Scene scene("no-such-scene.vek", "scene");
    OmniLight* light = MakeLight(kLightAbove, 1, 1, 1, 0.2f).release();
    light->blockLight = true;
    light->currentAttenuation = 0.6f;
    scene.omniLights.insert(light);
    const float white[4] = {1, 1, 1, 1};
    ASSERT_TRUE(setLightProps(scene, "Omni01", 10, white, white, white, 0.4f));
    EXPECT_FLOAT_EQ(light->currentAttenuation, 0.6f);
    EXPECT_FLOAT_EQ(effectiveAttenuation(*light), 0.6f);
}

// ---- visibility probe ----------------------------------------------------------------

namespace {
class ProbeGL : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        light = MakeLight({0, 0, 0}, 1, 1, 1);
    }
    // The camera at z = 5 looks at the light at the origin.
    void View() { LookAt({0, 0, 5}, {0, 0, 0}); }
    std::unique_ptr<OmniLight> light;
};
}  // namespace

TEST_F(ProbeGL, SeesWhatIsDrawnInFrontOfTheLight)
{
    struct Case {
        const char* what;
        bool drawSquare;
        Vector3 square;
        bool occluded;
    };
    const Case cases[] = {
        {"nothing drawn", false, {}, false},
        {"square in front", true, {0, 0, 2}, true},
        {"square behind", true, {0, 0, -2}, false},
        {"square beside", true, {3, 0, 2}, false},
        {"square through the light", true, {0, 0, 0}, false},   // equal depth is not in front
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clear();
        View();
        if (c.drawSquare) DrawSquare(c.square, 0.5f);
        probeLightVisibility(*light);
        EXPECT_EQ(light->occluded, c.occluded);
        EXPECT_FALSE(light->offscreen);
    }
}

TEST_F(ProbeGL, LightOutsideTheViewOrBehindTheEyeIsOffscreenAndKeepsItsOcclusion)
{
    struct Case {
        const char* what;
        Vector3 at;
    };
    const Case cases[] = {{"far to the right", {40, 0, 0}}, {"above", {0, 40, 0}}, {"behind the eye", {0, 0, 9}},
                          {"at the eye", {0, 0, 5}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clear();
        View();
        light->point.setPoint(c.at.x, c.at.y, c.at.z);
        light->occluded = true;
        light->offscreen = false;
        probeLightVisibility(*light);
        EXPECT_TRUE(light->offscreen);
        EXPECT_TRUE(light->occluded);
    }
}

TEST_F(ProbeGL, ViewportAwayFromTheOriginIsTestedAsItsRectangle)
{
    // The right half of the window: the light's pixel lies at x of about 384.
    glViewport(kSide / 2, 0, kSide / 2, kSide);
    View();
    probeLightVisibility(*light);
    EXPECT_FALSE(light->offscreen);
    EXPECT_FALSE(light->occluded);
    DrawSquare({0, 0, 2}, 0.5f);
    probeLightVisibility(*light);
    EXPECT_TRUE(light->occluded);
}

TEST_F(ProbeGL, ReadsTheDepthOfTheCurrentSurface)
{
    Framebuffer target(128, 64);
    ASSERT_TRUE(target.complete());
    // The window holds an occluder, the render target does not: bound, the target decides.
    View();
    DrawSquare({0, 0, 2}, 0.5f);
    probeLightVisibility(*light);
    ASSERT_TRUE(light->occluded);
    target.Bind();
    Clear();
    View();
    probeLightVisibility(*light);
    EXPECT_FALSE(light->occluded);
    EXPECT_FALSE(light->offscreen);
    DrawSquare({0, 0, 2}, 0.5f);
    probeLightVisibility(*light);
    EXPECT_TRUE(light->occluded);
    target.Unbind();

    // And the other way round: the window is clear again, the target still holds it.
    Clear();
    View();
    probeLightVisibility(*light);
    EXPECT_FALSE(light->occluded);
}

// ---- blocklight and glow over a run of frames -------------------------------------------

TEST_F(ProbeGL, HiddenLightFadesAndRecoversFrameByFrame)
{
    light->attenuationMode = GL_LINEAR_ATTENUATION;
    light->baseAttenuation = light->currentAttenuation = 0.2f;
    light->blockLight = true;
    light->incStep = 0.1f;
    light->decStep = 0.05f;
    light->limitSup = 1.0f;
    setGlowSizes(*light, 100);
    const Vector3 eye{0, 0, 5}, target{0, 0, 0};
    int updates = 0;
    // One frame: the view, the lights, the scene (an occluder or not), the glow (whose
    // probe sees the scene), then the update.
    auto frame = [&](bool hidden) {
        Clear();
        View();
        setGLLight(*light);
        GLfloat linear = -1;
        glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, &linear);
        EXPECT_FLOAT_EQ(linear, light->currentAttenuation);
        glDisable(GL_LIGHTING);
        if (hidden) DrawSquare({0, 0, 2}, 0.5f);
        drawGlow(*light);
        EXPECT_EQ(light->occluded, hidden);
        updateLight(*light, eye, target);
        ++updates;
    };

    // Seen: the glow grows by 15 to its maximum; the attenuation stays at its base.
    for (float expected : {65.0f, 80.0f, 95.0f, 100.0f, 100.0f}) {
        frame(false);
        EXPECT_FLOAT_EQ(light->glowSize, expected);
        EXPECT_FLOAT_EQ(light->currentAttenuation, 0.2f);
    }
    // Hidden: the glow shrinks by 15 to its minimum, the attenuation climbs by 0.1 a
    // frame; it may pass 1.0 by less than a step once before it is held at 1.0.
    const float hiddenGlow[] = {85, 70, 55, 40, 25, 25, 25, 25, 25, 25, 25, 25};
    for (int k = 1; k <= 12; ++k) {
        frame(true);
        EXPECT_FLOAT_EQ(light->glowSize, hiddenGlow[k - 1]);
        if (k <= 8)
            EXPECT_NEAR(light->currentAttenuation, 0.2f + 0.1f * float(k), 1e-5f) << "hidden update " << k;
        else if (k == 9)
            EXPECT_LT(light->currentAttenuation, 1.1f + 1e-5f);
        else
            EXPECT_FLOAT_EQ(light->currentAttenuation, 1.0f) << "hidden update " << k;
    }
    // Seen again: the attenuation falls by 0.05 a frame back to its base, the glow regrows.
    const float seenGlow[] = {40, 55, 70, 85, 100, 100};
    for (int k = 1; k <= 20; ++k) {
        frame(false);
        if (k <= 6) {
            EXPECT_FLOAT_EQ(light->glowSize, seenGlow[k - 1]);
        }
        if (k <= 15)
            EXPECT_NEAR(light->currentAttenuation, 1.0f - 0.05f * float(k), 1e-5f) << "seen update " << k;
        else if (k >= 18)
            EXPECT_FLOAT_EQ(light->currentAttenuation, 0.2f) << "seen update " << k;
        else
            EXPECT_GT(light->currentAttenuation, 0.15f - 1e-5f) << "seen update " << k;
    }
    EXPECT_NEAR(light->glowAngle1, 0.09f * float(updates), 1e-3f);
    EXPECT_NEAR(light->glowAngle2, 150 - 0.09f * float(updates), 1e-3f);
}

TEST_F(ProbeGL, LightOffTheScreenShrinksItsGlowButKeepsItsAttenuation)
{
    light->attenuationMode = GL_LINEAR_ATTENUATION;
    light->baseAttenuation = light->currentAttenuation = 0.2f;
    light->blockLight = true;
    light->incStep = 0.1f;
    light->limitSup = 1.0f;
    light->point.setPoint(40, 0, 0);
    setGlowSizes(*light, 100);
    for (float expected : {35.0f, 25.0f, 25.0f}) {
        Clear();
        View();
        drawGlow(*light);
        EXPECT_TRUE(light->offscreen);
        updateLight(*light, {0, 0, 5}, {0, 0, 0});
        EXPECT_FLOAT_EQ(light->glowSize, expected);
        EXPECT_FLOAT_EQ(light->currentAttenuation, 0.2f);
    }
}

TEST_F(ProbeGL, LightWithoutGlowIsNeitherProbedNorDrawn)
{
    light->glowEnabled = false;
    light->glowSize = 1;
    View();
    DrawSquare({0, 0, 2}, 0.5f, 0, 0, 0);
    drawGlow(*light);
    EXPECT_FALSE(light->occluded);
    EXPECT_TRUE(Near(ReadPixel(kSide / 2 + 100, kSide / 2), 0, 0, 0, 0));
}

// ---- glow billboards ----------------------------------------------------------------------

TEST_F(ProbeGL, GlowAddsTwoTexturedBillboardsInTheLightsColour)
{
    glEnable(GL_TEXTURE_2D);
    light->glowTexture1 = SolidTexture(4, 255, 255, 255);
    light->glowTexture2 = SolidTexture(4, 128, 128, 128);
    light->colours.ambient = {0.5f, 0.25f, 0.125f, 1};
    light->glowSize = 0.5f;   // about 43 pixels at a distance of 5
    View();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    drawGlow(*light);
    DumpFrame("glow");
    // Each quad adds its colour times the texel times its alpha 0.7 (GL_SRC_ALPHA, GL_ONE).
    const float second = 128.0f / 255.0f;
    const auto& c = light->colours.ambient;
    const float k = 0.7f * (1 + second);
    for (int dx : {0, 20, -20}) EXPECT_TRUE(Near(ReadPixel(kSide / 2 + dx, kSide / 2 + dx / 2), c[0] * k, c[1] * k, c[2] * k));
    EXPECT_TRUE(Near(ReadPixel(kSide / 2 + 100, kSide / 2), 0, 0, 0, 0));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    const GLuint textures[2] = {light->glowTexture1, light->glowTexture2};
    glDeleteTextures(2, textures);
}
