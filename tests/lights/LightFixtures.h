// What the light, flare, transparency and font tests add to the shared GL test support:
// a 512 x 512 window with depth testing and a perspective camera, a working folder per
// test, projection of points, unlit squares and solid textures.
#pragma once

#include "GLTestSupport.h"
#include "TempDir.h"
#include "VEK_Math.h"

#include <GL/gl.h>

#include <memory>

namespace lights {

using gltest::Framebuffer;
using gltest::Messages;
using gltest::Near;
using gltest::Pixel;
using gltest::WriteSolidJpeg;

inline constexpr int kSide = 512;   // window width and height

// Tests that draw: one window for the whole program, state reset before every test, and
// a working folder of its own.
class GLTest : public gltest::WindowTest {
public:
    static void SetUpTestSuite() { OpenWindow("light tests", kSide, kSide); }
    static void TearDownTestSuite() { CloseWindow(); }

protected:
    // The shared reset, then: lights off without a global ambient, smooth shading,
    // normals as given, the depth test on (GL_LEQUAL), cleared to black.
    void SetUp() override;
    void TearDown() override;

public:
    // Projection of 60 degrees (aspect 1, near 1, far 100) and a view from eye to target.
    static void LookAt(const Vector3& eye, const Vector3& target);
    // Window coordinates of a world point under the current matrices and viewport.
    static Vector3 Project(const Vector3& point);
    // An unlit, untextured square of side 2 * half facing +z at (centre.x, centre.y, z).
    static void DrawSquare(const Vector3& centre, float half, float r = 1, float g = 1, float b = 1);
    // A texture of one colour, side x side texels.
    static GLuint SolidTexture(int side, unsigned char r, unsigned char g, unsigned char b);

protected:
    TempDir dir;

private:
    std::unique_ptr<ScopedChdir> inDir_;
};

}  // namespace lights
