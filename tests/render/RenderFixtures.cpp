#include "RenderFixtures.h"

#include "VEK_RenderState.h"
#include "VEK_SceneDraw.h"

#include <algorithm>
#include <cmath>

namespace render {

RGBA FromColour(const Colour& c) { return {c[0], c[1], c[2], c[3]}; }

void RenderTest::SetUpTestSuite()
{
    OpenWindow("renderer tests", kWidth, kHeight);
    InstallRendererHooks();
}

void RenderTest::SetUp()
{
    gltest::WindowTest::SetUp();
    rgl::SetMultitextureDisabled(false);
    // The engine's default state after a scene is loaded.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    for (int unit = 1; unit >= 0; --unit) {
        rgl::SelectTextureUnit(unit);
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        rgl::SetTexGen(false);
        rgl::SetTextureEnv(GL_MODULATE);
        glDisable(GL_TEXTURE_2D);
    }
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glColor4f(1, 1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    Clear(background);
}

void RenderTest::TearDown()
{
    rgl::SetMultitextureDisabled(false);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

void RenderTest::UseLight(const RGBA& ambient, const RGBA& diffuse)
{
    const GLfloat none[4] = {0, 0, 0, 1};
    const GLfloat a[4] = {ambient.r, ambient.g, ambient.b, ambient.a};
    const GLfloat d[4] = {diffuse.r, diffuse.g, diffuse.b, diffuse.a};
    const GLfloat direction[4] = {0, 0, 1, 0};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glPushMatrix();
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glPopMatrix();
    glLightfv(GL_LIGHT0, GL_AMBIENT, a);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, d);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
}

std::unique_ptr<Material> MakeMaterial(const std::string& name, const RGBA& ambient, const RGBA& diffuse,
                                       float opacity)
{
    ColourSet colours;
    colours.ambient = {ambient.r, ambient.g, ambient.b, ambient.a};
    colours.diffuse = {diffuse.r, diffuse.g, diffuse.b, diffuse.a};
    colours.specular = {0, 0, 0, 1};
    auto material = std::make_unique<Material>(name, 0, colours, 0.0f, opacity);
    material->enabled = true;
    return material;
}

void FillImage(Material& material, const RGBA& colour, std::uint32_t width, std::uint32_t height)
{
    TextureImage& image = material.image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t(width) * height * 3);
    for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
        image.pixels[i] = std::uint8_t(std::lround(colour.r * 255));
        image.pixels[i + 1] = std::uint8_t(std::lround(colour.g * 255));
        image.pixels[i + 2] = std::uint8_t(std::lround(colour.b * 255));
    }
    image.loaded = true;
}

Material* AddSub(Material& material, std::uint32_t slot, const RGBA& colour, float opacity)
{
    auto sub = MakeMaterial(material.name + "_sub" + std::to_string(slot), {1, 1, 1, 1}, {1, 1, 1, 1}, opacity);
    FillImage(*sub, colour);
    Material* raw = sub.get();
    material.setSubMaterial(slot, sub.release());
    material.setSlots(true, std::max(material.subMaterialCount, slot + 1));
    return raw;
}

std::unique_ptr<SceneObject> MakeQuads(const std::string& name, const std::vector<QuadSpec>& quads,
                                       Material* material)
{
    const auto count = std::uint32_t(quads.size());
    auto object = std::make_unique<SceneObject>(1, name, "", Vector3(0, 0, 0), RotationKey{}, count * 4, count * 2);
    object->origin.w = 1;
    for (auto& list : object->textureVertices) list.assign(4, 0.0f);
    const float u[4] = {0, 1, 1, 0}, v[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        object->textureVertices[0][i] = u[i];
        object->textureVertices[1][i] = v[i];
    }
    object->textureVertexCount = 4;
    for (auto& list : object->textureFaces) list.assign(count * 2, 0);
    for (std::uint32_t q = 0; q < count; ++q) {
        const QuadSpec& s = quads[q];
        const float xs[4] = {s.x0, s.x1, s.x1, s.x0}, ys[4] = {s.y0, s.y0, s.y1, s.y1};
        for (int i = 0; i < 4; ++i) {
            MeshVertex& vertex = object->vertices[q * 4 + i];
            vertex.position.setPoint(xs[i], ys[i], s.z);
            vertex.normal = Vector3(0, 0, 1);
        }
        const std::uint32_t corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
        for (int t = 0; t < 2; ++t) {
            MeshFace& face = object->faces[q * 2 + t];
            face.a = q * 4 + corners[t][0];
            face.b = q * 4 + corners[t][1];
            face.c = q * 4 + corners[t][2];
            face.normal = Vector3(0, 0, 1);
            face.subMaterial = s.subMaterial;
            for (int c = 0; c < 3; ++c) object->textureFaces[c][q * 2 + t] = corners[t][c];
        }
    }
    object->material = material;
    object->multiMaterial = material && material->hasSubMaterials;
    return object;
}

}  // namespace render
