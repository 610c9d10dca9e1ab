// The sample show's evening garden, "arbol", written as "escena/garden.ase" (converted to
// "escena/garden.vek" by ase2vek when the show is made) with its textures
// "Data/garden_*.jpg":
//   a lawn with five trees (bark and leaves are two sub-materials of one mesh); a
//   windmill whose wheel turns slowly forwards for most of its animation and fast
//   backwards at the end (the script names that end "Wheel", an animation region an
//   event switches to); a lantern on the windmill and the moon as omni lights; an
//   animated camera circling the garden while it zooms ("Camera01") and a camera that
//   stands still ("Camera02"), which the engine hands to the keyboard and mouse.
// The script gives the garden its mist (exponential fog), its statistics overlay and the
// camera sweep.
#include "VEK_ContentAse.h"
#include "VEK_ContentGen.h"

#include <algorithm>
#include <cmath>

namespace contentgen {
namespace {
namespace fs = std::filesystem;
using namespace ase;

constexpr int kLastFrame = 300;
constexpr int kFastFrom = 240;   // the wheel's fast backward spin: frames 240 to 300

// 0 Grass, 1 Tree (0 bark, 1 leaves), 2 Wood, 3 Lamp.
void Materials(AseText& text)
{
    MaterialList(text, {
        {"Grass", {.diffuse = {0.7, 0.9, 0.6}, .bitmap = "garden_grass.jpg"}},
        {"Tree", {.diffuse = {0.8, 0.8, 0.8}},
         {{"Bark", {.diffuse = {0.7, 0.6, 0.5}, .bitmap = "garden_bark.jpg"}},
          {"Leaves", {.diffuse = {0.6, 0.9, 0.5}, .bitmap = "garden_leaves.jpg"}}}},
        {"Wood", {.diffuse = {0.85, 0.75, 0.6}, .bitmap = "garden_wood.jpg"}},
        {"Lamp", {.diffuse = {1.0, 0.85, 0.5}, .selfIllumination = 1.0}},
    });
}

// A trunk and a round crown in one mesh: bark is sub-material 0, leaves 1.
Mesh Tree(V3 foot, double height)
{
    Mesh tree = Box(foot + V3{0, 0, height * 0.3}, {4, 4, height * 0.3});
    tree.append(Sphere(foot + V3{0, 0, height * 0.75}, height * 0.3, 10, 7), 1);
    return tree;
}

const V3 kHub{0, 140, 95};

// Two crossed blades in the plane facing the lawn's middle (the wheel turns about y).
Mesh Wheel()
{
    Mesh wheel = Box(kHub, {45, 2, 5});
    wheel.append(Box(kHub, {5, 2, 45}), 0);
    return wheel;
}

NodeTracks WheelTracks()
{
    NodeTracks tracks;
    tracks.rotation = [](int frame) {
        if (frame == 0) return Rotation({0, 1, 0}, 0.0);
        const double step = frame < kFastFrom ? 2 * kPi / 120 : -2 * kPi / 20;
        return Rotation({0, 1, 0}, step);
    };
    return tracks;
}

double Phase(int frame) { return 2 * kPi * frame / kLastFrame; }
V3 CameraEye(int frame) { return {390 * std::sin(Phase(frame)), -390 * std::cos(Phase(frame)), 80}; }
V3 CameraTarget(int) { return {0, 40, 60}; }
double CameraFov(int frame) { return 0.9 - 0.3 * std::sin(Phase(frame) * 2) * std::sin(Phase(frame) * 2); }

std::string GardenScene()
{
    AseText text(kLastFrame);
    SceneInfo(text, "garden.max", {0.12, 0.12, 0.18});
    Materials(text);
    GeomObject(text, {.name = "Lawn", .mesh = Grid({-400, -400, 0}, {800, 0, 0}, {0, 800, 0}, 10, 10, 8.0)});
    const V3 trees[5] = {{-150, -60, 0}, {170, -20, 0}, {-90, 190, 0}, {150, 170, 0}, {-200, 60, 0}};
    const double heights[5] = {110, 140, 125, 100, 150};
    for (int i = 0; i < 5; ++i)
        GeomObject(text, {.name = "Tree" + std::to_string(i + 1), .pivot = trees[i], .mesh = Tree(trees[i], heights[i]),
                          .material = 1});
    GeomObject(text, {.name = "Mill", .pivot = {0, 150, 50}, .mesh = Box({0, 150, 50}, {10, 10, 50}), .material = 2});
    GeomObject(text, {.name = "Wheel", .pivot = kHub, .mesh = Wheel(), .material = 2, .tracks = WheelTracks()});
    GeomObject(text, {.name = "Lantern", .pivot = {0, 128, 118}, .mesh = Box({0, 128, 118}, {3, 3, 4}), .material = 3});
    TargetCamera(text, {.name = "Camera01", .eyeAt = CameraEye, .targetAt = CameraTarget, .fovAt = CameraFov});
    TargetCamera(text, {.name = "Camera02", .eye = {0, -330, 40}, .target = {0, 0, 40}});
    OmniLight(text, "Omni01", {-300, 600, 420}, {0.75, 0.8, 1.0});
    OmniLight(text, "Omni02", {0, 124, 118}, {1.0, 0.75, 0.4});
    return text.text();
}

// ---- textures ---------------------------------------------------------------------------------

bool WriteTextures(const fs::path& data)
{
    bool ok = WriteTexture(data / "garden_grass.jpg", [](int x, int y) {
        const double blades = 0.08 * std::sin(x * 1.9 + std::sin(y * 0.7) * 2) + 0.05 * std::sin(y * 2.3);
        return V3{0.25 + blades, 0.5 + blades, 0.2 + blades * 0.5};
    });
    ok &= WriteTexture(data / "garden_bark.jpg", [](int x, int y) {
        const double furrow = 0.12 * std::sin(x * 0.8 + std::sin(y * 0.15) * 3);
        return V3{0.4 + furrow, 0.28 + furrow, 0.18 + furrow * 0.5};
    });
    ok &= WriteTexture(data / "garden_leaves.jpg", [](int x, int y) {
        const double clump = 0.15 * std::sin(x * 0.45) * std::sin(y * 0.38) + 0.06 * std::sin(x * 1.7 + y * 1.3);
        return V3{0.2 + clump * 0.5, 0.55 + clump, 0.2 + clump * 0.3};
    });
    ok &= WriteTexture(data / "garden_wood.jpg", [](int x, int y) {
        const double ring = 0.1 * std::sin(std::hypot(x - 20.0, y * 0.2) * 0.9);
        return V3{0.6 + ring, 0.45 + ring, 0.3 + ring * 0.5};
    });
    return ok;
}

bool MakeGarden(const fs::path& show)
{
    return WriteTextFile(show / "escena/garden.ase", GardenScene()) && WriteTextures(show / "Data");
}
}  // namespace

VEK_CONTENT_STEP(34, "3D scene escena/garden.ase and its textures Data/garden_*.jpg", MakeGarden);

}  // namespace contentgen
