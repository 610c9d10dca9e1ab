// A generated scene of 200 objects with 1,000 triangles each (200,000 in all), textured
// with multi-materials whose sub-materials change every few rows of faces, drawn at
// 800 x 600 in an off-screen window:
//   1. frame time of the renderer (DrawSceneObjects: material set-up, sub-material
//      switching, every face) against the same triangles drawn from one static vertex
//      buffer with one texture, in alternating rounds, best round of each;
//   2. C++ heap allocations (operator new) per steady frame of the renderer; target 0.
//
//   bench_frame_3d [FRAMES [ROUNDS]] [--dump FILE.png]
//       defaults: 5 frames a round, 7 rounds; --dump saves one frame of the renderer
#include "VEK_MeshDraw.h"
#include "VEK_RenderState.h"
#include "VEK_Scene.h"
#include "VEK_SceneDraw.h"
#include "VEK_Textures.h"
#include "vekPlatform.h"

#include "CountingNew.h"
#include "../../tests/common/PngWriter.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr int kWidth = 800, kHeight = 600;
constexpr int kColumns = 20, kRows = 10;            // 200 objects
constexpr int kGridX = 25, kGridY = 20;              // 500 quads, 1,000 triangles each
constexpr int kMaterials = 10, kSubMaterials = 3;
constexpr int kTextureSide = 64;

void FillGradient(TextureImage& image, int seed)
{
    image.width = image.height = kTextureSide;
    image.pixels.resize(std::size_t(kTextureSide) * kTextureSide * 3);
    for (int y = 0; y < kTextureSide; ++y)
        for (int x = 0; x < kTextureSide; ++x) {
            std::uint8_t* p = &image.pixels[std::size_t(y * kTextureSide + x) * 3];
            p[0] = std::uint8_t(x * 4 + seed * 40);
            p[1] = std::uint8_t(y * 4 + seed * 20);
            p[2] = std::uint8_t(128 + seed * 30);
        }
    image.loaded = true;
}

Material* MakeMaterial(int index)
{
    ColourSet colours;
    colours.ambient = {0.3f, 0.3f, 0.3f, 1};
    colours.diffuse = {0.8f, 0.8f, 0.8f, 1};
    colours.specular = {0.2f, 0.2f, 0.2f, 1};
    auto* material = new Material("material" + std::to_string(index), index, colours, 20.0f, 1.0f);
    FillGradient(material->image, index);
    material->setSlots(true, kSubMaterials + 1);
    for (int slot = 1; slot <= kSubMaterials; ++slot) {
        auto* sub = new Material(material->name + "_" + std::to_string(slot), slot, colours, 20.0f, 1.0f);
        FillGradient(sub->image, index + slot);
        material->setSubMaterial(std::uint32_t(slot), sub);
    }
    return material;
}

