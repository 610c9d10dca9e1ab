// A free camera in a real window: prints "ready", then updates until the pointer has moved
// 50 pixels to the left (or 10 s pass) and checks that the camera turned left by the
// matching angle. Exit 0 when it did, 1 otherwise.
#include "VEK_Camera.h"
#include "vekPlatform.h"

#include <cmath>
#include <cstdio>

int main()
{
    if (!plat::Init() || plat::OpenWindow("pointer probe", 400, 300, 32, false) != plat::WindowResult::ok) {
        std::puts("no window");
        return 1;
    }
    Vector3 eye, target;
    eye.setPoint(0, 0, 10);
    target.setPoint(0, 0, 0);
    Camera camera("Camera01", eye, target, RotationKey{}, 45.0f);
    UpdateCamera(camera);   // the first read captures the pointer
    std::puts("ready");
    std::fflush(stdout);

    const std::uint32_t deadline = plat::TickCount() + 10000;
    while (plat::TickCount() < deadline) {
        while (plat::PollMessage() != plat::Message::none) {
        }
        UpdateCamera(camera);
        const Vector3 view = subtract(camera.target, camera.eye);
        const double turned = std::atan2(-view.x, -view.z);
        if (turned >= 0.1 - 1e-3) {
            std::printf("turned %.4f rad, view (%.4f, %.4f, %.4f)\n", turned, view.x, view.y, view.z);
            const bool level = std::fabs(view.y) < 1e-4f;
            plat::Quit();
            return turned <= 0.1 + 1e-3 && level ? 0 : 1;
        }
        plat::Sleep(5);
    }
    std::puts("the camera did not turn");
    plat::Quit();
    return 1;
}
