// The view set-up: the matrix that looks from the eye at the target, and fog per camera,
// checked against the fog equations on a quad at known depths.
#include "CameraFixtures.h"
#include "GLTestSupport.h"

#include "VEK_Camera.h"
#include "VEK_Fog.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace cameratest;
using gltest::RGBA;

namespace {
constexpr int kWidth = 800, kHeight = 600;

class CameraView : public gltest::WindowTest {
public:
    static void SetUpTestSuite() { OpenWindow("camera tests", kWidth, kHeight); }
    static void TearDownTestSuite() { CloseWindow(); }

protected:
    void SetUp() override
    {
        gltest::WindowTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        gluPerspective(45.0, 1.33333, 1.0, 100.0);
        glMatrixMode(GL_MODELVIEW);
        Clear();
    }

    // A quad straight ahead of a camera at the origin looking along -z.
    static void DrawQuadAtDepth(float depth, const RGBA& colour)
    {
        const float half = 0.2f * depth;
        glColor3f(colour.r, colour.g, colour.b);
        glBegin(GL_QUADS);
        glVertex3f(-half, -half, -depth);
        glVertex3f(half, -half, -depth);
        glVertex3f(half, half, -depth);
        glVertex3f(-half, half, -depth);
        glEnd();
    }

    static Matrix4 Modelview()
    {
        Matrix4 matrix;
        glGetFloatv(GL_MODELVIEW_MATRIX, matrix.m);
        return matrix;
    }
};

}  // namespace

TEST_F(CameraView, LooksFromTheEyeAtTheTargetWithYUp)
{
    const Vector3 eye(3, 4, 5), target(-1, 2, -7);
    auto camera = MakeCamera(eye, target);
    camera->collidedFlag = true;
    SetView(*camera);
    EXPECT_FALSE(camera->collidedFlag);
    const Matrix4 view = Modelview();
    EXPECT_TRUE(Near(transformPoint(view, eye), Vector3(0, 0, 0)));
    EXPECT_TRUE(Near(transformPoint(view, target), Vector3(0, 0, -distance(eye, target))));
    const Vector3 above = transformPoint(view, add(eye, Vector3(0, 1, 0)));
    EXPECT_NEAR(above.x, 0.0f, 1e-5f);
    EXPECT_GT(above.y, 0.0f);
}

TEST_F(CameraView, ADisabledCameraSetsNoViewAndLeavesFogAlone)
{
    auto camera = MakeCamera(Vector3(3, 4, 5), Vector3(0, 0, 0));
    camera->enabled = false;
    camera->collidedFlag = true;
    glEnable(GL_FOG);
    SetView(*camera);
    EXPECT_TRUE(camera->collidedFlag);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    const Matrix4 view = Modelview();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(view.m[i], Matrix4().m[i]) << i;
}

TEST_F(CameraView, FogOfEachModeMatchesItsEquationAtTwoDepths)
{
    const RGBA surface{1.0f, 0.5f, 0.0f};
    const RGBA fog{0.0f, 0.25f, 1.0f};
    const float start = 5, end = 25, density = 0.06f;
    struct Case {
        const char* name;
        int scriptMode;   // the engine script's fogosity mode
        bool fogOn;
        float (*factor)(float z, float start, float end, float density);
    };
    const Case cases[] = {
        {"linear", 0, true, [](float z, float s, float e, float) { return std::clamp((e - z) / (e - s), 0.0f, 1.0f); }},
        {"exp2", 1, true, [](float z, float, float, float d) { return std::exp(-(d * z) * (d * z)); }},
        {"exp", 2, true, [](float z, float, float, float d) { return std::exp(-d * z); }},
        {"no fog", 0, false, [](float, float, float, float) { return 1.0f; }},
    };
    for (const Case& c : cases) {
        for (float depth : {8.0f, 18.0f}) {
            SetUp();
            glEnable(GL_FOG);   // a camera without fog switches it off
            auto camera = MakeCamera(Vector3(0, 0, 0), Vector3(0, 0, -10));
            camera->fogEnabled = c.fogOn;
            camera->fogMode = FogModeFromScript(c.scriptMode, camera->fogMode);
            camera->fogStart = start;
            camera->fogEnd = end;
            camera->fogDensity = density;
            camera->fogColour = {fog.r, fog.g, fog.b, 1.0f};
            SetView(*camera);
            DrawQuadAtDepth(depth, surface);
            const float f = c.factor(depth, start, end, density);
            const RGBA expected = surface * f + fog * (1 - f);
            EXPECT_TRUE(gltest::Near(ReadPixel(kWidth / 2, kHeight / 2), expected)) << c.name << " at depth " << depth;
            EXPECT_EQ(bool(glIsEnabled(GL_FOG)), c.fogOn) << c.name;
        }
    }
}

TEST(FogMode, ScriptValuesOutsideTheTableKeepTheMode)
{
    EXPECT_EQ(FogModeFromScript(0, GL_EXP), GLenum(GL_LINEAR));
    EXPECT_EQ(FogModeFromScript(1, GL_LINEAR), GLenum(GL_EXP2));
    EXPECT_EQ(FogModeFromScript(2, GL_LINEAR), GLenum(GL_EXP));
    EXPECT_EQ(FogModeFromScript(3, GL_EXP2), GLenum(GL_EXP2));
    EXPECT_EQ(FogModeFromScript(-1, GL_EXP), GLenum(GL_EXP));
}
