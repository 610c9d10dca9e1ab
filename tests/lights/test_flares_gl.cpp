// Lens flares: the set read from "./escena/lens.k2d", the eight quads on the line through
// the light's projected point and the view centre, what GL is handed, and the flares that
// are not drawn (light hidden, off the screen, behind the eye, no file).
#include "LightFixtures.h"

#include "VEK_FileReports.h"
#include "VEK_Flares.h"
#include "VEK_K2DPack.h"
#include "VEK_Lights.h"

#include <GL/glu.h>

#include <cmath>

using namespace lights;

namespace {
// The element table: slot, size, offset along the line from the view centre (0) to the light (1).
struct Element {
    int slot;
    float size, offset;
};
constexpr Element kElements[8] = {{2, 0.04f, 0.9f}, {3, 0.1f, 0.8f},   {1, 0.2f, 0.5f},   {3, 0.05f, 0.2f},
                                  {0, 0.04f, 0.0f}, {4, 0.07f, -0.25f}, {4, 0.02f, -0.4f}, {4, 0.03f, -1.0f}};
constexpr int kCentreElement = 4;   // offset 0

const Vector3 kEye{0, 0, 5}, kTarget{0, 0, 0};

std::unique_ptr<OmniLight> MakeLight(const Vector3& at)
{
    const float white[3] = {1, 1, 1};
    Vector3 point;
    point.setPoint(at.x, at.y, at.z);
    return std::make_unique<OmniLight>("Omni01", white, 0.0f, point, GL_LIGHT0);
}

void WriteLensFile(const TempDir& dir, int records)
{
    std::filesystem::create_directories(dir / "escena");
    std::vector<k2d::SlotEntry> entries;
    for (int slot = 0; slot < records; ++slot) {
        const auto jpeg = dir / ("flare" + std::to_string(slot) + ".jpg");
        WriteSolidJpeg(jpeg, 128, {255, 255, 255});
        entries.push_back({"flare", slot, jpeg.string()});
    }
    ASSERT_TRUE(k2d::WriteSlots((dir / "escena" / "lens.k2d").c_str(), entries).ok());
}

float Cross2(float ax, float ay, float bx, float by) { return ax * by - ay * bx; }

// Window-space vertices GL receives while drawing, through feedback.
struct Feedback {
    int polygons = 0;
    std::vector<Vector3> vertices;
};
template <typename Draw>
Feedback Capture(Draw draw)
{
    static GLfloat buffer[8192];
    glFeedbackBuffer(GLsizei(std::size(buffer)), GL_3D, buffer);
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint size = glRenderMode(GL_RENDER);
    Feedback result;
    for (GLint i = 0; i < size;) {
        const GLint token = GLint(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            const int n = int(buffer[i++]);
            ++result.polygons;
            for (int v = 0; v < n; ++v, i += 3) result.vertices.push_back({buffer[i], buffer[i + 1], buffer[i + 2]});
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
        } else {
            break;   // no other primitive is drawn here
        }
    }
    return result;
}

class FlareGL : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        LookAt(kEye, kTarget);
        glEnable(GL_TEXTURE_2D);
    }
};
}  // namespace

TEST_F(FlareGL, LoadsTheSetAndItsElementTable)
{
    WriteLensFile(dir, 5);
    Messages messages;
    auto light = MakeLight({1, 0.5f, -3});
    ASSERT_TRUE(loadFlareSet(*light, kLensFlarePath));
    EXPECT_TRUE(messages.all().empty());
    EXPECT_TRUE(light->flareSet.loaded);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(light->flareSet.elements[std::size_t(i)].slot, kElements[i].slot);
        EXPECT_FLOAT_EQ(light->flareSet.elements[std::size_t(i)].size, kElements[i].size);
        EXPECT_FLOAT_EQ(light->flareSet.elements[std::size_t(i)].offset, kElements[i].offset);
    }
    for (int slot = 0; slot < 5; ++slot) {
        glBindTexture(GL_TEXTURE_2D, light->flareSet.images.textures[slot]);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 128) << "slot " << slot;
    }
}

