// 10 particle emitters of 2,000 particles each in an 800 x 600 off-screen window, seen
// through a perspective camera, each drawn with its object's matrix and then updated,
// as the mesh drawing does every frame:
//   1. frame time of that against the same 20,000 additive textured squares (taken
//      from the running emitters) drawn from one vertex buffer, in alternating rounds
//      of one run;
//   2. C++ heap allocations (operator new) over 1,000 steady-state frames; target 0.
//
//   bench_particles [FRAMES [ROUNDS]]   (defaults: 200 frames a round, 5 rounds)
//   bench_particles --dump FILE.png      saves a steady-state frame of the emitters
// Buffer objects come from Mesa's libGL directly.
#define GL_GLEXT_PROTOTYPES 1

#include "CountingNew.h"
#include "VEK_JpegWriter.h"
#include "VEK_K2DPack.h"
#include "VEK_Particle_Emit.h"
#include "vekPlatform.h"

#include "../../tests/common/PngWriter.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kEmitters = 10;
constexpr int kParticles = 2000;
constexpr int kWarmUpFrames = 400;   // every particle has been reborn at least once
constexpr int kAllocationFrames = 1000;

// A soft round spot, the usual particle picture.
bool WriteSpot(const fs::path& path)
{
    constexpr int kSide = 32;
    std::vector<unsigned char> rgb(std::size_t(kSide) * kSide * 3);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const double d = std::hypot(x - 15.5, y - 15.5) / 16.0;
            const auto v = static_cast<unsigned char>(255.0 * std::max(0.0, 1.0 - d));
            unsigned char* p = &rgb[(std::size_t(y) * kSide + x) * 3];
            p[0] = v, p[1] = v, p[2] = static_cast<unsigned char>(v * 0.8);
        }
    return WriteJpegFile(path.string(), rgb.data(), kSide, kSide);
}

struct Scene {
    std::unique_ptr<ParticleEmitter> emitters[kEmitters];
    Vector3 positions[kEmitters];
};

bool LoadScene(Scene& scene, const std::string& file)
{
    std::srand(1);
    for (int i = 0; i < kEmitters; ++i) {
        auto& e = scene.emitters[i];
        e = std::make_unique<ParticleEmitter>();
        e->SetSizes(5, 3);
        e->SetBox(-5, -5, -5, 5, 5, 5);
        e->SetAcceleration(1.8f, 1.8f, 1.8f);
        e->SetTrace(float(200 + 40 * i), float(150 + 30 * i), 1 + i % 4);
        scene.positions[i].setPoint(float(-45 + 10 * i), float(-10 + 4 * (i % 5)), float(-10 * (i % 3)));
        if (!e->Load(file.c_str(), kParticles, 0, Vector3())) return false;
    }
    return true;
}

void SetCamera()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -0.75, 0.75, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -250);
    glRotatef(20, 1, 0, 0);
}

void ParticleFrame(Scene& scene)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (int i = 0; i < kEmitters; ++i) {
        glPushMatrix();
        const Vector3& p = scene.positions[i];
        glTranslatef(p.x, p.y, p.z);
        scene.emitters[i]->Draw();
        glPopMatrix();
        scene.emitters[i]->Update();
    }
    plat::SwapWindow();
}

// The squares the emitters hold now, in eye space, as triangles: x, y, z, s, t, r, g, b, a.
std::vector<float> SquaresOf(const Scene& scene)
{
    std::vector<float> vertices;
    float view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    for (int i = 0; i < kEmitters; ++i) {
        const ParticleEmitter& e = *scene.emitters[i];
        const Vector3& o = scene.positions[i];
        for (int k = 0; k < e.ParticleCount(); ++k) {
            const Particle& p = e.Particles()[k];
            const float x = p.x + o.x, y = p.y + o.y, z = p.z + o.z;
            const float ex = view[0] * x + view[4] * y + view[8] * z + view[12];
            const float ey = view[1] * x + view[5] * y + view[9] * z + view[13];
            const float ez = view[2] * x + view[6] * y + view[10] * z + view[14];
            const float s = p.size;
            const float corners[4][4] = {{ex + s, ey + s, 1, 1}, {ex - s, ey + s, 0, 1}, {ex + s, ey - s, 1, 0}, {ex - s, ey - s, 0, 0}};
            for (int c : {0, 1, 2, 2, 1, 3})
                vertices.insert(vertices.end(), {corners[c][0], corners[c][1], ez, corners[c][2], corners[c][3], p.r, p.g, p.b, p.life});
        }
    }
    return vertices;
}

