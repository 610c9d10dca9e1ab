// The free camera's keys and mouse, F11, animated cameras and the camera-hit sweep.
#include "CameraFixtures.h"

#include "TempDir.h"
#include "VEK_AnimController.h"
#include "VEK_Scene.h"
#include "vekPlatform.h"

#include <cmath>
#include <string>
#include <vector>

using namespace cameratest;
using namespace camerakeys;

namespace {

class FreeCamera : public CameraTest {};
class AnimatedCamera : public CameraTest {};
class CameraSweepRun : public CameraTest {};

// Looking along -z from height 5: forward is -z, right is +x.
const Vector3 kEye(0, 5, 10), kTarget(0, 5, 0);

}  // namespace

TEST_F(FreeCamera, KeysWalkAndStrafeOnTheHorizontalPlane)
{
    struct Case {
        const char* name;
        std::vector<int> keys;
        float forward, right;   // steps of the camera's speed
    };
    const Case cases[] = {
        {"none", {}, 0, 0},
        {"up", {kUp}, 1, 0},
        {"W", {kW}, 1, 0},
        {"down", {kDown}, -1, 0},
        {"S", {kS}, -1, 0},
        {"up and down: backwards", {kUp, kDown}, -1, 0},
        {"left", {kLeft}, 0, -1},
        {"A", {kA}, 0, -1},
        {"right", {kRight}, 0, 1},
        {"D", {kD}, 0, 1},
        {"left and right: right", {kLeft, kRight}, 0, 1},
        {"up and right", {kUp, kRight}, 1, 1},
    };
    for (const Case& c : cases) {
        auto camera = MakeCamera(kEye, kTarget);
        const float speed = camera->halfDistance;
        ASSERT_GT(speed, 0.0f);
        for (int key : c.keys) plat::PostKey(key, true);
        PumpMessages();
        UpdateCamera(*camera);
        for (int key : c.keys) plat::PostKey(key, false);
        PumpMessages();
        const Vector3 moved(c.right * speed, 0, -c.forward * speed);
        EXPECT_TRUE(Near(camera->eye, add(kEye, moved))) << c.name;
        EXPECT_TRUE(Near(camera->target, add(kTarget, moved))) << c.name;
        EXPECT_EQ(camera->eye.y, kEye.y) << c.name;
        EXPECT_EQ(camera->keyMoved, !c.keys.empty()) << c.name;
    }
}

TEST_F(FreeCamera, LookingStraightDownUpMovesOnlyByTheTinyHorizontalPartAndKeepsTheHeight)
{
    const Vector3 eye(2, 10, 3), target(2.01f, 0, 3);
    auto camera = MakeCamera(eye, target);
    const Vector3 view = normalize(subtract(target, eye));
    const float speed = camera->halfDistance;
    HeldKeys held{kUp};
    for (int i = 0; i < 3; ++i) UpdateCamera(*camera);
    EXPECT_EQ(camera->eye.y, eye.y);
    EXPECT_EQ(camera->target.y, target.y);
    EXPECT_NEAR(camera->eye.x, eye.x + 3 * view.x * speed, 1e-5f);
    EXPECT_NEAR(camera->eye.z, eye.z, 1e-6f);
    EXPECT_LT(std::fabs(camera->eye.x - eye.x), 0.01f * speed);
}

TEST_F(FreeCamera, MouseTurnsTheViewAboutTheEye)
{
    auto camera = MakeCamera(kEye, kTarget);
    plat::PostPointerMotion(-40, 0);   // to the left
    UpdateCamera(*camera);
    const float yaw = 40.0f / 500.0f;
    // Turning left about +y from -z swings the view towards -x.
    const Vector3 expected(-10 * std::sin(yaw), 0, -10 * std::cos(yaw));
    EXPECT_TRUE(Near(subtract(camera->target, camera->eye), expected));
    EXPECT_TRUE(Near(camera->eye, kEye));
    EXPECT_FLOAT_EQ(AccumulatedMousePitch(), 0.0f);

    plat::PostPointerMotion(0, -25);   // up: the pitch accumulator goes down by the angle
    UpdateCamera(*camera);
    EXPECT_NEAR(AccumulatedMousePitch(), -25.0f / 500.0f, 1e-6f);
    EXPECT_GT(camera->target.y, kEye.y);
}