TEST_F(FlareGL, MissingOrDamagedFileLeavesTheLightWithoutFlares)
{
    {
        Messages messages;
        auto light = MakeLight({1, 0.5f, -3});
        EXPECT_FALSE(loadFlareSet(*light, kLensFlarePath));
        ASSERT_EQ(messages.all().size(), 1u);
        EXPECT_EQ(messages.all()[0].caption, "K2D Loading ERROR");
        EXPECT_EQ(messages.all()[0].text, "K2D LensFlare File Not Founde.");
        EXPECT_FALSE(light->flareSet.loaded);
        const Feedback drawn = Capture([&] { drawFlares(*light, kEye, kTarget); });
        EXPECT_EQ(drawn.polygons, 0);
        // The scene goes on drawing.
        DrawSquare({0, 0, 0}, 1, 0, 1, 0);
        EXPECT_TRUE(Near(ReadPixel(kSide / 2, kSide / 2), 0, 1, 0));
        // Every other light naming the file goes without flares and without another message.
        auto second = MakeLight({-1, 0.5f, -3});
        EXPECT_FALSE(loadFlareSet(*second, kLensFlarePath));
        EXPECT_EQ(messages.all().size(), 1u);
    }
    filereports::Forget();   // as a new framework does
    {
        WriteLensFile(dir, 2);
        const std::string bytes = dir.read("escena/lens.k2d");
        dir.write("escena/lens.k2d", bytes.substr(0, bytes.size() / 2));
        Messages messages;
        auto light = MakeLight({1, 0.5f, -3});
        EXPECT_FALSE(loadFlareSet(*light, kLensFlarePath));
        EXPECT_EQ(messages.all().size(), 1u);
        EXPECT_FALSE(light->flareSet.loaded);
    }
}

TEST_F(FlareGL, QuadCentresLieOnTheLineThroughTheLightAndTheViewCentre)
{
    WriteLensFile(dir, 5);
    for (const Vector3& at : {Vector3{1, 0.5f, -3}, Vector3{-2, 1.5f, 0}, Vector3{0.5f, -1, 2}}) {
        SCOPED_TRACE(::testing::Message() << "light at " << at.x << ", " << at.y << ", " << at.z);
        auto light = MakeLight(at);
        ASSERT_TRUE(loadFlareSet(*light, kLensFlarePath));
        FlareQuad quads[8];
        ASSERT_TRUE(flareQuads(*light, kEye, kTarget, quads));

        // In space: every centre is the centre element's plus offset times one vector X,
        // and the centre element lies on the line of sight.
        const Vector3 base = quads[kCentreElement].centre;
        const Vector3 x = scale(subtract(quads[0].centre, base), 1 / kElements[0].offset);
        for (int i = 0; i < 8; ++i) {
            const Vector3 expected = add(base, scale(x, kElements[i].offset));
            EXPECT_NEAR(distance(quads[i].centre, expected), 0, 1e-5f) << "element " << i;
            EXPECT_EQ(quads[i].slot, kElements[i].slot);
        }
        // On the screen: the centre element at the view centre, base + X on the light.
        // One unit ahead of the eye, and the line's far end one unit from it.
        EXPECT_NEAR(distance(base, kEye), 1, 1e-5f);
        EXPECT_NEAR(distance(add(base, x), kEye), 1, 1e-5f);
        const Vector3 centre = Project(base), lightPixel = Project(light->point), end = Project(add(base, x));
        EXPECT_NEAR(centre.x, kSide / 2.0f, 1e-2f);
        EXPECT_NEAR(centre.y, kSide / 2.0f, 1e-2f);
        EXPECT_NEAR(end.x, lightPixel.x, 1e-2f);
        EXPECT_NEAR(end.y, lightPixel.y, 1e-2f);
        for (int i = 0; i < 8; ++i) {
            const Vector3 p = Project(quads[i].centre);
            const float off = Cross2(lightPixel.x - centre.x, lightPixel.y - centre.y, p.x - centre.x, p.y - centre.y);
            const float length = std::hypot(lightPixel.x - centre.x, lightPixel.y - centre.y);
            EXPECT_NEAR(off / length, 0, 1e-2f) << "element " << i << " is off the line by pixels";
        }
        // Each quad is a square around its centre, one side along the line, the other
        // across it and across the line of sight, its half-size in proportion to the size.
        const Vector3 ahead = normalize(subtract(kTarget, kEye));
        const float unit = magnitude(subtract(quads[0].corners[0], quads[0].corners[1])) / kElements[0].size;
        for (int i = 0; i < 8; ++i) {
            const FlareQuad& q = quads[i];
            const Vector3 along = scale(subtract(q.corners[0], q.corners[1]), 0.5f);
            const Vector3 across = scale(subtract(q.corners[1], q.corners[2]), 0.5f);
            EXPECT_NEAR(distance(scale(add(add(q.corners[0], q.corners[1]), add(q.corners[2], q.corners[3])), 0.25f), q.centre), 0, 1e-5f);
            EXPECT_NEAR(magnitude(cross(normalize(along), normalize(x))), 0, 1e-4f) << "element " << i;
            EXPECT_NEAR(dot(normalize(across), normalize(x)), 0, 1e-4f);
            EXPECT_NEAR(dot(normalize(across), ahead), 0, 1e-4f);
            EXPECT_NEAR(magnitude(along) * 2 / kElements[i].size, unit, unit * 1e-3f) << "element " << i;
            EXPECT_NEAR(magnitude(along), 1.3f * kElements[i].size, 1e-5f) << "element " << i;
            EXPECT_NEAR(magnitude(across), 1.3f * kElements[i].size, 1e-5f) << "element " << i;
        }
    }
}

