// What the camera tests share: cameras built from eye and target, keys and pointer motion
// fed through the platform layer as the window system would, and a one-triangle wall.
#pragma once

#include "VEK_Camera.h"
#include "VEK_SceneRecords.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace cameratest {

std::unique_ptr<Camera> MakeCamera(const Vector3& eye, const Vector3& target, float fov = 45.0f);

// Holds the given virtual keys down (through the platform's message queue) while it lives.
class HeldKeys {
public:
    HeldKeys(std::initializer_list<int> keys);
    ~HeldKeys();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    int keys_[8] = {};
    int count_ = 0;
};

// Hands every queued platform message to the key table.
void PumpMessages();

// Every test starts with no key down, no pointer motion waiting and the pitch at 0.
class CameraTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// An object of one triangle with the given corners and face normal.
std::unique_ptr<SceneObject> MakeTriangle(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& normal);

::testing::AssertionResult Near(const Vector3& actual, const Vector3& expected, float tolerance = 1e-4f);

}  // namespace cameratest
