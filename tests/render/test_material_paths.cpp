// One full-screen quad per material path and per blend and combine table entry; the
// pixel read back is checked against the fixed-function equations for the inputs.
#include "RenderFixtures.h"
#include "VEK_Materials.h"
#include "VEK_MeshDraw.h"
#include "VEK_RenderState.h"
#include "VEK_Textures.h"

#include <cmath>
#include <functional>

namespace {
using namespace render;

const RGBA kLightAmbient{0.4f, 0.4f, 0.4f, 1};
const RGBA kLightDiffuse{0.5f, 0.5f, 0.5f, 1};
const RGBA kAmbient{0.5f, 0.8f, 1.0f, 1};
const RGBA kDiffuse{0.6f, 0.4f, 0.2f, 1};
const RGBA kOwnTexel = Bytes(200, 150, 100);
const RGBA kSubTexel = Bytes(100, 180, 60);
const RGBA kWhite{1, 1, 1, 1};

// The lit colour of a face whose normal faces the light: ambient and diffuse terms.
RGBA Lit(const RGBA& ambient, const RGBA& diffuse)
{
    RGBA c = ambient * kLightAmbient + diffuse * kLightDiffuse;
    c.a = diffuse.a;
    return Clamp(c);
}

class MaterialPaths : public RenderTest {
protected:
    void Draw(Material& material)
    {
        UploadMaterialTexture(material);
        auto quad = MakeQuads("quad", {{-1, -1, 1, 1}}, &material);
        DrawObject(*quad);
    }

    std::unique_ptr<Material> Textured(float opacity = 1.0f)
    {
        auto material = MakeMaterial("m", kAmbient, kDiffuse, opacity);
        FillImage(*material, kOwnTexel);
        return material;
    }
};

TEST_F(MaterialPaths, SingleTextureModulatesTheLitColour)
{
    UseLight(kLightAmbient, kLightDiffuse);
    auto material = Textured();
    Draw(*material);
    EXPECT_TRUE(Near(Centre(), kOwnTexel * Lit(kAmbient, kDiffuse)));
}

TEST_F(MaterialPaths, DisabledMaterialDrawsItsTextureWithoutLightingMaterial)
{
    auto material = Textured();
    material->enabled = false;
    Draw(*material);
    // Lighting is off here: the texture modulates the current colour (white).
    EXPECT_TRUE(Near(Centre(), kOwnTexel * kWhite));
}

TEST_F(MaterialPaths, TranslucentObjectsBlendByTheBlendTable)
{
    const float opacity = 0.5f;
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    const float dstAlpha = alphaBits > 0 ? background.a : 1.0f;
    // Source factor, destination factor per entry, as functions of source and destination.
    using Factor = std::function<RGBA(const RGBA& s, const RGBA& d)>;
    const auto alpha = [](float a) { return RGBA{a, a, a, a}; };
    const Factor srcAlpha = [&](const RGBA& s, const RGBA&) { return alpha(s.a); };
    const Factor one = [&](const RGBA&, const RGBA&) { return alpha(1); };
    const std::vector<std::pair<Factor, Factor>> table = {
        {srcAlpha, [&](const RGBA& s, const RGBA&) { return alpha(1 - s.a); }},
        {srcAlpha, one},
        {[](const RGBA& s, const RGBA&) { return RGBA{1 - s.r, 1 - s.g, 1 - s.b, 1 - s.a}; }, one},
        {srcAlpha, [](const RGBA&, const RGBA& d) { return d; }},
        {srcAlpha, srcAlpha},
        {[&](const RGBA&, const RGBA& d) { return alpha(d.a); }, one},
        {one, srcAlpha},
    };
    for (std::uint8_t entry = 0; entry < table.size(); ++entry) {
        SCOPED_TRACE("blendfunc " + std::to_string(entry));
        SetUp();
        auto material = Textured(opacity);
        material->blendfunc = entry;
        Draw(*material);
        // Lighting goes off for translucent materials; the colour is ambient at the opacity.
        RGBA source = kOwnTexel * RGBA{kAmbient.r, kAmbient.g, kAmbient.b, opacity};
        source.a = opacity;
        RGBA destination = background;
        destination.a = dstAlpha;
        const RGBA expected =
            Clamp(source * table[entry].first(source, destination) + destination * table[entry].second(source, destination));
        EXPECT_TRUE(Near(Centre(), expected));
        GLboolean depthWrites = GL_TRUE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_EQ(depthWrites, GL_TRUE) << "the reset turns depth writes back on";
    }
}

TEST_F(MaterialPaths, TranslucentDrawingDoesNotWriteDepth)
{
    auto material = Textured(0.5f);
    UploadMaterialTexture(*material);
    auto near = MakeQuads("near", {{-1, -1, 1, 1, 0.5f}}, material.get());
    auto opaqueMaterial = Textured();
    UploadMaterialTexture(*opaqueMaterial);
    auto far = MakeQuads("far", {{-1, -1, 1, 1, -0.5f}}, opaqueMaterial.get());
    DrawObject(*near);
    Clear(background);   // colour only matters from here; depth must still be 1
    glClear(GL_COLOR_BUFFER_BIT);
    DrawObject(*far);
    // Lighting stays off after a translucent material and the current colour is still its
    // ambient colour, so the opaque quad shows its texture times that colour.
    EXPECT_TRUE(Near(Centre(), kOwnTexel * RGBA{kAmbient.r, kAmbient.g, kAmbient.b, 1}))
        << "the farther quad was hidden by a translucent depth write";
}

TEST_F(MaterialPaths, MultipassCombinesTheSecondUnitByTheCombineTable)
{
    const RGBA envColour{0.3f, 0.6f, 0.9f, 0.5f};
    const RGBA subAmbient{0.9f, 0.7f, 0.5f, 1};
    for (std::uint8_t entry = 0; entry <= 4; ++entry) {
        SCOPED_TRACE("combine " + std::to_string(entry));
        SetUp();
        UseLight(kLightAmbient, kLightDiffuse);
        auto material = Textured();
        material->multipass = true;
        Material* sub = AddSub(*material, 1, kSubTexel);
        sub->colours.ambient = {subAmbient.r, subAmbient.g, subAmbient.b, 1};
        sub->combine = entry;
        std::copy(&envColour.r, &envColour.r + 4, sub->txt2rgba);
        Draw(*material);
        // The second unit's lighting material is sub-material 1's ambient; diffuse follows
        // the current colour (white) once colour tracking is on.
        const RGBA unit0 = kOwnTexel * Lit(subAmbient, kWhite);
        RGBA expected;
        switch (entry) {
        case 0: expected = unit0 * kSubTexel; break;
        case 1: expected = Clamp(unit0 + kSubTexel); break;
        case 2: expected = unit0 * RGBA{1 - kSubTexel.r, 1 - kSubTexel.g, 1 - kSubTexel.b, 1} + envColour * kSubTexel; break;
        case 3: expected = kSubTexel; break;
        case 4: expected = kSubTexel * envColour.a; break;
        }
        EXPECT_TRUE(Near(Centre(), expected));
    }
}

TEST_F(MaterialPaths, MultipassWithoutMultitextureDrawsItsOwnTextureOnly)
{
    UseLight(kLightAmbient, kLightDiffuse);
    rgl::SetMultitextureDisabled(true);
    auto material = Textured();
    material->multipass = true;
    AddSub(*material, 1, kSubTexel)->combine = 3;
    Draw(*material);
    EXPECT_TRUE(Near(Centre(), kOwnTexel * Lit(kAmbient, kDiffuse)));
}

// A light so far along (0.2, 0.5, 1) that every vertex of the quad sees the same direction.
struct BumpCase {
    Vector3 light{2000, 5000, 10000};
    RGBA normalTexel = Bytes(170, 100, 230);

