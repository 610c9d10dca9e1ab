#include "CameraFixtures.h"

#include "vekPlatform.h"

#include <cmath>

namespace cameratest {

std::unique_ptr<Camera> MakeCamera(const Vector3& eye, const Vector3& target, float fov)
{
    Vector3 eyePoint, targetPoint;
    eyePoint.setPoint(eye.x, eye.y, eye.z);
    targetPoint.setPoint(target.x, target.y, target.z);
    auto camera = std::make_unique<Camera>("Camera01", eyePoint, targetPoint, RotationKey{}, fov);
    return camera;
}

void PumpMessages()
{
    while (plat::PollMessage() != plat::Message::none) {
    }
}

HeldKeys::HeldKeys(std::initializer_list<int> keys)
{
    for (int key : keys) {
        if (count_ == 8) break;
        keys_[count_++] = key;
        plat::PostKey(key, true);
    }
    PumpMessages();
}

HeldKeys::~HeldKeys()
{
    for (int i = 0; i < count_; ++i) plat::PostKey(keys_[i], false);
    PumpMessages();
}

void CameraTest::SetUp()
{
    PumpMessages();
    unsigned char* keys = plat::KeyTable();
    for (int i = 0; i < 256; ++i) keys[i] = 0;
    int dx = 0, dy = 0;
    plat::RelativeMouseMotion(dx, dy);   // drops motion left over from another test
    SetAccumulatedMousePitch(0.0f);
}

void CameraTest::TearDown() { PumpMessages(); }

std::unique_ptr<SceneObject> MakeTriangle(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& normal)
{
    auto object = std::make_unique<SceneObject>(1, "Wall", "", Vector3(0, 0, 0), RotationKey{}, 3, 1);
    object->vertices[0].position.setPoint(a.x, a.y, a.z);
    object->vertices[1].position.setPoint(b.x, b.y, b.z);
    object->vertices[2].position.setPoint(c.x, c.y, c.z);
    MeshFace& face = object->faces[0];
    face.normal = normal;
    face.a = 0;
    face.b = 1;
    face.c = 2;
    return object;
}

::testing::AssertionResult Near(const Vector3& actual, const Vector3& expected, float tolerance)
{
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") expected ("
                                         << expected.x << ", " << expected.y << ", " << expected.z << ") within "
                                         << tolerance;
}

}  // namespace cameratest