TEST_F(FreeCamera, AMovementPastThePitchLimitIsDroppedWholeYawIncluded)
{
    auto camera = MakeCamera(kEye, kTarget);
    SetAccumulatedMousePitch(0.99f);
    plat::PostPointerMotion(60, 10);   // right and down: 0.99 + 0.02 passes 1.0
    UpdateCamera(*camera);
    EXPECT_FALSE(camera->mouseMoved);
    EXPECT_FLOAT_EQ(AccumulatedMousePitch(), 1.0f);
    EXPECT_TRUE(Near(camera->eye, kEye));
    EXPECT_TRUE(Near(camera->target, kTarget));

    plat::PostPointerMotion(60, -10);   // back up from the limit: taken, yaw with it
    UpdateCamera(*camera);
    EXPECT_NEAR(AccumulatedMousePitch(), 0.98f, 1e-6f);
    EXPECT_GT(camera->target.x, kTarget.x + 0.5f);

    SetAccumulatedMousePitch(-0.995f);
    const Vector3 before = camera->target;
    plat::PostPointerMotion(-60, -5);   // up past -1.0
    UpdateCamera(*camera);
    EXPECT_FLOAT_EQ(AccumulatedMousePitch(), -1.0f);
    EXPECT_TRUE(Near(camera->target, before));
}

TEST_F(FreeCamera, F11TogglesInputOncePerPress)
{
    auto camera = MakeCamera(kEye, kTarget);
    {
        HeldKeys f11{kF11};
        for (int i = 0; i < 4; ++i) UpdateCamera(*camera);   // held over several updates
    }
    EXPECT_FALSE(camera->inputEnabled);
    {
        HeldKeys up{kUp};
        plat::PostPointerMotion(-40, 0);
        UpdateCamera(*camera);
    }
    EXPECT_TRUE(Near(camera->eye, kEye));
    EXPECT_TRUE(Near(camera->target, kTarget));
    EXPECT_FALSE(camera->keyMoved);
    EXPECT_FALSE(camera->mouseMoved);
    {
        HeldKeys f11{kF11};
        UpdateCamera(*camera);
    }
    EXPECT_TRUE(camera->inputEnabled);
    HeldKeys up{kUp};
    UpdateCamera(*camera);
    EXPECT_LT(camera->eye.z, kEye.z);
}

TEST_F(AnimatedCamera, NodeKeysDriveTheEyeAndIgnoreKeysAndMouse)
{
    auto camera = MakeCamera(kEye, kTarget);
    AnimController node("Camera01"), target("Camera01_Target"), fov("Camera01_FOV");
    std::vector<Vector3> eyes(2), targets(2);
    eyes[0].setPoint(1, 2, 3);
    eyes[1].setPoint(4, 5, 6);
    targets[0].setPoint(-1, 0, 0);
    targets[1].setPoint(-2, 0, 0);
    node.setPositionKeys(eyes);
    node.setRotationKeys({RotationKey{-1.7f, 0.4f, 0, 30}, RotationKey{-1.7f, 0.4f, 0, 30}});
    target.setPositionKeys(targets);
    fov.setFovKeys({40, 50});
    camera->attachNodeController(&node);
    camera->attachTargetController(&target);
    camera->attachFovController(&fov);

    HeldKeys up{kUp, kLeft};
    plat::PostPointerMotion(-100, 30);
    UpdateCamera(*camera);
    EXPECT_TRUE(Near(camera->eye, eyes[0]));
    EXPECT_EQ(camera->eye.w, 1.0f);
    EXPECT_TRUE(Near(camera->target, targets[0]));
    EXPECT_FLOAT_EQ(camera->fov, 40);
    EXPECT_FLOAT_EQ(camera->rotation.x, 1);   // truncated, made non-negative
    EXPECT_FLOAT_EQ(camera->rotation.y, 0);
    EXPECT_FLOAT_EQ(camera->rotation.angle, 0);
    EXPECT_FLOAT_EQ(AccumulatedMousePitch(), 0.0f);   // the mouse was not read

    for (AnimController* controller : {&node, &target, &fov}) controller->step();
    UpdateCamera(*camera);
    EXPECT_TRUE(Near(camera->eye, eyes[1]));
    EXPECT_TRUE(Near(camera->target, targets[1]));
    EXPECT_FLOAT_EQ(camera->fov, 50);
    EXPECT_FLOAT_EQ(camera->rotation.angle, 30);   // the step accumulated the sampled key

    node.enabled = false;   // a disabled eye controller leaves the eye where it is
    for (AnimController* controller : {&node, &target, &fov}) controller->step();
    UpdateCamera(*camera);
    EXPECT_TRUE(Near(camera->eye, eyes[1]));
    EXPECT_TRUE(Near(camera->target, targets[0]));
    // The collision's working copies follow the animated camera.
    EXPECT_TRUE(Near(camera->viewEye, eyes[1]));
    EXPECT_TRUE(Near(camera->viewTarget, targets[0]));
}