// A wavy grid of kGridX x kGridY quads filling one cell of the screen layout.
SceneObject* MakeObject(int index)
{
    const int column = index % kColumns, row = index / kColumns;
    const std::uint32_t vertexCount = (kGridX + 1) * (kGridY + 1), faceCount = kGridX * kGridY * 2;
    auto* object = new SceneObject(std::uint8_t(index + 1), "object" + std::to_string(index), "", Vector3(0, 0, 0),
                                   RotationKey{}, vertexCount, faceCount);
    const float cellW = 40.0f / kColumns, cellH = 30.0f / kRows;
    const float x0 = -20 + column * cellW, y0 = -15 + row * cellH;
    for (auto& list : object->textureVertices) list.resize(vertexCount);
    for (auto& list : object->textureFaces) list.resize(faceCount);
    object->textureVertexCount = vertexCount;
    for (int j = 0; j <= kGridY; ++j)
        for (int i = 0; i <= kGridX; ++i) {
            const std::uint32_t v = std::uint32_t(j * (kGridX + 1) + i);
            MeshVertex& vertex = object->vertices[v];
            const float z = 0.3f * std::sin(i * 0.5f + index) * std::cos(j * 0.4f);
            vertex.position.setPoint(x0 + cellW * 0.95f * i / kGridX, y0 + cellH * 0.95f * j / kGridY, z);
            vertex.normal = normalize(Vector3(-0.15f * std::cos(i * 0.5f + index), 0.12f * std::sin(j * 0.4f), 1));
            object->textureVertices[0][v] = float(i) / kGridX;
            object->textureVertices[1][v] = float(j) / kGridY;
        }
    std::uint32_t f = 0;
    for (int j = 0; j < kGridY; ++j)
        for (int i = 0; i < kGridX; ++i) {
            const std::uint32_t a = std::uint32_t(j * (kGridX + 1) + i), b = a + 1, c = a + kGridX + 2, d = a + kGridX + 1;
            const std::uint32_t corners[2][3] = {{a, b, c}, {a, c, d}};
            for (auto& corner : corners) {
                MeshFace& face = object->faces[f];
                face.a = corner[0];
                face.b = corner[1];
                face.c = corner[2];
                face.normal = Vector3(0, 0, 1);
                face.subMaterial = std::uint32_t(1 + (j / 5) % kSubMaterials);   // a switch every 5 rows
                for (int k = 0; k < 3; ++k) object->textureFaces[k][f] = corner[k];
                ++f;
            }
        }
    object->materialRef = index % kMaterials;
    return object;
}

void SetView()
{
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 1.33333, 1, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 38, 0, 0, 0, 0, 1, 0);
    const GLfloat position[4] = {0.3f, 0.5f, 1, 0}, diffuse[4] = {1, 1, 1, 1}, ambient[4] = {0.3f, 0.3f, 0.3f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
}

