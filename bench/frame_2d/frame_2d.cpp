// Frames of a show with flashes, skins (one masked) and three active render-target layers
// at 800 x 600, drawn by the demo engine in an off-screen window:
//   1. heap allocations across 1,000 steady-state frames (render, update tick, present):
//      C++ allocations (operator new) and every malloc made on the rendering thread,
//      the GL driver's included; the target for the first is 0;
//   2. frame time with the layers against the same show with layers off (the normal
//      frame: flashes and skins only), measured in alternating rounds in one run.
//
//   bench_frame_2d [FRAMES [ROUNDS]]   (defaults: 200 frames a round, 5 rounds)
//   bench_frame_2d --show DIR --dump FILE.png [FRAMES]
//                                      plays DIR's show with every 2D object started and
//                                      saves the last frame (for looking at a show)
#include "VEK_DemoEngine.h"
#include "VEK_JpegWriter.h"
#include "vekPlatform.h"

#include "../../tests/common/PngWriter.h"

#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include <malloc.h>
#include <unistd.h>

// ---- allocation counting -------------------------------------------------------------
// operator new is counted by CountingNew.h; every malloc on the counted thread (the GL
// driver's included) is counted here, while the same switch is on.
#include "CountingNew.h"

namespace {
long mallocCount = 0;
bool CountingMalloc() { return countingnew::countedThread && countingnew::counting.load(std::memory_order_relaxed); }
}  // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t size)
{
    if (CountingMalloc()) ++mallocCount;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    if (CountingMalloc()) ++mallocCount;
    return __libc_calloc(count, size);
}
void* realloc(void* memory, size_t size)
{
    if (CountingMalloc()) ++mallocCount;
    return __libc_realloc(memory, size);
}
void free(void* memory) { __libc_free(memory); }
}

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kAllocationFrames = 1000;

constexpr const char* kShow = R"(<demoproject>
  <engineDEMO name="frame_2d" v="1" h="1"/>
  <engine2D>
    <object class="flash" name="add" blendfunc="0" fadein="0.01" fadeout="0.01"><color r="0.6" g="0.6" b="0.6"/></object>
    <object class="flash" name="tint" blendfunc="2" fadein="0.01" fadeout="0.01"><color r="0.5" g="0.8" b="1"/></object>
    <object class="skin" name="plain" z="3" file="plain.k2d" import="1" texturefile="base.jpg" blendfunc="3" fadein="0.01" fadeout="0.01"/>
    <object class="skin" name="masked" z="20" file="masked.k2d" import="1" texturefile="base.jpg" texturemaskfile="mask.jpg" fadein="0.01" fadeout="0.01"/>
    <object class="layer" name="one"><layer z="0" xres="256" yres="256" blur="0.2"/></object>
    <object class="layer" name="two"><layer z="1" xres="128" yres="128" blur="0.1"/></object>
    <object class="layer" name="three"><layer z="2" xres="512" yres="256" blur="0.5"/></object>
  </engine2D>
</demoproject>)";

bool WritePicture(const fs::path& path, int variant)
{
    constexpr uint32_t kSide = 256;
    std::vector<unsigned char> rgb(std::size_t(kSide) * kSide * 3);
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            unsigned char* p = &rgb[(std::size_t(y) * kSide + x) * 3];
            p[0] = static_cast<unsigned char>(128 + 127 * std::sin(x * 0.05 + variant));
            p[1] = static_cast<unsigned char>(variant ? 200 : (x ^ y));
            p[2] = static_cast<unsigned char>(y);
        }
    return WriteJpegFile(path.string(), rgb.data(), kSide, kSide);
}

// Starts every flash, skin and layer the show has, with holds that outlast the run.
void StartEverything(DemoEngine& demo)
{
    for (int slot = 0; slot < DemoEngine::kDrawnFlashes; ++slot)
        if (demo.flashes[slot].name[0]) {
            demo.flashes[slot].SetHoldTime(1e6f);
            demo.flashes[slot].Start();
            demo.flashEnabled[slot] = 1;
        }
    for (int slot = 0; slot < DemoEngine::kUpdatedSkins; ++slot)
        if (demo.skins[slot].name[0]) {
            demo.skins[slot].SetHoldTime(1e6f);
            demo.skins[slot].Start();
            demo.skinEnabled[slot] = 1;
        }
    for (int slot = 0; slot < demo.layerCount; ++slot) {
        Object2D& layer = demo.layers[slot];
        if (!layer.isLayer) continue;
        layer.SetSceneName("scene");
        layer.SetCameraName("camera");
        layer.ToggleLayer();
        layer.Start();
        layer.Target().SetRadialOn(slot == 1);
    }
}

