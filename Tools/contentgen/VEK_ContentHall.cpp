// The sample show's material hall, "TEST003", written as "escena/hall.ase" (converted to
// "escena/hall.vek" by ase2vek when the show is made) with its textures "Data/hall_*.jpg":
//   a marble floor (a single texture); a brick wall lit through a normal map (bump); a
//   plinth with a glossy second pass over its bumps (bump with gloss); a steel ball that reflects its surroundings
//   (two texture units, the second sphere-mapped); a turning grille whose holes are cut
//   by the alpha of its second image (alpha with two units); two glass panes that pass
//   through each other (translucent, sorted back to front every frame); a turning wire
//   globe; a stone pillar that walks in front of a red lamp on the wall, so the lamp's
//   light, glow and flares fade while it is hidden; a target camera on a slow dolly.
// The engine script in demotest.xml switches each material's path on by its name.
#include "VEK_ContentAse.h"
#include "VEK_ContentGen.h"

#include <algorithm>
#include <cmath>

namespace contentgen {
namespace {
namespace fs = std::filesystem;
using namespace ase;

constexpr int kLastFrame = 360;   // 12 seconds

// 0 Marble, 1 Bricks (0 colour, 1 normal map), 2 Chrome (0 steel, 1 reflection),
// 3 Grille (0 metal, 1 alpha mask), 4 GlassBlue, 5 GlassAmber, 6 Stone, 7 Wire,
// 8 Plinth (0 colour, 1 normal map, 2 gloss).
void Materials(AseText& text)
{
    MaterialList(text, {
        {"Marble", {.diffuse = {0.9, 0.9, 0.9}, .bitmap = "hall_marble.jpg"}},
        {"Bricks", {.diffuse = {0.8, 0.8, 0.8}},
         {{"BrickColour", {.diffuse = {0.9, 0.8, 0.7}, .bitmap = "hall_bricks.jpg"}},
          {"BrickNormal", {.bitmap = "hall_bricks_n.jpg"}}}},
        {"Chrome", {.diffuse = {0.8, 0.8, 0.85}},
         {{"ChromeSteel", {.diffuse = {0.8, 0.8, 0.85}, .bitmap = "hall_steel.jpg"}},
          {"ChromeEnv", {.diffuse = {1, 1, 1}, .bitmap = "hall_env.jpg"}}}},
        {"Grille", {.diffuse = {0.9, 0.9, 0.9}},
         {{"GrilleMetal", {.diffuse = {0.9, 0.85, 0.7}, .bitmap = "hall_metal.jpg"}},
          {"GrilleMask", {.bitmap = "hall_grille_mask.jpg"}}}},
        {"GlassBlue", {.diffuse = {0.3, 0.6, 1.0}}},
        {"GlassAmber", {.diffuse = {1.0, 0.6, 0.2}}},
        {"Stone", {.diffuse = {0.8, 0.8, 0.8}, .bitmap = "hall_stone.jpg"}},
        {"Wire", {.diffuse = {0.5, 1.0, 0.6}}},
        {"Plinth", {.diffuse = {0.8, 0.8, 0.8}},
         {{"PlinthColour", {.diffuse = {0.8, 0.8, 0.8}, .bitmap = "hall_stone.jpg"}},
          {"PlinthNormal", {.bitmap = "hall_bricks_n.jpg"}},
          {"PlinthGloss", {.bitmap = "hall_gloss.jpg"}}}},
    });
}

double Phase(int frame, double periodSeconds) { return 2 * kPi * Seconds(frame) / periodSeconds; }

// The panes swing in depth in opposite directions and meet at the middle: which one is
// nearer the camera changes twice per swing.
V3 GlassAAt(int frame) { return {-12 + 10 * std::sin(Phase(frame, 4)), -20 + 45 * std::sin(Phase(frame, 4)), 42}; }
V3 GlassBAt(int frame) { return {12 - 10 * std::sin(Phase(frame, 4)), -20 - 45 * std::sin(Phase(frame, 4)), 42}; }

// The pillar walks across in front of the red lamp (which hangs at x = 0 on the wall).
V3 PillarAt(int frame) { return {120 * std::sin(Phase(frame, 6)), 55, 60}; }

NodeTracks Turning(V3 axis, double turnsPerAnimation)
{
    NodeTracks tracks;
    tracks.rotation = [=](int frame) {
        return Rotation(axis, frame == 0 ? 0.0 : 2 * kPi * turnsPerAnimation / kLastFrame);
    };
    return tracks;
}

NodeTracks Moving(V3 (*at)(int))
{
    NodeTracks tracks;
    tracks.position = [=](int frame) { return Point(at(frame)); };
    return tracks;
}

V3 CameraEye(int frame) { return {70 * std::sin(Phase(frame, 12)), -235 + 25 * std::cos(Phase(frame, 6)), 80}; }

std::string HallScene()
{
    AseText text(kLastFrame);
    SceneInfo(text, "hall.max", {0.15, 0.15, 0.15});
    Materials(text);
    GeomObject(text, {.name = "HallFloor", .mesh = Grid({-160, -160, 0}, {320, 0, 0}, {0, 320, 0}, 8, 8, 4.0)});
    GeomObject(text, {.name = "BumpWall", .pivot = {0, 100, 70},
                      .mesh = Grid({-160, 100, 0}, {320, 0, 0}, {0, 0, 140}, 8, 4, 3.0), .material = 1});
    GeomObject(text, {.name = "Chrome", .pivot = {70, 15, 30}, .mesh = Sphere({70, 15, 30}, 22, 20, 14), .material = 2,
                      .tracks = Turning({0, 0, 1}, 1)});
    GeomObject(text, {.name = "Grille", .pivot = {-80, 15, 40}, .mesh = Box({-80, 15, 40}, {28, 1.5, 28}),
                      .material = 3, .tracks = Turning({0, 0, 1}, 2)});
    GeomObject(text, {.name = "GlassA", .pivot = GlassAAt(0), .mesh = Box(GlassAAt(0), {26, 1.5, 22}), .material = 4,
                      .tracks = Moving(GlassAAt)});
    GeomObject(text, {.name = "GlassB", .pivot = GlassBAt(0), .mesh = Box(GlassBAt(0), {26, 1.5, 22}), .material = 5,
                      .tracks = Moving(GlassBAt)});
    GeomObject(text, {.name = "Pillar", .pivot = PillarAt(0), .mesh = Box(PillarAt(0), {9, 9, 60}), .material = 6,
                      .tracks = Moving(PillarAt)});
    GeomObject(text, {.name = "Plinth", .pivot = {-35, 60, 30}, .mesh = Box({-35, 60, 30}, {12, 12, 30}),
                      .material = 8});
    GeomObject(text, {.name = "WireGlobe", .pivot = {0, 40, 110}, .mesh = Sphere({0, 40, 110}, 16, 12, 8),
                      .material = 7, .tracks = Turning({0, 0, 1}, 3)});
    TargetCamera(text, {.name = "Camera01", .target = {0, 30, 45}, .eyeAt = CameraEye,
                        .targetAt = [](int) { return V3{0, 30, 45}; }});
    OmniLight(text, "Omni01", {-40, -80, 130}, {1.0, 0.95, 0.85});
    OmniLight(text, "Omni02", {0, 90, 55}, {1.0, 0.35, 0.2});
    return text.text();
}

// ---- textures ---------------------------------------------------------------------------------

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// Bricks of 32 x 16 pixels, every other row shifted by half a brick; 2-pixel mortar.
double BrickHeight(int x, int y)
{
    const int row = y / 16;
    const int shifted = (x + (row % 2) * 16) % 32;
    const int inRow = y % 16;
    const bool mortar = shifted < 2 || inRow < 2;
    return mortar ? 0.0 : 1.0 - 0.1 * std::sin(x * 0.9) * std::sin(y * 1.3);
}

V3 BrickNormal(int x, int y)
{
    const auto h = [](int px, int py) { return BrickHeight((px + kTextureSide) % kTextureSide, (py + kTextureSide) % kTextureSide); };
    const double dx = (h(x + 1, y) - h(x - 1, y)) * 1.5, dy = (h(x, y + 1) - h(x, y - 1)) * 1.5;
    const double length = std::sqrt(dx * dx + dy * dy + 1.0);
    return {0.5 - 0.5 * dx / length, 0.5 - 0.5 * dy / length, 0.5 + 0.5 / length};
}

// A sphere map of a room: bright sky above, warm floor below, a window highlight.
V3 Environment(int x, int y, double highlight)
{
    const double u = (x - 63.5) / 64.0, v = (y - 63.5) / 64.0;
    if (u * u + v * v > 1.0) return {0, 0, 0};
    const double up = Clamp01(0.5 - v * 0.7);
    const double spot = std::exp(-((u + 0.35) * (u + 0.35) + (v + 0.35) * (v + 0.35)) * 18.0) * highlight;
    return V3{0.25 + 0.55 * up, 0.22 + 0.6 * up, 0.2 + 0.75 * up} + V3{spot, spot, spot};
}

bool WriteTextures(const fs::path& data)
{
    bool ok = WriteTexture(data / "hall_marble.jpg", [](int x, int y) {
        const double vein = 0.12 * std::sin(x * 0.08 + 3 * std::sin(y * 0.05)) + 0.05 * std::sin(x * 0.3 + y * 0.2);
        const bool dark = ((x / 64) + (y / 64)) % 2 == 0;
        const double base = dark ? 0.45 : 0.85;
        return V3{base + vein, base + vein * 0.9, base + vein * 0.8};
    });
    ok &= WriteTexture(data / "hall_bricks.jpg", [](int x, int y) {
        if (BrickHeight(x, y) == 0.0) return V3{0.55, 0.53, 0.5};
        const double tone = 0.08 * std::sin((x / 32) * 2.1 + (y / 16) * 1.7);
        return V3{0.62 + tone, 0.3 + tone, 0.22 + tone};
    });
    ok &= WriteTexture(data / "hall_bricks_n.jpg", BrickNormal);
    ok &= WriteTexture(data / "hall_gloss.jpg", [](int x, int y) { return Environment(x, y, 1.0); });
    ok &= WriteTexture(data / "hall_steel.jpg", [](int x, int y) {
        const double brush = 0.04 * std::sin(y * 2.7 + std::sin(x * 0.4));
        return V3{0.85 + brush, 0.86 + brush, 0.9 + brush};
    });
    ok &= WriteTexture(data / "hall_env.jpg", [](int x, int y) { return Environment(x, y, 1.0); });
    ok &= WriteTexture(data / "hall_metal.jpg", [](int x, int y) {
        const double rust = 0.1 * std::sin(x * 0.37) * std::cos(y * 0.23);
        return V3{0.7 + rust, 0.6 + rust, 0.35};
    });
    // The grille's cut-out: red 255 is solid metal, 0 a round hole.
    ok &= WriteTexture(data / "hall_grille_mask.jpg", [](int x, int y) {
        const double hx = (x % 16) - 7.5, hy = (y % 16) - 7.5;
        const bool frame = x < 6 || y < 6 || x >= kTextureSide - 6 || y >= kTextureSide - 6;
        const double solid = frame || hx * hx + hy * hy > 30.0 ? 1.0 : 0.0;
        return V3{solid, solid, solid};
    });
    ok &= WriteTexture(data / "hall_stone.jpg", [](int x, int y) {
        const double grain = 0.08 * std::sin(x * 0.5 + y * 0.11) * std::sin(y * 0.7 - x * 0.05);
        const bool joint = y % 42 < 2;
        return joint ? V3{0.3, 0.3, 0.3} : V3{0.6 + grain, 0.58 + grain, 0.55 + grain};
    });
    return ok;
}

bool MakeHall(const fs::path& show)
{
    return WriteTextFile(show / "escena/hall.ase", HallScene()) && WriteTextures(show / "Data");
}
}  // namespace

VEK_CONTENT_STEP(32, "3D scene escena/hall.ase and its textures Data/hall_*.jpg", MakeHall);

}  // namespace contentgen
