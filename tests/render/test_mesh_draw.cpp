// Mesh drawing: sub-material switching face by face, children in their parents' moved
// frames, morph frames, and the "Runtime Error" boxes shown once per material.
#include "RenderFixtures.h"
#include "VEK_Materials.h"
#include "VEK_MeshDraw.h"
#include "VEK_Textures.h"

#include <GL/glu.h>

#include <cmath>

namespace {
using namespace render;

const RGBA kRed = Bytes(220, 30, 30);
const RGBA kGreen = Bytes(30, 200, 60);
const RGBA kOwn = Bytes(60, 60, 210);
const RGBA kWhite{1, 1, 1, 1};

class MeshDraw : public RenderTest {};

TEST_F(MeshDraw, FacesSwitchSubMaterialsOneByOne)
{
    auto material = MakeMaterial("multi", kWhite, kWhite);
    FillImage(*material, kOwn);
    AddSub(*material, 1, kRed);
    AddSub(*material, 2, kGreen);
    UploadMaterialTexture(*material);
    // Five quads across the screen: ids 1, 2, 1, 2 and an id with no slot (drawn as 0).
    std::vector<QuadSpec> quads;
    const std::uint32_t ids[5] = {1, 2, 1, 2, 7};
    for (int q = 0; q < 5; ++q) quads.push_back({-1 + 0.4f * q, -1, -0.6f + 0.4f * q, 1, 0, ids[q]});
    auto object = MakeQuads("stripes", quads, material.get());
    DrawObject(*object);
    DumpFrame("sub_materials");
    const RGBA expected[5] = {kRed, kGreen, kRed, kGreen, kOwn};
    for (int q = 0; q < 5; ++q) EXPECT_TRUE(Near(ReadPixel(80 + 160 * q, 300), expected[q])) << "quad " << q;
}

TEST_F(MeshDraw, SwitchToATranslucentSubMaterialHappensOneFaceLate)
{
    auto material = MakeMaterial("multi", kWhite, kWhite);
    FillImage(*material, kOwn);
    AddSub(*material, 1, kRed);
    AddSub(*material, 2, kGreen, 0.3f);
    UploadMaterialTexture(*material);
    auto object = MakeQuads("pair", {{-1, -1, 0, 1, 0, 1}, {0, -1, 1, 1, 0, 2}}, material.get());
    DrawObject(*object);
    EXPECT_TRUE(Near(ReadPixel(200, 300), kRed));
    // The translucent quad's first triangle (lower right) still draws opaque; the second
    // (upper left) is additive with colour (0.3, 0.3, 0.3, 0.3) and no depth test.
    EXPECT_TRUE(Near(ReadPixel(700, 100), kGreen));
    EXPECT_TRUE(Near(ReadPixel(500, 500), Clamp(kGreen * 0.3f * 0.3f + background)));
}

// A camera 20 units up +z looking at the origin, 45 degrees, as the engine projects.
void LookFromFront()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 1.33333, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 20, 0, 0, 0, 0, 1, 0);
}

// The window pixel gluProject gives for a point, with the current matrices.
void Project(const Vector3& p, int& x, int& y)
{
    GLdouble model[16], projection[16], wx, wy, wz;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(p.x, p.y, p.z, model, projection, viewport, &wx, &wy, &wz);
    x = int(wx);
    y = int(wy);
}

TEST_F(MeshDraw, ChildIsDrawnInItsAncestorsMovedFrames)
{
    LookFromFront();
    auto material = MakeMaterial("plain", kWhite, kWhite);
    FillImage(*material, kGreen);
    UploadMaterialTexture(*material);
    // Grandparent: moved by its position key (-1, 0, 0). Parent: origin (1, 0, 0), turned
    // 90 degrees about z and moved by (0, 1, 0). Child: no tracks, centred on (3, 0, 0).
    auto grandparent = MakeQuads("grandparent", {{50, 50, 51, 51}}, material.get());
    auto parent = MakeQuads("parent", {{60, 60, 61, 61}}, material.get());
    parent->origin.setPoint(1, 0, 0);
    AnimController grandparentKeys("grandparent"), parentKeys("parent");
    Vector3 left, up;
    left.setPoint(-1, 0, 0);
    up.setPoint(0, 1, 0);
    grandparentKeys.setPositionKeys({left});
    grandparent->attachController(&grandparentKeys);
    parentKeys.setPositionKeys({up});
    parentKeys.setRotationKeys({{0, 0, 1, 5}});
    parentKeys.rotAngle = 90;
    parent->attachController(&parentKeys);
    auto child = MakeQuads("child", {{2.8f, -0.2f, 3.2f, 0.2f}}, material.get());
    child->addAncestor(parent.get());
    child->addAncestor(grandparent.get());
    DrawObject(*child);
    DumpFrame("child_in_parent_frame");
    // (3, 0, 0) - origin = (2, 0, 0), turned: (0, 2, 0), moved: (0, 3, 0), back: (1, 3, 0);
    // the grandparent's key: (0, 3, 0).
    int x = 0, y = 0;
    Project(Vector3(0, 3, 0), x, y);
    EXPECT_TRUE(Near(ReadPixel(x, y), kGreen)) << "at " << x << ", " << y;
    Project(Vector3(3, 0, 0), x, y);
    EXPECT_TRUE(Near(ReadPixel(x, y), background)) << "the unmoved place stays empty";
    GLfloat model[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, model);
    EXPECT_FLOAT_EQ(model[14], -20.0f) << "the modelview comes back as it was";
}