void DefaultState()
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnable(GL_NORMALIZE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

// The baseline: every triangle of the scene in one interleaved static buffer
// (texture coordinates, normal, position), one texture, one draw call.
struct StaticBuffer {
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    GLuint buffer = 0, texture = 0;
    GLsizei vertexCount = 0;

    bool Build(Scene& scene, GLuint sharedTexture)
    {
        genBuffers = reinterpret_cast<PFNGLGENBUFFERSPROC>(plat::GetGLProcAddress("glGenBuffers"));
        bindBuffer = reinterpret_cast<PFNGLBINDBUFFERPROC>(plat::GetGLProcAddress("glBindBuffer"));
        bufferData = reinterpret_cast<PFNGLBUFFERDATAPROC>(plat::GetGLProcAddress("glBufferData"));
        if (!genBuffers || !bindBuffer || !bufferData) return false;
        std::vector<float> data;
        for (SceneObject* object : scene.objects.each<SceneObject>())
            for (std::uint32_t f = 0; f < object->faceCount; ++f) {
                const MeshFace& face = object->faces[f];
                const std::uint32_t corners[3] = {face.a, face.b, face.c};
                for (int c = 0; c < 3; ++c) {
                    const std::uint32_t t = object->textureFaces[c][f];
                    const MeshVertex& v = object->vertices[corners[c]];
                    const float values[8] = {object->textureVertices[0][t], object->textureVertices[1][t], v.normal.x,
                                             v.normal.y, v.normal.z, v.position.x, v.position.y, v.position.z};
                    data.insert(data.end(), values, values + 8);
                }
            }
        vertexCount = GLsizei(data.size() / 8);
        genBuffers(1, &buffer);
        bindBuffer(GL_ARRAY_BUFFER, buffer);
        bufferData(GL_ARRAY_BUFFER, GLsizeiptr(data.size() * sizeof(float)), data.data(), GL_STATIC_DRAW);
        bindBuffer(GL_ARRAY_BUFFER, 0);
        texture = sharedTexture;
        return true;
    }

    void Draw() const
    {
        rgl::SelectTextureUnit(0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glEnable(GL_COLOR_MATERIAL);
        bindBuffer(GL_ARRAY_BUFFER, buffer);
        glInterleavedArrays(GL_T2F_N3F_V3F, 0, nullptr);
        glDrawArrays(GL_TRIANGLES, 0, vertexCount);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        bindBuffer(GL_ARRAY_BUFFER, 0);
    }
};

void SaveFrame(const char* path)
{
    std::vector<unsigned char> rgb(std::size_t(kWidth) * kHeight * 3), flipped(rgb.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    const std::size_t row = std::size_t(kWidth) * 3;
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(&rgb[std::size_t(kHeight - 1 - y) * row], row, &flipped[std::size_t(y) * row]);
    fixtures::WritePng(path, flipped.data(), kWidth, kHeight);
}

double Seconds() { return double(plat::PerfCounter()) / double(plat::PerfFrequency()); }

template <typename Draw>
double TimeFrames(int frames, Draw draw)
{
    glFinish();
    const double start = Seconds();
    for (int i = 0; i < frames; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SetView();
        draw();
        glFinish();
    }
    return (Seconds() - start) / frames;
}
}  // namespace

int main(int argc, char** argv)
{
    const char* dump = nullptr;
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--dump" && i + 1 < argc)
            dump = argv[++i];
        else
            numbers.push_back(std::max(1, std::atoi(argv[i])));
    }
    const int frames = numbers.size() > 0 ? numbers[0] : 5;
    const int rounds = numbers.size() > 1 ? numbers[1] : 7;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("VEK_BATCH", "1", 0);
    if (!plat::Init() || plat::OpenWindow("bench_frame_3d", kWidth, kHeight, 32, false) != plat::WindowResult::ok) {
        std::fprintf(stderr, "bench_frame_3d: no GL window\n");
        return 1;
    }
    InstallRendererHooks();
    DefaultState();

    Scene scene("(generated)", "bench");
    for (int i = 0; i < kMaterials; ++i) scene.materials.insert(MakeMaterial(i));
    for (int i = 0; i < kColumns * kRows; ++i) scene.objects.insert(MakeObject(i));
    BindObjectMaterials(scene);
    UploadSceneTextures(scene);
    std::uint32_t triangles = 0;
    for (SceneObject* object : scene.objects.each<SceneObject>()) triangles += object->faceCount;

    StaticBuffer baseline;
    if (!baseline.Build(scene, scene.materials.atAs<Material>(0)->textureName)) {
        std::fprintf(stderr, "bench_frame_3d: no vertex buffer objects\n");
        return 1;
    }
    const Vector3 eye(0, 0, 38);
    const auto ours = [&] { DrawSceneObjects(scene, eye); };
    const auto buffer = [&] { baseline.Draw(); };

    TimeFrames(2, ours);   // warm-up: first uses of textures and code paths
    TimeFrames(2, buffer);
    double bestOurs = 1e9, bestBuffer = 1e9;
    for (int round = 0; round < rounds; ++round) {
        bestOurs = std::min(bestOurs, TimeFrames(frames, ours));
        bestBuffer = std::min(bestBuffer, TimeFrames(frames, buffer));
    }

    if (dump) {
        TimeFrames(1, ours);
        SaveFrame(dump);
    }
    const int countedFrames = 20;
    StartCountingNew();
    TimeFrames(countedFrames, ours);
    const long allocations = StopCountingNew();

    std::printf("scene: %u objects, %u triangles, %d materials with %d sub-materials, %d x %d\n",
                scene.objects.count(), triangles, kMaterials, kSubMaterials, kWidth, kHeight);
    std::printf("renderer frame:       %8.2f ms (best of %d rounds of %d frames)\n", bestOurs * 1000, rounds, frames);
    std::printf("static buffer frame:  %8.2f ms\n", bestBuffer * 1000);
    std::printf("ratio renderer/buffer: %.2f (target at most 1.50)\n", bestOurs / bestBuffer);
    std::printf("heap allocations per steady frame: %.2f (operator new over %d frames: %ld; target 0)\n",
                double(allocations) / countedFrames, countedFrames, allocations);
    plat::CloseWindow();
    plat::Quit();
    return 0;
}