TEST_F(AnimatedCamera, ControllersWithoutPositionKeysLeaveTheEyeAndTargetInPlace)
{
    // A camera that only rolls: its node controller has rotation keys and no position
    // keys, its target controller no keys at all.
    auto camera = MakeCamera(kEye, kTarget);
    AnimController node("Camera01"), target("Camera01_Target");
    node.setRotationKeys({RotationKey{0, 0, 1, 0}, RotationKey{0, 0, 1, 10}});
    camera->attachNodeController(&node);
    camera->attachTargetController(&target);
    for (int update = 0; update < 3; ++update) {
        UpdateCamera(*camera);
        node.step();
        EXPECT_TRUE(Near(camera->eye, kEye)) << "update " << update;
        EXPECT_TRUE(Near(camera->target, kTarget)) << "update " << update;
    }
    EXPECT_FLOAT_EQ(camera->rotation.z, 1);   // the rotation is still taken
}

TEST_F(AnimatedCamera, TargetKeysAloneReadTheKeysButNeverMoveFreely)
{
    auto camera = MakeCamera(kEye, kTarget);
    AnimController target("Camera01_Target");
    std::vector<Vector3> targets(1);
    targets[0].setPoint(3, 3, 3);
    target.setPositionKeys(targets);
    camera->attachTargetController(&target);

    HeldKeys up{kUp};
    plat::PostPointerMotion(-100, 0);
    UpdateCamera(*camera);
    EXPECT_TRUE(camera->keyMoved);
    EXPECT_TRUE(Near(camera->eye, kEye));
    EXPECT_TRUE(Near(camera->target, targets[0]));
    EXPECT_FALSE(camera->mouseMoved);
}

TEST_F(CameraSweepRun, SpeedThreeRunsForwardTurnsBackAndEndsTwoQLower)
{
    const int p = 5, q = 7;
    auto camera = MakeCamera(kEye, kTarget);
    BuildSweep(*camera, p, q, 3);
    EnableCameraHit(*camera);

    std::vector<int> expected;
    for (int i = 3; i <= 255; i += 3) expected.push_back(i);
    for (int i = 255; i >= 0; i -= 3) expected.push_back(i);
    expected.push_back(0);   // one more update applies entry 0 again and ends the run

    std::vector<int> indexes;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_FALSE(camera->sweep.done) << "update " << i;
        UpdateCamera(*camera);
        indexes.push_back(camera->sweep.index);
    }
    EXPECT_EQ(indexes, expected);
    EXPECT_TRUE(camera->sweep.done);
    EXPECT_NEAR(camera->eye.y, kEye.y - 2.0f * q, 1e-3f);
    EXPECT_NEAR(camera->eye.x, kEye.x, 1e-3f);
    EXPECT_TRUE(Near(camera->target, kTarget));   // only the eye moves

    const Vector3 ended = camera->eye;
    for (int i = 0; i < 5; ++i) UpdateCamera(*camera);
    EXPECT_TRUE(Near(camera->eye, ended));

    // Started again it plays the same run from index 0.
    EnableCameraHit(*camera);
    for (std::size_t i = 0; i < expected.size(); ++i) UpdateCamera(*camera);
    EXPECT_TRUE(camera->sweep.done);
    EXPECT_NEAR(camera->eye.y, kEye.y - 4.0f * q, 2e-3f);
}

