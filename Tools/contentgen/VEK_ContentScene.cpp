// The sample show's first 3D scene, "TEST002", written as a 3ds Max ASCII export (ASE)
// that the engine converts through the import plug-in when the show starts:
//   "escena/sample.ase"   a textured floor; a spinning, bobbing crate with a two-slot
//                         multi-material; a pulsing orb that is the crate's child; a
//                         waving flag (a morphing mesh, drawn from both sides); a moon
//                         far away that the script draws as an impostor; two small boxes
//                         that the script makes particle emitters ("Sparks", "Rays"); a
//                         target camera circling the crate while it zooms; two omni
//                         lights, one of them moving
//   "Data/escena1_*.jpg"  the textures its bitmaps name
// Every track is sampled at every frame, as 3ds Max writes sampled controllers.
#include "VEK_ContentAse.h"
#include "VEK_ContentGen.h"
#include "VEK_Format.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace contentgen {
namespace {
namespace fs = std::filesystem;
using namespace ase;

constexpr int kLastFrame = 300;   // 10 seconds at 30 frames per second

// 0 Floor, 1 Crate (multi: 0 CrateWood, 1 CrateTrim), 2 Orb, 3 Flag, 4 Moon.
void Materials(AseText& text)
{
    MaterialList(text, {
        {"Floor", {.diffuse = {0.8, 0.8, 0.8}, .bitmap = "escena1_floor.jpg"}},
        {"Crate", {.diffuse = {0.6, 0.6, 0.6}},
         {{"CrateWood", {.diffuse = {0.7, 0.5, 0.3}, .bitmap = "escena1_crate.jpg"}},
          {"CrateTrim", {.diffuse = {0.3, 0.3, 0.35}}}}},
        {"Orb", {.diffuse = {0.4, 0.7, 1.0}, .selfIllumination = 0.8}},
        {"Flag", {.diffuse = {1.0, 1.0, 1.0}, .bitmap = "escena1_flag.jpg"}},
        {"Moon", {.diffuse = {1.0, 1.0, 1.0}, .bitmap = "escena1_moon.jpg"}},
    });
}

const V3 kCrateCentre{0, 0, 40};
const V3 kOrbCentre{0, 0, 72};

NodeTracks CrateTracks()
{
    NodeTracks tracks;
    tracks.position = [](int frame) {
        return Point({0, 0, kCrateCentre.z + 8.0 * std::sin(2 * kPi * Seconds(frame) / 2.5)});
    };
    // The first sample is the node's rotation; each later one turns it further.
    tracks.rotation = [](int frame) { return Rotation({0, 0, 1}, frame == 0 ? 0.0 : 2 * kPi / kLastFrame); };
    return tracks;
}

NodeTracks OrbTracks()
{
    NodeTracks tracks;
    tracks.scale = [](int frame) { return Scale(1.0 + 0.25 * std::sin(2 * kPi * Seconds(frame))); };
    return tracks;
}

Mesh FlagAt(int frame)
{
    Mesh flag = Grid({-90, 60, 20}, {50, 0, 0}, {0, 0, 30}, 10, 4, 1.0);
    for (auto& vertex : flag.vertices) {
        const double along = (vertex.x + 90) / 50;   // 0 at the pole, 1 at the free end
        vertex.y += 6.0 * along * std::sin(2 * kPi * (Seconds(frame) * 1.5 - along));
    }
    return flag;
}

V3 CameraEye(int frame)
{
    const double angle = 2 * kPi * frame / kLastFrame - kPi / 2;
    return {160.0 * std::cos(angle), 160.0 * std::sin(angle), 90.0};
}
V3 CameraTarget(int frame) { return {0, 0, 35.0 + 10.0 * std::sin(2 * kPi * frame / kLastFrame)}; }
double CameraFov(int frame) { return 0.7854 - 0.2 * std::sin(kPi * frame / kLastFrame); }

V3 Omni02At(int frame)
{
    const double angle = 2 * kPi * Seconds(frame) / 5.0;
    return {70.0 * std::cos(angle), 70.0 * std::sin(angle), 55.0};
}

// The moon stands far beyond the floor, low over its edge while the camera faces it. (An
// impostor is drawn over what is already there, so it is kept clear of the crate.) The
// engine stands an impostor at -2 times its node's position.
const V3 kMoonNode = V3{500, 4000, -270} * -0.5;

std::string SampleScene()
{
    AseText text(kLastFrame);
    SceneInfo(text, "sample.max", {0.1, 0.1, 0.1});
    Materials(text);
    GeomObject(text, {.name = "Floor", .mesh = Grid({-120, -120, 0}, {240, 0, 0}, {0, 240, 0}, 8, 8, 4.0)});
    GeomObject(text, {.name = "Crate", .pivot = kCrateCentre, .mesh = Box(kCrateCentre, {15, 15, 15}), .material = 1,
                      .tracks = CrateTracks()});
    GeomObject(text, {.name = "Orb", .parent = "Crate", .pivot = kOrbCentre, .mesh = Sphere(kOrbCentre, 8, 12, 8),
                      .material = 2, .tracks = OrbTracks()});
    GeomObject(text, {.name = "Flag", .pivot = {-90, 60, 20}, .mesh = FlagAt(0), .material = 3, .morph = FlagAt});
    GeomObject(text, {.name = "Moon", .pivot = kMoonNode, .mesh = Box(kMoonNode, {10, 10, 10}), .material = 4});
    // Particle emitters in the show (an emitter draws its particles instead of its mesh).
    // Both stand near the crate, so the circling camera always has them in view.
    GeomObject(text, {.name = "Sparks", .pivot = {30, -30, 5}, .mesh = Box({30, -30, 5}, {2, 2, 2}), .material = 2});
    GeomObject(text, {.name = "Rays", .pivot = {-32, 28, 25}, .mesh = Box({-32, 28, 25}, {2, 2, 2}), .material = 2});
    TargetCamera(text, {.name = "Camera01", .eyeAt = CameraEye, .targetAt = CameraTarget, .fovAt = CameraFov});
    OmniLight(text, "Omni01", {90, -90, 140}, {1.0, 0.9, 0.75});
    OmniLight(text, "Omni02", {}, {0.4, 0.6, 1.0}, Omni02At);
    return text.text();
}

// ---- textures ---------------------------------------------------------------------------------

bool WriteTextures(const fs::path& data)
{
    const bool floor = WriteTexture(data / "escena1_floor.jpg", [](int x, int y) {
        const bool dark = ((x / 32) + (y / 32)) % 2 == 0;
        const double grain = 0.05 * std::sin(x * 0.7) * std::sin(y * 0.3);
        return dark ? V3{0.25 + grain, 0.27 + grain, 0.3 + grain} : V3{0.7 + grain, 0.7 + grain, 0.68 + grain};
    });
    const bool crate = WriteTexture(data / "escena1_crate.jpg", [](int x, int y) {
        const bool edge = x < 10 || y < 10 || x >= kTextureSide - 10 || y >= kTextureSide - 10 || std::abs(x - y) < 6;
        const double plank = 0.08 * std::sin(y * 0.5) + 0.04 * std::sin(x * 0.11 + y * 0.02);
        return edge ? V3{0.35, 0.22, 0.1} : V3{0.72 + plank, 0.52 + plank, 0.3 + plank};
    });
    const bool flag = WriteTexture(data / "escena1_flag.jpg", [](int x, int y) {
        const bool stripe = (y / 16) % 2 == 0;
        const double dx = x - 40.0, dy = y - 64.0;
        if (dx * dx + dy * dy < 24.0 * 24.0) return V3{1.0, 0.85, 0.1};
        return stripe ? V3{0.8, 0.1, 0.15} : V3{0.95, 0.95, 0.95};
    });
    // A pale disc with darker seas on black: added to the sky, black adds nothing.
    const bool moon = WriteTexture(data / "escena1_moon.jpg", [](int x, int y) {
        const double r = std::hypot(x - 63.5, y - 63.5) / 40.0;
        if (r > 1.0) return V3{0, 0, 0};
        const double seas = 0.15 * (std::sin(x * 0.21) * std::cos(y * 0.17) > 0.3);
        const double rim = std::min(1.0, (1.0 - r) * 8.0);
        return V3{0.95 - seas, 0.93 - seas, 0.85 - seas} * rim;
    });
    return floor && crate && flag && moon;
}

bool MakeSampleScene(const fs::path& show)
{
    return WriteTextFile(show / "escena/sample.ase", SampleScene()) && WriteTextures(show / "Data");
}
}  // namespace

VEK_CONTENT_STEP(30, "3D scene escena/sample.ase and its textures Data/escena1_*.jpg", MakeSampleScene);

}  // namespace contentgen
