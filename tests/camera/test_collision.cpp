// The camera's sphere against scene faces: push-back, the faces counted, faceHit.
#include "CameraFixtures.h"

#include "TempDir.h"
#include "VEK_Collision.h"
#include "VEK_Scene.h"
#include "vekPlatform.h"

#include <cmath>

using namespace cameratest;

namespace {

class Collision : public CameraTest {};

// A wall in the plane z = 0 facing +z, corner a first so that the eye's dot product with
// it is positive (the hit value is its square root).
const Vector3 kWallA(0, 100, 0), kWallB(-100, -100, 0), kWallC(100, -100, 0);
const Vector3 kWallNormal(0, 0, 1);

float Radius(const Camera& camera) { return camera.distance / 1.3f; }

}  // namespace

TEST_F(Collision, AWalkIntoAWallStopsAtTheRadiusInFrontWithTheViewUnchanged)
{
    auto wall = MakeTriangle(kWallA, kWallB, kWallC, kWallNormal);
    auto camera = MakeCamera(Vector3(0, 5, 20), Vector3(0, 5, 10));
    const float r = Radius(*camera);
    ASSERT_LT(camera->halfDistance, r);   // one step never crosses the sphere

    HeldKeys up{camerakeys::kUp};
    std::uint32_t tested = 0;
    bool collided = false;
    for (int update = 0; update < 40; ++update) {
        camera->collidedFlag = false;   // as every frame's view set-up does
        UpdateCamera(*camera);
        tested = 0;
        collided = Collide(*camera, *wall, tested) || collided;
        EXPECT_GE(camera->eye.z, r - r / 128.0f - 1e-4f) << "update " << update;
    }
    EXPECT_TRUE(collided);
    EXPECT_NEAR(camera->eye.z, r, 1e-4f);
    EXPECT_FLOAT_EQ(camera->eye.y, 5.0f);
    EXPECT_NEAR(camera->target.z - camera->eye.z, -10.0f, 1e-4f);
    EXPECT_TRUE(Near(camera->viewEye, camera->eye));
    EXPECT_EQ(tested, 1u);

    // The face is reported once.
    const float hit = std::sqrt(dot(camera->eye, kWallA));
    EXPECT_FALSE(FaceHit(*wall, hit - 0.5f));
    EXPECT_TRUE(FaceHit(*wall, hit + 0.5f));
    EXPECT_FALSE(FaceHit(*wall, hit + 0.5f));   // reported: its value is now 9999.9
    EXPECT_TRUE(FaceHit(*wall, 9999.95f));
}

TEST_F(Collision, WhereTheSphereStandsDecidesTestHitAndPushBack)
{
    const Vector3 lookAlongMinusZ(0, 0, -10);
    const float r = Radius(*MakeCamera(Vector3(0, 0, 0), lookAlongMinusZ));
    struct Case {
        const char* name;
        float x, y, distFromPlane;   // where on the wall's plane; signed distance in radii
        bool tested, hit;
        float endDistance;        // in radii, after the push-back
    };
    // At height 0 the wall spans x in -50 .. 50; its apex is at (0, 100).
    const Case cases[] = {
        {"far in front", 0, 0, 1.5f, false, false, 1.5f},
        {"just short of the near plane", 0, 0, 0.995f, false, false, 0.995f},
        {"inside, in front", 0, 0, 0.5f, true, true, 1.0f},
        {"inside, behind", 0, 0, -0.5f, true, true, -1.0f},
        {"wholly behind", 0, 0, -1.5f, true, false, -1.5f},
        {"beside the triangle", 160, 0, 0.5f, true, false, 0.5f},
        {"above the apex, within half the radius", 0, 100 + 0.3f * r, 0.2f, true, true, 1.0f},
        {"above the apex, beyond half the radius", 0, 100 + 0.6f * r, 0.2f, true, false, 0.2f},
    };
    for (const Case& c : cases) {
        auto wall = MakeTriangle(kWallA, kWallB, kWallC, kWallNormal);
        const Vector3 eye(c.x, c.y, c.distFromPlane * r);
        auto camera = MakeCamera(eye, add(eye, lookAlongMinusZ));
        std::uint32_t tested = 0;
        EXPECT_EQ(Collide(*camera, *wall, tested), c.hit) << c.name;
        EXPECT_EQ(tested, c.tested ? 1u : 0u) << c.name;
        EXPECT_EQ(camera->collidedFlag, c.hit) << c.name;
        EXPECT_NEAR(camera->eye.z, c.endDistance * r, 1e-4f) << c.name;
        EXPECT_NEAR(camera->target.z - camera->eye.z, -10.0f, 1e-4f) << c.name;
        EXPECT_FLOAT_EQ(camera->eye.x, c.x) << c.name;
        EXPECT_EQ(wall->faces[0].hit != 999999.0f, c.tested) << c.name;
    }
}