struct Baseline {
    GLuint buffer = 0;
    GLsizei vertexCount = 0;
    GLuint texture = 0;
};

void BaselineFrame(const Baseline& b)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, b.texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glBindBuffer(GL_ARRAY_BUFFER, b.buffer);
    const GLsizei stride = 9 * sizeof(float);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, reinterpret_cast<const void*>(0));
    glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(3 * sizeof(float)));
    glColorPointer(4, GL_FLOAT, stride, reinterpret_cast<const void*>(5 * sizeof(float)));
    glDrawArrays(GL_TRIANGLES, 0, b.vertexCount);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glPopMatrix();
    plat::SwapWindow();
}

template <typename FrameFunction>
double TimeFrames(int frames, FrameFunction frame)
{
    glFinish();
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i) frame();
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / frames;
}

void SaveFrame(const char* path)
{
    std::vector<unsigned char> rgb(800 * 600 * 3), flipped(rgb.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (int y = 0; y < 600; ++y) std::copy_n(&rgb[std::size_t(599 - y) * 2400], 2400, &flipped[std::size_t(y) * 2400]);
    fixtures::WritePng(path, flipped.data(), 800, 600);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv)
{
    const char* dump = argc > 2 && std::string(argv[1]) == "--dump" ? argv[2] : nullptr;
    const int frames = argc > 1 && !dump ? std::max(1, std::atoi(argv[1])) : 200;
    const int rounds = argc > 2 && !dump ? std::max(1, std::atoi(argv[2])) : 5;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("VEK_BATCH", "1", 0);
    const fs::path folder = fs::temp_directory_path() / ("vek_particles_" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string spot = (folder / "spot.jpg").string(), file = (folder / "spot.k2d").string();
    if (!WriteSpot(spot) || !k2d::PackParticleAnimation({spot}, file.c_str())) return 1;
    if (!plat::Init() || plat::OpenWindow("particles", 800, 600, 32, false) != plat::WindowResult::ok) {
        std::fprintf(stderr, "bench_particles: no GL window\n");
        return 1;
    }
    glViewport(0, 0, 800, 600);
    glClearColor(0.05f, 0.05f, 0.1f, 1);
    SetCamera();

    Scene scene;
    if (!LoadScene(scene, file)) {
        std::fprintf(stderr, "bench_particles: the emitters did not load\n");
        return 1;
    }
    for (int i = 0; i < kWarmUpFrames; ++i) ParticleFrame(scene);
    if (dump) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (int i = 0; i < kEmitters; ++i) {
            glPushMatrix();
            glTranslatef(scene.positions[i].x, scene.positions[i].y, scene.positions[i].z);
            scene.emitters[i]->Draw();
            glPopMatrix();
        }
        SaveFrame(dump);
        std::printf("saved a frame of the emitters to %s\n", dump);
        return 0;
    }

    StartCountingNew();
    for (int i = 0; i < kAllocationFrames; ++i) ParticleFrame(scene);
    const long allocations = StopCountingNew();

    Baseline baseline;
    baseline.texture = scene.emitters[0]->Texture(0);
    const std::vector<float> squares = SquaresOf(scene);
    baseline.vertexCount = GLsizei(squares.size() / 9);
    glGenBuffers(1, &baseline.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, baseline.buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(squares.size() * sizeof(float)), squares.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    std::vector<double> particleTimes, bufferTimes;
    for (int round = 0; round < rounds; ++round) {
        particleTimes.push_back(TimeFrames(frames, [&] { ParticleFrame(scene); }));
        bufferTimes.push_back(TimeFrames(frames, [&] { BaselineFrame(baseline); }));
    }
    const double particles = Median(particleTimes), buffer = Median(bufferTimes);
    std::printf("emitters: %d x %d particles at 800 x 600, %d frames a round, %d rounds (medians)\n", kEmitters,
                kParticles, frames, rounds);
    std::printf("  emitters, update + draw   %8.3f ms/frame\n", particles);
    std::printf("  one vertex buffer         %8.3f ms/frame  (%d squares)\n", buffer, baseline.vertexCount / 6);
    std::printf("  ratio                     %8.2f x  (target at most 2 x)\n", particles / buffer);
    std::printf("  heap allocations          %8.3f per frame (operator new, %ld over %d frames; target 0)\n",
                double(allocations) / kAllocationFrames, allocations, kAllocationFrames);

    glDeleteBuffers(1, &baseline.buffer);
    for (auto& e : scene.emitters) e.reset();
    plat::CloseWindow();
    plat::Quit();
    fs::remove_all(folder);
    return 0;
}
