// What the 2D layer tests share: an off-screen 800 x 600 GL window, pixel reading with
// expected values from the blend equations, messages, and skin files made in the test.
#pragma once

#include "TempDir.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace layers {

// Colour with channels 0 .. 1.
struct Colour {
    float r = 0, g = 0, b = 0, a = 1;
};
// Channels as the framebuffer holds them, 0 .. 255.
struct Pixel {
    int r = 0, g = 0, b = 0, a = 0;
};

// Expected colour, each channel clamped to 0 .. 1 as fixed-function blending does.
Colour Clamped(Colour colour);
// EXPECT that a pixel is within tolerance (in 8-bit steps) of the colour's channels (alpha not compared).
::testing::AssertionResult Near(const Pixel& pixel, const Colour& expected, int tolerance = 2);

// Tests that draw: one window for the whole program, state reset before every test.
class GLTest : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    void SetUp() override;
    // Clears the whole window to the colour.
    static void ClearScreen(const Colour& colour);
    // Pixel of the window (x, y from the lower left).
    static Pixel ReadPixel(int x, int y);
    // Pixel of a texture's level 0 (x, y from its first row).
    static Pixel TexturePixel(GLuint texture, int width, int x, int y);
    // Writes the window as <name>.png into $VEK_DUMP_FRAMES when that is set.
    static void DumpFrame(const std::string& name);
};

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

// A JPEG file of one colour, or of four coloured quadrants (top-left, top-right,
// bottom-left, bottom-right), side x side pixels.
void WriteSolidJpeg(const std::filesystem::path& path, int side, std::array<unsigned char, 3> rgb);
void WriteQuadrantJpeg(const std::filesystem::path& path, int side, const std::array<std::array<unsigned char, 3>, 4>& rgb);

}  // namespace layers