TEST_F(MeshDraw, MorphObjectDrawsTheVertexSetOfItsFrame)
{
    auto material = MakeMaterial("plain", kWhite, kWhite, 0.5f);
    FillImage(*material, kRed);
    UploadMaterialTexture(*material);
    material->opacity = 1.0f;
    auto object = MakeQuads("morph", {{-0.1f, -0.1f, 0.1f, 0.1f}}, material.get());
    // Three frames, as the file keeps them (z up): the quad at x = -0.6, 0, 0.6 in turn.
    std::vector<VertexSet> frames(3);
    for (int k = 0; k < 3; ++k)
        for (const MeshVertex& vertex : object->vertices)
            frames[k].push_back({vertex.position.x + 0.6f * (k - 1), -vertex.position.z, vertex.position.y});
    AnimController controller("morph");
    controller.setVertexSets(frames);
    object->attachController(&controller);
    ASSERT_TRUE(object->hasVertexSets);
    controller.step();
    controller.step();
    ASSERT_EQ(controller.vertexSetFrame(), 2u);
    DrawObject(*object);
    const int columns[3] = {160, 400, 640};
    EXPECT_TRUE(Near(ReadPixel(columns[2], 300), kRed)) << "frame 2 is drawn";
    EXPECT_TRUE(Near(ReadPixel(columns[0], 300), background));
    EXPECT_TRUE(Near(ReadPixel(columns[1], 300), background));
    // The eye distance of a translucent morph object is measured on the drawn frame.
    material->opacity = 0.5f;
    UpdateEyeDistance(*object, Vector3(0.5f, 0.1f, 0));
    EXPECT_NEAR(object->eyeDistance, 0.0f, 1e-5f);
}

TEST_F(MeshDraw, EyeDistanceIsTheNearestSquaredVertexDistanceOfTranslucentObjects)
{
    auto material = MakeMaterial("glass", kWhite, kWhite, 0.5f);
    auto object = MakeQuads("glass", {{1, 2, 3, 4, 5}}, material.get());
    UpdateEyeDistance(*object, Vector3(0, 0, 0));
    EXPECT_FLOAT_EQ(object->eyeDistance, 1 + 4 + 25);
    material->opacity = 1.0f;
    object->eyeDistance = 7;
    UpdateEyeDistance(*object, Vector3(0, 0, 0));
    EXPECT_FLOAT_EQ(object->eyeDistance, 7) << "opaque objects keep theirs";
}

TEST_F(MeshDraw, RuntimeErrorBoxesShowOncePerMaterial)
{
    Messages messages;
    const std::string bumpCaption = "Runtime Error. No Texture #2 has been supplied. Review the .MAX";
    for (int load = 0; load < 2; ++load) {
        auto bump = MakeMaterial("bumpy", kWhite, kWhite);
        bump->bump = true;
        auto multipass = MakeMaterial("layered", kWhite, kWhite);
        multipass->multipass = true;
        auto bumpObject = MakeQuads("a", {{-1, -1, 0, 1}}, bump.get());
        auto multipassObject = MakeQuads("b", {{0, -1, 1, 1}}, multipass.get());
        for (int frame = 0; frame < 3; ++frame) {
            DrawObject(*bumpObject);
            DrawObject(*multipassObject);
        }
        EXPECT_EQ(messages.Count(bumpCaption, "bumpy"), load + 1);
        EXPECT_EQ(messages.Count("Runtime Error", "layered"), load + 1);
    }
    EXPECT_EQ(messages.all().size(), 4u);
}

TEST_F(MeshDraw, DisabledObjectsAndObjectsWithoutMaterialDrawAsTheyShould)
{
    auto material = MakeMaterial("plain", kWhite, kWhite);
    FillImage(*material, kRed);
    UploadMaterialTexture(*material);
    auto hidden = MakeQuads("hidden", {{-1, -1, 0, 1}}, material.get());
    hidden->enabled = false;
    auto bare = MakeQuads("bare", {{0, -1, 1, 1}}, nullptr);
    DrawObject(*hidden);
    DrawObject(*bare);
    EXPECT_TRUE(Near(ReadPixel(200, 300), background));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0) << "an object without material draws untextured";
    EXPECT_FALSE(Near(ReadPixel(600, 300), background)) << "an object without material is still drawn";
}

}  // namespace