TEST_F(FlareGL, DrawsTheEightQuadsAsTheyProjectFromTheFlareLine)
{
    WriteLensFile(dir, 5);
    auto light = MakeLight({1, 0.5f, -3});
    ASSERT_TRUE(loadFlareSet(*light, kLensFlarePath));
    FlareQuad quads[8];
    ASSERT_TRUE(flareQuads(*light, kEye, kTarget, quads));
    const Feedback drawn = Capture([&] { drawFlares(*light, kEye, kTarget); });
    // Quads may reach GL as quads or as triangle pairs; none is clipped away.
    ASSERT_TRUE(drawn.polygons == 8 || drawn.polygons == 16) << drawn.polygons << " polygons";
    std::vector<Vector3> expected;
    for (const FlareQuad& quad : quads)
        for (const Vector3& corner : quad.corners) expected.push_back(Project(corner));
    auto found = [](const std::vector<Vector3>& in, const Vector3& p) {
        for (const Vector3& q : in)
            if (std::fabs(q.x - p.x) < 0.05f && std::fabs(q.y - p.y) < 0.05f) return true;
        return false;
    };
    for (const Vector3& p : expected) EXPECT_TRUE(found(drawn.vertices, p)) << "corner at " << p.x << ", " << p.y;
    for (const Vector3& p : drawn.vertices) EXPECT_TRUE(found(expected, p)) << "vertex at " << p.x << ", " << p.y;

    // Drawn for real: white textures added over black, so the centre element is white.
    Clear();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    drawFlares(*light, kEye, kTarget);
    DumpFrame("flares");
    EXPECT_TRUE(Near(ReadPixel(kSide / 2, kSide / 2), 1, 1, 1));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(FlareGL, NoFlaresForAHiddenLightOrOneOffTheScreenOrBehindTheEye)
{
    WriteLensFile(dir, 5);
    struct Case {
        const char* what;
        Vector3 at;
        bool occluder;
    };
    const Case cases[] = {
        {"hidden", {0.2f, 0.1f, 0}, true},
        {"off the screen", {40, 0, 0}, false},
        {"behind the eye", {0.2f, 0.1f, 9}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clear();
        auto light = MakeLight(c.at);
        ASSERT_TRUE(loadFlareSet(*light, kLensFlarePath));
        if (c.occluder) DrawSquare({0, 0, 2}, 1);
        drawGlow(*light);   // runs the probe
        EXPECT_TRUE(light->occluded || light->offscreen);
        FlareQuad quads[8];
        EXPECT_FALSE(flareQuads(*light, kEye, kTarget, quads));
        const Feedback drawn = Capture([&] { drawFlares(*light, kEye, kTarget); });
        EXPECT_EQ(drawn.polygons, 0);
    }
}

TEST(FlareDepth, ScaleMovesTheNearestCornerBeyondTheNearPlane)
{
    FlareQuad quads[8];
    for (int i = 0; i < 8; ++i)
        for (Vector3& corner : quads[i].corners) corner = {0.1f * float(i), 0, 4.8f - 0.01f * float(i)};
    // The eye at z = 5 looking down -z: the nearest corner is 0.2 in front of it.
    EXPECT_NEAR(flareDepthScale(quads, kEye, kTarget, 1.0f), 1.25f / 0.2f, 1e-4f);
    EXPECT_FLOAT_EQ(flareDepthScale(quads, kEye, kTarget, 0.1f), 1.0f);
    EXPECT_FLOAT_EQ(flareDepthScale(quads, kEye, kTarget, 0.0f), 1.0f);
}
