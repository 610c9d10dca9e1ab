// What the light, flare, transparency and font tests share: a 512 x 512 off-screen GL
// window with a perspective camera, pixel and depth reading, a framebuffer object to
// render into, message capture, and small textures and files made in the test.
#pragma once

#include "TempDir.h"
#include "VEK_Math.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace lights {

inline constexpr int kSide = 512;   // window width and height

struct Pixel {
    int r = 0, g = 0, b = 0;
};
// EXPECT that a pixel is within tolerance (8-bit steps) of r, g, b given in 0 .. 1.
::testing::AssertionResult Near(const Pixel& pixel, float r, float g, float b, int tolerance = 2);

// Collects the messages shown while it lives.
class Messages {
public:
    Messages();
    ~Messages();
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;
    struct Message {
        std::string caption, text;
    };
    const std::vector<Message>& all() const { return messages_; }
    int Count(const std::string& text) const;

private:
    static void Hook(const char* caption, const char* text, void* self);
    std::vector<Message> messages_;
};

// Tests that draw: one window for the whole program, state reset before every test, and
// a working folder of its own.
class GLTest : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    void SetUp() override;
    void TearDown() override;

public:
    // Projection of 60 degrees (aspect 1, near 1, far 100) and a view from eye to target.
    static void LookAt(const Vector3& eye, const Vector3& target);
    static void Clear();
    static Pixel ReadPixel(int x, int y);
    // Window coordinates of a world point under the current matrices and viewport.
    static Vector3 Project(const Vector3& point);
    // An unlit, untextured square of side 2 * half facing +z at (centre.x, centre.y, z).
    static void DrawSquare(const Vector3& centre, float half, float r = 1, float g = 1, float b = 1);
    // A texture of one colour, side x side texels.
    static GLuint SolidTexture(int side, unsigned char r, unsigned char g, unsigned char b);
    // Writes the window as <name>.png into $VEK_DUMP_FRAMES when that is set.
    static void DumpFrame(const std::string& name);

protected:
    TempDir dir;

private:
    std::unique_ptr<ScopedChdir> inDir_;
};

// A framebuffer object with a colour and a depth renderbuffer. Bound, it is the current
// surface, with the viewport set to its size; unbound, the window is again.
class Framebuffer {
public:
    Framebuffer(int width, int height);
    ~Framebuffer();
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;
    bool complete() const { return complete_; }
    void Bind();
    void Unbind();

private:
    GLuint framebuffer_ = 0, colour_ = 0, depth_ = 0;
    int width_, height_;
    bool complete_ = false;
};

// A JPEG file of one colour.
void WriteSolidJpeg(const std::filesystem::path& path, int side, std::array<unsigned char, 3> rgb);

}  // namespace lights