void Frame(DemoEngine& demo)
{
    demo.RenderFrame();
    demo.StepEffects();
    plat::SwapWindow();
}

// Milliseconds per frame over `frames` frames, finished on the GPU.
double TimeFrames(DemoEngine& demo, int frames)
{
    glFinish();
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i) Frame(demo);
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / frames;
}

void SaveFrame(const char* path)
{
    std::vector<unsigned char> rgb(800 * 600 * 3), flipped(rgb.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (int y = 0; y < 600; ++y) std::memcpy(&flipped[std::size_t(y) * 2400], &rgb[std::size_t(599 - y) * 2400], 2400);
    fixtures::WritePng(path, flipped.data(), 800, 600);
}

bool OpenDemo(DemoEngine& demo)
{
    if (!plat::Init() || plat::OpenWindow("frame_2d", 800, 600, 32, false) != plat::WindowResult::ok) {
        std::fprintf(stderr, "bench_frame_2d: no GL window\n");
        return false;
    }
    demo.LoadProject("demotest.xml");
    demo.Initialise(800, 600, 32);
    return true;
}

int PlayShow(const char* show, const char* png, int frames)
{
    if (chdir(show) != 0) {
        std::fprintf(stderr, "bench_frame_2d: cannot enter %s\n", show);
        return 1;
    }
    auto demo = std::make_unique<DemoEngine>();
    if (!OpenDemo(*demo)) return 1;
    StartEverything(*demo);
    demo->layersMode = std::getenv("VEK_LAYERS_MODE") != nullptr;
    for (int i = 0; i < frames; ++i) {
        demo->RenderFrame();
        demo->StepEffects();
        if (i + 1 < frames) plat::SwapWindow();
    }
    SaveFrame(png);
    std::printf("saved frame %d of %s to %s\n", frames, show, png);
    demo->Shutdown();
    plat::CloseWindow();
    plat::Quit();
    return 0;
}

int Measure(int frames, int rounds)
{
    const fs::path folder = fs::temp_directory_path() / ("vek_frame_2d_" + std::to_string(getpid()));
    fs::create_directories(folder);
    if (!WritePicture(folder / "base.jpg", 0) || !WritePicture(folder / "mask.jpg", 1)) return 1;
    FILE* script = std::fopen((folder / "demotest.xml").c_str(), "w");
    if (!script) return 1;
    std::fputs(kShow, script);
    std::fclose(script);
    if (chdir(folder.c_str()) != 0) return 1;

    auto demo = std::make_unique<DemoEngine>();
    if (!OpenDemo(*demo)) return 1;
    StartEverything(*demo);
    demo->layersMode = true;
    for (int i = 0; i < 50; ++i) Frame(*demo);  // warm up: shaders, textures, first captures

    StartCountingNew();
    for (int i = 0; i < kAllocationFrames; ++i) Frame(*demo);
    const long newCount = StopCountingNew();

    // Layers on and off in alternating rounds; the normal frame switches the layers'
    // captures off, so each layers round switches them on again.
    double withLayers = 0, withoutLayers = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int slot = 0; slot < demo->layerCount; ++slot) demo->layers[slot].SwitchCapture(true);
        demo->layersMode = true;
        withLayers += TimeFrames(*demo, frames);
        demo->layersMode = false;
        withoutLayers += TimeFrames(*demo, frames);
    }
    withLayers /= rounds;
    withoutLayers /= rounds;

    std::printf("show: 2 flashes, 2 skins (1 masked), 3 layers (256x256, 128x128 radial, 512x256), 800 x 600, %s\n",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("allocations over %d steady-state frames: operator new %ld, malloc on the render thread %ld\n",
                kAllocationFrames, newCount, mallocCount);
    std::printf("frame time, layers on:  %.3f ms\n", withLayers);
    std::printf("frame time, layers off: %.3f ms\n", withoutLayers);
    std::printf("ratio on / off: %.2f (%d rounds of %d frames each)\n", withLayers / withoutLayers, rounds, frames);

    demo->Shutdown();
    plat::CloseWindow();
    plat::Quit();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return newCount == 0 ? 0 : 2;
}
}  // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("VEK_BATCH", "1", 0);
    if (argc >= 5 && std::strcmp(argv[1], "--show") == 0 && std::strcmp(argv[3], "--dump") == 0)
        return PlayShow(argv[2], argv[4], argc > 5 ? std::atoi(argv[5]) : 60);
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    return Measure(frames, rounds);
}