    RGBA Encoded() const
    {
        Vector3 d = normalize(light);
        d.y = -d.y;
        return {0.5f * d.x + 0.5f, 0.5f * d.y + 0.5f, 0.5f * d.z + 0.5f, 1};
    }
    float Dot3() const
    {
        const RGBA e = Encoded(), n = normalTexel;
        const float d = 4 * ((n.r - 0.5f) * (e.r - 0.5f) + (n.g - 0.5f) * (e.g - 0.5f) + (n.b - 0.5f) * (e.b - 0.5f));
        return std::clamp(d, 0.0f, 1.0f);
    }
};

TEST_F(MaterialPaths, BumpIsTheDot3OfNormalMapAndLightVectorTimesTheTexture)
{
    UseLight(kLightAmbient, kLightDiffuse);
    const BumpCase bump;
    auto material = Textured();
    material->bump = true;
    AddSub(*material, 1, bump.normalTexel);
    UploadMaterialTexture(*material);
    auto quad = MakeQuads("quad", {{-1, -1, 1, 1}}, material.get());
    UpdateLightVectors(*quad, bump.light);
    const RGBA encoded = bump.Encoded();
    EXPECT_NEAR(quad->vertices[0].colour[1], encoded.g, 1e-3) << "y of the light vector is flipped";
    DrawObject(*quad);
    const float d = bump.Dot3();
    EXPECT_TRUE(Near(Centre(), kOwnTexel * RGBA{d, d, d, 1}));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << "the reset turns lighting back on";
}

TEST_F(MaterialPaths, BumpGlossPassPaintsSubMaterialTwoOverTheBump)
{
    const BumpCase bump;
    const RGBA gloss = Bytes(90, 200, 250);
    auto material = Textured();
    material->bump = true;
    material->glossbump = true;
    AddSub(*material, 1, bump.normalTexel);
    AddSub(*material, 2, gloss);
    UploadMaterialTexture(*material);
    auto quad = MakeQuads("quad", {{-1, -1, 1, 1}}, material.get());
    UpdateLightVectors(*quad, bump.light);
    DrawObject(*quad);
    // Unit 0 modulates the gloss texture by the vertex colour, unit 1 still multiplies by
    // the own texture; opaque, so it replaces the first pass.
    EXPECT_TRUE(Near(Centre(), gloss * bump.Encoded() * kOwnTexel));
}

TEST_F(MaterialPaths, AlphaMaterialsBlendTheirMergedAlphaInTwoPasses)
{
    for (bool multipass : {false, true}) {
        SCOPED_TRACE(multipass ? "alpha and multipass" : "alpha");
        SetUp();
        UseLight(kLightAmbient, kLightDiffuse);
        auto material = Textured();
        material->alpha = true;
        material->multipass = multipass;
        AddSub(*material, 1, Bytes(102, 0, 0));   // its red becomes the alpha: 0.4
        UploadMaterialTexture(*material);
        MergeAlpha(*material);
        ASSERT_TRUE(material->rgbaDone);
        auto quad = MakeQuads("quad", {{-1, -1, 1, 1}}, material.get());
        DrawObject(*quad);
        RGBA source = kOwnTexel * Lit(kAmbient, kDiffuse);
        const float a = 0.4f;
        const RGBA once = source * a + background * (1 - a);
        const RGBA twice = source * a + once * (1 - a);
        EXPECT_TRUE(Near(Centre(), twice));
    }
}

TEST_F(MaterialPaths, EnvMappingSamplesTheSphereMapTexelOfTheNormal)
{
    // A tiny quad far down -z: the eye direction is (0, 0, -1) all over it.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-0.01, 0.01, -0.01, 0.01, 1, 10);
    glMatrixMode(GL_MODELVIEW);
    const int side = 16;
    auto material = MakeMaterial("env", kWhite, kWhite);
    material->env = true;
    TextureImage& image = material->image;
    image.width = image.height = side;
    image.pixels.resize(side * side * 3);
    for (int t = 0; t < side; ++t)
        for (int s = 0; s < side; ++s) {
            std::uint8_t* p = &image.pixels[(t * side + s) * 3];
            p[0] = std::uint8_t(s * 16 + 8);
            p[1] = std::uint8_t(t * 16 + 8);
            p[2] = 40;
        }
    image.loaded = true;
    UploadMaterialTexture(*material);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    auto quad = MakeQuads("quad", {{-0.02f, -0.02f, 0.02f, 0.02f, -5}}, material.get());
    const Vector3 n = normalize(Vector3(0.3f, -0.45f, 1.0f));
    for (MeshVertex& vertex : quad->vertices) vertex.normal = n;
    DrawObject(*quad);
    // r = u - 2 n (n . u) with u = (0, 0, -1); m = 2 |r + (0, 0, 1)|; s, t = r / m + 0.5.
    const Vector3 r(2 * n.x * n.z, 2 * n.y * n.z, -1 + 2 * n.z * n.z);
    const float m = 2 * std::sqrt(r.x * r.x + r.y * r.y + (r.z + 1) * (r.z + 1));
    const int s = int((r.x / m + 0.5f) * side), t = int((r.y / m + 0.5f) * side);
    EXPECT_TRUE(Near(Centre(), Bytes(s * 16 + 8, t * 16 + 8, 40)));
}

TEST_F(MaterialPaths, WireMaterialsDrawWhiteLoopsOfTheirWidth)
{
    auto material = MakeMaterial("wire", kWhite, kWhite);
    material->wire = true;
    material->wireSize = 2;
    auto quad = MakeQuads("quad", {{-0.5f, -0.5f, 0.5f, 0.5f}}, material.get());
    DrawObject(*quad);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 2.0f);
    // The left edge at x = -0.5 is column 200; the diagonal passes the centre.
    EXPECT_TRUE(Near(ReadPixel(200, 400), kWhite));
    EXPECT_TRUE(Near(Centre(), kWhite));
    EXPECT_TRUE(Near(ReadPixel(300, 400), background)) << "inside a face is not filled";
}

TEST_F(MaterialPaths, ImpostorIsAnAdditiveSquareOf800UnitsAtItsPositionInEyeSpace)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1000, 1000, -750, 750, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(100, 0, 0);   // the view moves the impostor 100 units right
    auto material = Textured(0.5f);
    UploadMaterialTexture(*material);
    auto object = MakeQuads("impostor", {{-1, -1, 1, 1}}, material.get());
    object->impostor = true;
    object->position.setPoint(-50, 0, 0);   // eye space x = 50
    DrawObject(*object);
    const RGBA added = Clamp(kOwnTexel * 0.5f + background);
    // 0.4 pixels per unit: x = 50 +- 400 is pixels 260 .. 580, y = +-400 is 140 .. 460.
    EXPECT_TRUE(Near(ReadPixel(270, 300), added));
    EXPECT_TRUE(Near(ReadPixel(570, 450), added));
    EXPECT_TRUE(Near(ReadPixel(250, 300), background));
    EXPECT_TRUE(Near(ReadPixel(590, 300), background));
    EXPECT_TRUE(Near(ReadPixel(400, 470), background));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << "the impostor leaves the depth test off";
}

}  // namespace
