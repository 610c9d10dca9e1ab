// A light's update on its own: animation, the distance attenuation, which flags move the
// blocklight value, the spot direction and the glow's drift.
#include "VEK_Lights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {
std::unique_ptr<OmniLight> MakeLight(float x, float y, float z, float attenuation = 0.2f)
{
    const float colour[3] = {1, 1, 1};
    Vector3 point;
    point.setPoint(x, y, z);
    return std::make_unique<OmniLight>("Omni01", colour, attenuation, point, GL_LIGHT0);
}
const Vector3 kEye{0, 0, 10}, kTarget{0, 0, 0};
}  // namespace

TEST(LightUpdate, DisabledLightDoesNotChange)
{
    auto light = MakeLight(1, 2, 3);
    setGlowSizes(*light, 100);
    light->enabled = false;
    updateLight(*light, kEye, kTarget);
    EXPECT_FLOAT_EQ(light->glowSize, 50);
    EXPECT_FLOAT_EQ(light->glowAngle1, 0);
}

TEST(LightUpdate, FollowsItsPositionTrackWhileTheControllerIsEnabled)
{
    auto light = MakeLight(1, 2, 3);
    AnimController controller("Omni01");
    controller.setPositionKeys({Vector3{4, 5, 6}, Vector3{7, 8, 9}});
    light->attachPositionController(&controller);
    updateLight(*light, kEye, kTarget);
    EXPECT_FLOAT_EQ(light->point.x, 4);
    EXPECT_FLOAT_EQ(light->point.z, 6);
    EXPECT_FLOAT_EQ(light->point.w, 1);
    controller.step();
    controller.enabled = false;
    updateLight(*light, kEye, kTarget);
    EXPECT_FLOAT_EQ(light->point.x, 4);
}

TEST(LightUpdate, DistanceAttenuationFromTheEye)
{
    auto light = MakeLight(1, 2, 3, 64);
    light->attenuationMode = 1;
    updateLight(*light, {4, 6, -2}, kTarget);
    // 64 / sqrt(3 + 4 + 5) / 256
    EXPECT_NEAR(light->distanceAttenuation, 64 / std::sqrt(12.0f) / 256, 1e-7f);
}

TEST(LightUpdate, BlocklightMovesOnlyWithOcclusionAndOnlyInAttenuationModes)
{
    struct Case {
        const char* what;
        std::int32_t mode;
        bool blockLight, occluded, offscreen;
        float expected;   // from 0.5, base 0.2, steps 0.1 up and 0.05 down
    };
    const Case cases[] = {
        {"hidden", GL_LINEAR_ATTENUATION, true, true, false, 0.6f},
        {"seen", GL_LINEAR_ATTENUATION, true, false, false, 0.45f},
        {"off the screen counts as seen", GL_LINEAR_ATTENUATION, true, false, true, 0.45f},
        {"no blocklight", GL_LINEAR_ATTENUATION, false, true, false, 0.5f},
        {"mode 1", 1, true, true, false, 0.5f},
        {"mode never set", -1, true, true, false, 0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto light = MakeLight(1, 2, 3, 0.2f);
        light->attenuationMode = c.mode;
        light->blockLight = c.blockLight;
        light->incStep = 0.1f;
        light->decStep = 0.05f;
        light->limitSup = 1.0f;
        light->currentAttenuation = 0.5f;
        light->occluded = c.occluded;
        light->offscreen = c.offscreen;
        updateLight(*light, kEye, kTarget);
        EXPECT_NEAR(light->currentAttenuation, c.expected, 1e-6f);
    }
}

TEST(LightUpdate, SpotDirectionIsTheNormalOfLightEyeAndTarget)
{
    auto light = MakeLight(2, 0, 0);
    updateLight(*light, kEye, kTarget);
    // A = T - L = (-2, 0, 0), B = E - L = (-2, 0, 10): c = A x B = (0, 20, 0), h = 200.
    EXPECT_FLOAT_EQ(light->spotDirection[0], 0);
    EXPECT_FLOAT_EQ(light->spotDirection[1], 0.1f);
    EXPECT_FLOAT_EQ(light->spotDirection[2], 0);
    EXPECT_FLOAT_EQ(light->spotDirection[3], 1);
    // On the line of sight there is no plane: the direction stays, and stays a number.
    light->point.setPoint(0, 0, 5);
    updateLight(*light, kEye, kTarget);
    EXPECT_FLOAT_EQ(light->spotDirection[1], 0.1f);
}

TEST(LightUpdate, GlowSizesFromTheReferenceDistance)
{
    auto light = MakeLight(0, 0, 0);
    light->glowAngle1 = 33;
    setGlowSizes(*light, 100);
    EXPECT_FLOAT_EQ(light->glowSize, 50);
    EXPECT_FLOAT_EQ(light->glowMax, 100);
    EXPECT_FLOAT_EQ(light->glowMin, 25);
    EXPECT_FLOAT_EQ(light->glowStep, 15);
    EXPECT_FLOAT_EQ(light->glowAngle1, 0);
    EXPECT_FLOAT_EQ(light->glowAngle2, 150);
}