TEST_F(CameraSweepRun, TheTablesHoldHalfATurnOfSineAndCosine)
{
    auto camera = MakeCamera(kEye, kTarget);
    BuildSweep(*camera, 4, -6, 2);
    EXPECT_TRUE(camera->sweep.built);
    EXPECT_FALSE(camera->sweep.enabled);
    EXPECT_EQ(camera->sweep.step, 2);
    for (int i : {0, 64, 128, 255}) {
        const double angle = i * 0.012272186953125;
        EXPECT_NEAR(camera->sweep.offsetX[i], 4 * std::sin(angle), 1e-4) << i;
        EXPECT_NEAR(camera->sweep.offsetY[i], -6 * std::cos(angle), 1e-4) << i;
    }
    // Built but not started: the eye stays.
    UpdateCamera(*camera);
    EXPECT_TRUE(Near(camera->eye, kEye));
}

TEST_F(CameraSweepRun, StepsThatCannotWalkTheTableStayInsideIt)
{
    struct Case {
        int step;
        int updatesToEnd;
    };
    // A step over the table's length turns at once; one that cannot advance ends the run
    // at once without moving the eye.
    const Case cases[] = {{300, 2}, {255, 4}, {0, 1}, {-3, 1}};
    for (const Case& c : cases) {
        auto camera = MakeCamera(kEye, kTarget);
        BuildSweep(*camera, 5, 7, c.step);
        EnableCameraHit(*camera);
        int updates = 0;
        while (!camera->sweep.done && updates < 1000) {
            UpdateCamera(*camera);
            ++updates;
            ASSERT_GE(camera->sweep.index, 0) << c.step;
            ASSERT_LE(camera->sweep.index, 255) << c.step;
        }
        EXPECT_EQ(updates, c.updatesToEnd) << c.step;
        if (c.step <= 0) {
            EXPECT_TRUE(Near(camera->eye, kEye)) << c.step;
        }
    }
}

namespace {
struct MessageLog {
    MessageLog() { plat::SetMessageHook(&MessageLog::Hook, this); }
    ~MessageLog() { plat::SetMessageHook(nullptr, nullptr); }
    static void Hook(const char* caption, const char* text, void* self)
    {
        static_cast<MessageLog*>(self)->lines.push_back(std::string("[") + caption + "] " + text);
    }
    std::vector<std::string> lines;
};
}  // namespace

TEST(SceneCamera, ASceneWithoutACameraIsReportedOnceAndGivesNone)
{
    TempDir dir;
    ScopedChdir into(dir.path());
    Scene scene("empty.vek", "Empty");
    Scene other("empty.vek", "Other");
    MessageLog messages;
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(CameraToUse(scene), nullptr);
        EXPECT_EQ(CameraToUse(other), nullptr);
    }
    EXPECT_EQ(messages.lines, (std::vector<std::string>{"[vek Warning!] Scene 'Empty' has no camera: it is not drawn.",
                                                        "[vek Warning!] Scene 'Other' has no camera: it is not drawn."}));

    auto camera = MakeCamera(Vector3(0, 0, 1), Vector3(0, 0, 0));
    Camera* active = camera.get();
    scene.cameras.insert(camera.release());
    scene.activeCamera = active;
    EXPECT_EQ(CameraToUse(scene), active);
    EXPECT_EQ(messages.lines.size(), 2u);
}
