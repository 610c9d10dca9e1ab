// What the renderer tests share: an off-screen 800 x 600 window with the engine's default
// GL state, records built in code (quads, materials with solid textures), pixel reads, and
// colour arithmetic for the expected values of the fixed-function equations.
#pragma once

#include "TempDir.h"
#include "VEK_SceneRecords.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace render {

inline constexpr int kWidth = 800;
inline constexpr int kHeight = 600;

// RGBA, channels 0 .. 1.
struct RGBA {
    float r = 0, g = 0, b = 0, a = 1;
};
RGBA operator*(const RGBA& x, const RGBA& y);
RGBA operator+(const RGBA& x, const RGBA& y);
RGBA operator*(const RGBA& x, float s);
RGBA Clamp(const RGBA& x);
// A colour as a texture of 8-bit channels stores it.
RGBA Bytes(int r, int g, int b, int a = 255);
RGBA FromColour(const Colour& c);

// Channels of a framebuffer pixel, 0 .. 255.
struct Pixel {
    int r = 0, g = 0, b = 0, a = 0;
};
// Within tolerance 8-bit steps in red, green and blue.
::testing::AssertionResult Near(const Pixel& pixel, const RGBA& expected, int tolerance = 2);

// Messages shown while it lives.
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
    int Count(const std::string& caption, const std::string& text) const;

private:
    static void Hook(const char* caption, const char* text, void* self);
    std::vector<Message> messages_;
};

class RenderTest : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    // Engine default state, identity matrices, an orthographic view of (-1, -1)..(1, 1)
    // looking down -z, lighting off, cleared to the background.
    void SetUp() override;
    void TearDown() override;

    static void Clear(const RGBA& colour);
    static Pixel ReadPixel(int x, int y);
    static Pixel Centre() { return ReadPixel(kWidth / 2, kHeight / 2); }
    // One directional light along +z (ambient, diffuse, no specular), no global ambient.
    static void UseLight(const RGBA& ambient, const RGBA& diffuse);
    // Writes the frame as <name>.png into $VEK_DUMP_FRAMES when that is set.
    static void DumpFrame(const std::string& name);

    RGBA background{0.2f, 0.3f, 0.4f, 1.0f};
};

// A material with its texture colour; opacity 1 unless given.
std::unique_ptr<Material> MakeMaterial(const std::string& name, const RGBA& ambient, const RGBA& diffuse,
                                       float opacity = 1.0f);
// Fills the image with one colour (RGB) of the given size; the texture is made by
// UploadMaterialTexture afterwards.
void FillImage(Material& material, const RGBA& colour, std::uint32_t width = 4, std::uint32_t height = 4);
// Adds sub-materials in slots 1 .. count-1, each with one colour.
Material* AddSub(Material& material, std::uint32_t slot, const RGBA& colour, float opacity = 1.0f);

// Quads of two triangles each, facing +z, normals (0, 0, 1), texture (0,0)..(1,1).
struct QuadSpec {
    float x0, y0, x1, y1, z = 0;
    std::uint32_t subMaterial = 0;
};
std::unique_ptr<SceneObject> MakeQuads(const std::string& name, const std::vector<QuadSpec>& quads,
                                       Material* material);

}  // namespace render
