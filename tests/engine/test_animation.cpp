// Sampled animation: controller stepping, regions, and the vector and matrix operations.
#include "VEK_AnimController.h"
#include "VEK_Math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<Vector3> Positions(int count)
{
    std::vector<Vector3> keys(count);
    for (int i = 0; i < count; ++i) keys[i].setPoint(float(i), 0, 0);
    return keys;
}

std::vector<RotationKey> Rotations(int count, float axisY, float angle)
{
    return std::vector<RotationKey>(count, RotationKey{0, axisY, 0, angle});
}

// Samples the rotation (as drawing does) and steps, count times; the angle after each.
std::vector<float> AnglesAfterSteps(AnimController& controller, int count)
{
    std::vector<float> angles;
    for (int i = 0; i < count; ++i) {
        controller.rotation();
        controller.step();
        angles.push_back(controller.rotAngle);
    }
    return angles;
}

}  // namespace

TEST(ControllerStep, OneKeyStaysOnKeyZero)
{
    AnimController controller("one");
    controller.setPositionKeys(Positions(1));
    for (int i = 0; i < 3; ++i) {
        controller.step();
        EXPECT_EQ(controller.positionFrame(), 0u);
    }
}

TEST(ControllerStep, LargerStepWrapsToKeyZeroNotToTheOvershoot)
{
    AnimController controller("step3");
    controller.setPositionKeys(Positions(10));
    controller.setScaleKeys(Positions(4));
    controller.frameStep = 3;
    std::vector<std::uint32_t> positions, scales;
    for (int i = 0; i < 5; ++i) {
        controller.step();
        positions.push_back(controller.positionFrame());
        scales.push_back(controller.scaleFrame());
    }
    EXPECT_EQ(positions, (std::vector<std::uint32_t>{3, 6, 9, 0, 3}));
    EXPECT_EQ(scales, (std::vector<std::uint32_t>{3, 0, 3, 0, 3}));
    EXPECT_FLOAT_EQ(controller.position().x, 3.0f);
}

TEST(ControllerStep, FreeRunningRotationSignFollowsTheAxisAndResetsOnWrap)
{
    struct Case {
        float axisY;
        std::vector<float> angles;
    };
    const Case cases[] = {{1.0f, {-5, -10, -15, -20, 0, -5}}, {-1.0f, {5, 10, 15, 20, 0, 5}}};
    for (const Case& c : cases) {
        AnimController controller("rot");
        controller.setRotationKeys(Rotations(5, c.axisY, 5.0f));
        EXPECT_EQ(AnglesAfterSteps(controller, 6), c.angles) << c.axisY;
    }
}

TEST(ControllerStep, UnderARegionRotationTurnsTheOtherWay)
{
    for (float axisY : {1.0f, -1.0f}) {
        AnimController controller("rot");
        controller.setRotationKeys(Rotations(20, axisY, 5.0f));
        controller.addRegion("spin", 0, 10, false, 0, true);
        controller.selectRegion("spin");
        const float sign = axisY > 0 ? 1.0f : -1.0f;
        EXPECT_EQ(AnglesAfterSteps(controller, 3), (std::vector<float>{5 * sign, 10 * sign, 15 * sign})) << axisY;
    }
}

TEST(ControllerStep, JumpMovesEveryTrackOnceAndWraps)
{
    // The angle changes once per jump, whatever its length: subtracted for an axis
    // without negative parts, added otherwise; a wrap resets it.
    for (const float axisY : {1.0f, -1.0f}) {
        AnimController controller("hoop");
        controller.setPositionKeys(Positions(10));
        controller.setRotationKeys(Rotations(10, axisY, 2.0f));
        controller.rotation();
        controller.jump(4);
        EXPECT_EQ(controller.positionFrame(), 4u);
        EXPECT_EQ(controller.rotationFrame(), 4u);
        EXPECT_FLOAT_EQ(controller.rotAngle, axisY > 0 ? -2.0f : 2.0f) << axisY;
        controller.jump(6);
        EXPECT_EQ(controller.positionFrame(), 0u);
        EXPECT_FLOAT_EQ(controller.rotAngle, 0.0f) << axisY;
    }
}

TEST(ControllerStep, TracksWithoutKeysAreAbsentAndSampleSafely)
{
    AnimController controller("empty");
    controller.setPositionKeys({});
    controller.setRotationKeys({});
    EXPECT_FALSE(controller.hasPosition() || controller.hasRotation() || controller.hasVertexSets());
    controller.step();
    controller.jump(3);
    EXPECT_EQ(controller.positionFrame(), 0u);
    EXPECT_FLOAT_EQ(controller.position().x, 0.0f);
    EXPECT_EQ(controller.rotation().angle, 0.0f);
    EXPECT_EQ(controller.vertexSet(), nullptr);
}

TEST(AnimationRegion, StartTenEndTwentyTwoLoopsPlaysTwoPassesAndStopsOnItsEnd)
{
    AnimController controller("walk");
    controller.setPositionKeys(Positions(30));
    AnimRegion* region = controller.addRegion("walk", 10, 20, true, 2, true);
    controller.selectRegion("walk");
    ASSERT_EQ(controller.frameSource, region);
    EXPECT_EQ(controller.positionFrame(), 10u);
    std::vector<std::uint32_t> expected;
    for (std::uint32_t pass = 0; pass < 2; ++pass)
        for (std::uint32_t frame = 11; frame <= 21; ++frame) expected.push_back(frame);
    expected.push_back(20);
    expected.push_back(20);
    std::vector<std::uint32_t> frames;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        controller.step();
        frames.push_back(controller.positionFrame());
    }
    EXPECT_EQ(frames, expected);
    EXPECT_FALSE(region->active);
}