TEST_F(Collision, TheFirstHitOfAnUpdateEndsTheTestsForEveryOtherObject)
{
    auto wall = MakeTriangle(kWallA, kWallB, kWallC, kWallNormal);
    auto other = MakeTriangle(kWallA, kWallB, kWallC, kWallNormal);
    auto camera = MakeCamera(Vector3(0, 0, 1), Vector3(0, 0, -9));
    std::uint32_t tested = 0;
    ASSERT_TRUE(Collide(*camera, *wall, tested));
    const Vector3 pushed = camera->eye;
    EXPECT_TRUE(Collide(*camera, *other, tested));
    EXPECT_EQ(tested, 1u);
    EXPECT_EQ(other->faces[0].hit, 999999.0f);
    EXPECT_TRUE(Near(camera->eye, pushed));
}

TEST_F(Collision, AFaceWithCornersOutsideTheVerticesIsSkipped)
{
    auto wall = MakeTriangle(kWallA, kWallB, kWallC, kWallNormal);
    wall->faces[0].c = 3;
    auto camera = MakeCamera(Vector3(0, 0, 1), Vector3(0, 0, -9));
    std::uint32_t tested = 0;
    EXPECT_FALSE(Collide(*camera, *wall, tested));
    EXPECT_EQ(tested, 0u);
    EXPECT_TRUE(Near(camera->eye, Vector3(0, 0, 1)));
}

TEST_F(Collision, ANegativeProductGivesAHitValueNoLimitReports)
{
    // Corner a = (0, -100, 0) against an eye above 0: the product is negative.
    auto wall = MakeTriangle(Vector3(0, -100, 0), Vector3(100, 100, 0), Vector3(-100, 100, 0), kWallNormal);
    auto camera = MakeCamera(Vector3(0, 5, 1), Vector3(0, 5, -9));
    std::uint32_t tested = 0;
    EXPECT_TRUE(Collide(*camera, *wall, tested));
    EXPECT_EQ(tested, 1u);
    EXPECT_FALSE(FaceHit(*wall, 1e30f));
}

TEST_F(Collision, TheSceneStepTestsEveryObjectInListOrderWhileWallTestIsOn)
{
    TempDir dir;
    ScopedChdir into(dir.path());
    Scene scene("none.vek", "Walls");
    // Inserted last, so tested first: a wall whose plane the camera stands far behind
    // (counted, never hit), then the near wall.
    scene.objects.insert(MakeTriangle(kWallA, kWallB, kWallC, kWallNormal).release());
    const Vector3 back(0, 0, 50);
    scene.objects.insert(MakeTriangle(add(kWallA, back), add(kWallB, back), add(kWallC, back), kWallNormal).release());

    auto camera = MakeCamera(Vector3(0, 5, 1), Vector3(0, 5, -9));
    camera->wallTest = false;
    CollideWithScene(*camera, scene);
    EXPECT_EQ(scene.cpuPolyLoad, 0u);
    EXPECT_FALSE(camera->collidedFlag);

    camera->wallTest = true;
    CollideWithScene(*camera, scene);
    EXPECT_EQ(scene.cpuPolyLoad, 2u);
    EXPECT_TRUE(camera->collidedFlag);
    EXPECT_NEAR(camera->eye.z, Radius(*camera), 1e-4f);
}
