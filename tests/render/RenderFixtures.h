// What the renderer tests add to the shared GL test support: an off-screen 800 x 600
// window with the engine's default GL state, records built in code (quads, materials with
// solid textures) and a directional light.
#pragma once

#include "GLTestSupport.h"
#include "TempDir.h"
#include "VEK_SceneRecords.h"

#include <GL/gl.h>

#include <memory>
#include <string>
#include <vector>

namespace render {

using gltest::Bytes;
using gltest::Clamp;
using gltest::Messages;
using gltest::Near;
using gltest::Pixel;
using gltest::RGBA;

inline constexpr int kWidth = 800;
inline constexpr int kHeight = 600;

RGBA FromColour(const Colour& c);

class RenderTest : public gltest::WindowTest {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite() { CloseWindow(); }

protected:
    // Engine default state, identity matrices, an orthographic view of (-1, -1)..(1, 1)
    // looking down -z, lighting off, cleared to the background.
    void SetUp() override;
    void TearDown() override;

    static Pixel Centre() { return ReadPixel(kWidth / 2, kHeight / 2); }
    // One directional light along +z (ambient, diffuse, no specular), no global ambient.
    static void UseLight(const RGBA& ambient, const RGBA& diffuse);

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