TEST(AnimationRegion, NoLoopsPlaysForEverAndBackwardsEntersAtTheEnd)
{
    AnimRegion forever("f", 2, 4, false, 0, true);
    std::uint32_t frame = 2;
    std::vector<std::uint32_t> forward;
    for (int i = 0; i < 8; ++i) forward.push_back(frame = forever.next(frame));
    EXPECT_EQ(forward, (std::vector<std::uint32_t>{3, 4, 5, 3, 4, 5, 3, 4}));
    EXPECT_TRUE(forever.active);

    AnimRegion backwards("b", 10, 12, false, 0, false);
    frame = 10;
    std::vector<std::uint32_t> reverse;
    for (int i = 0; i < 5; ++i) reverse.push_back(frame = backwards.next(frame));
    EXPECT_EQ(reverse, (std::vector<std::uint32_t>{9, 11, 10, 9, 11}));
}

TEST(AnimationRegion, RestartAndSelectionByName)
{
    AnimController controller("c");
    controller.setPositionKeys(Positions(30));
    AnimRegion* once = controller.addRegion("once", 0, 1, false, 1, true);
    controller.selectRegion("once");
    for (int i = 0; i < 4; ++i) controller.step();
    EXPECT_FALSE(once->active);
    controller.selectRegion("once");
    EXPECT_TRUE(once->active);
    EXPECT_EQ(once->remaining, 1);
    controller.selectRegion("Once");   // names are case-sensitive
    EXPECT_EQ(controller.frameSource, nullptr);
    controller.step();
    EXPECT_EQ(controller.positionFrame(), 1u);   // free-running again
}

TEST(AnimationRegion, ShorterTracksStayWithinTheirKeys)
{
    AnimController controller("mixed");
    controller.setPositionKeys(Positions(30));
    controller.setRotationKeys(Rotations(5, 1.0f, 1.0f));
    controller.setFovKeys(std::vector<float>(3, 45.0f));
    controller.addRegion("late", 10, 20, false, 0, true);
    controller.selectRegion("late");
    for (int i = 0; i < 25; ++i) {
        EXPECT_LT(controller.rotationFrame(), controller.rotationCount()) << i;
        EXPECT_LT(controller.fovFrame(), controller.fovCount()) << i;
        controller.rotation();
        controller.step();
    }
}

TEST(VectorMath, NormalizeWithLengthZeroesTinyVectors)
{
    struct Case {
        Vector3 in;
        Vector3 out;
        float length;
    };
    const Case cases[] = {{{0, 0, 5e-8f}, {0, 0, 0}, 0}, {{3, 0, 4}, {0.6f, 0, 0.8f}, 5}, {{0, -2, 0}, {0, -1, 0}, 2}};
    for (const Case& c : cases) {
        Vector3 v = c.in;
        EXPECT_FLOAT_EQ(normalizeWithLength(v), c.length);
        EXPECT_FLOAT_EQ(v.x, c.out.x);
        EXPECT_FLOAT_EQ(v.y, c.out.y);
        EXPECT_FLOAT_EQ(v.z, c.out.z);
    }
}

TEST(VectorMath, ProductsAndAngles)
{
    const Vector3 x(1, 0, 0), y(0, 1, 0);
    const Vector3 z = cross(x, y);
    EXPECT_FLOAT_EQ(z.z, 1.0f);
    EXPECT_FLOAT_EQ(dot(add(x, y), scale(x, 3)), 3.0f);
    EXPECT_FLOAT_EQ(distance(Vector3(1, 2, 2), Vector3(0, 0, 0)), 3.0f);
    EXPECT_NEAR(angleBetween(x, y), 1.5707964f, 1e-6);
    // A dot product that rounds past 1 would give NaN from acos.
    const Vector3 u = normalize(Vector3(0.1f, 0.7f, 0.3f));
    EXPECT_EQ(angleBetween(u, u), 0.0f);
    EXPECT_EQ(angleBetween(Vector3(0, 0, 0), x), 0.0f);
    Vector3 point;
    point.setPoint(1, 2, 3);
    EXPECT_EQ(point.w, 1.0f);
    EXPECT_FLOAT_EQ(absolute(-2.5f), 2.5f);
}

TEST(MatrixMath, RigidInverseUndoesRotationAndTranslation)
{
    Matrix4 m;   // 90 degrees about z, then a translation
    const float values[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    for (int i = 0; i < 16; ++i) m.m[i] = values[i];
    const Vector3 p(1, 2, 3);
    const Vector3 moved = transformPoint(m, p);
    EXPECT_FLOAT_EQ(moved.x, 3.0f);   // (-2, 1, 3) + (5, 6, 7)
    EXPECT_FLOAT_EQ(moved.y, 7.0f);
    EXPECT_FLOAT_EQ(moved.z, 10.0f);
    const Vector3 back = transformPoint(rigidInverse(m), moved);
    EXPECT_NEAR(back.x, 1, 1e-5);
    EXPECT_NEAR(back.y, 2, 1e-5);
    EXPECT_NEAR(back.z, 3, 1e-5);
    const Vector3 turned = transformDirection(m, p);
    EXPECT_FLOAT_EQ(turned.x, -2.0f);
    EXPECT_FLOAT_EQ(turned.z, 3.0f);
}
