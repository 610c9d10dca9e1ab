// What every off-screen GL test program shares: its one window, colours with the
// arithmetic of the fixed-function equations, pixel reads compared with those colours,
// messages shown during a test, frames saved for a look ($VEK_DUMP_FRAMES), a framebuffer
// object to draw into, and small JPEG files made in the test.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace gltest {

// A colour with channels 0 .. 1, for the expected values.
struct RGBA {
    float r = 0, g = 0, b = 0, a = 1;
};
RGBA operator*(const RGBA& x, const RGBA& y);
RGBA operator+(const RGBA& x, const RGBA& y);
RGBA operator*(const RGBA& x, float s);
// Each channel clamped to 0 .. 1, as fixed-function lighting and blending do.
RGBA Clamp(const RGBA& x);
// A colour as 8-bit texels or framebuffer channels hold it.
RGBA Bytes(int r, int g, int b, int a = 255);

// A framebuffer pixel, channels 0 .. 255.
struct Pixel {
    int r = 0, g = 0, b = 0, a = 0;
};
// Whether red, green and blue are within tolerance 8-bit steps of the expected colour
// (alpha is not compared).
::testing::AssertionResult Near(const Pixel& pixel, const RGBA& expected, int tolerance = 2);
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
    void clear() { messages_.clear(); }
    int Count(const std::string& text) const;
    int Count(const std::string& caption, const std::string& text) const;

private:
    static void Hook(const char* caption, const char* text, void* self);
    std::vector<Message> messages_;
};

// Tests that draw into the program's one off-screen window. A suite opens it in its
// SetUpTestSuite with OpenWindow and closes it in TearDownTestSuite with CloseWindow.
class WindowTest : public ::testing::Test {
public:
    static void OpenWindow(const char* title, int width, int height);
    static void CloseWindow();
    static int Width() { return width_; }
    static int Height() { return height_; }

protected:
    // Every test starts from this: the viewport on the whole window, identity matrices,
    // blending, lighting, colour material, texturing, fog, alpha test, texture generation,
    // scissor test, face culling and depth test off, blend (GL_ONE, GL_ZERO), depth writes
    // on, the GL_MODULATE texture environment.
    void SetUp() override;

public:
    // Clears colour and depth (to 1).
    static void Clear(const RGBA& colour = {0, 0, 0, 1});
    // Pixel of the window (or bound framebuffer), x and y from the lower left.
    static Pixel ReadPixel(int x, int y);
    // Pixel of a texture's level 0, x and y from its first row.
    static Pixel TexturePixel(GLuint texture, int width, int x, int y);
    // Writes the window as <name>.png into $VEK_DUMP_FRAMES when that is set.
    static void DumpFrame(const std::string& name);

private:
    static int width_, height_;
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

// A JPEG file (quality 100) of one colour, or of four coloured quadrants (top-left,
// top-right, bottom-left, bottom-right), side x side pixels.
void WriteSolidJpeg(const std::filesystem::path& path, int side, std::array<unsigned char, 3> rgb);
void WriteQuadrantJpeg(const std::filesystem::path& path, int side, const std::array<std::array<unsigned char, 3>, 4>& rgb);

}  // namespace gltest
