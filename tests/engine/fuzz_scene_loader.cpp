// Fuzz target: scene file bytes through the record reader (strict and tolerant) and, when
// the tolerant reader takes them, through the scene loader and the animation step.
#include "VEK_Scene.h"
#include "VEK_SceneFile.h"
#include "vekPlatform.h"

#include <cstdint>
#include <cstdio>

namespace {
void Exercise(Scene& scene)
{
    for (AnimController* controller : scene.controllers.each<AnimController>()) {
        for (int i = 0; i < 3; ++i) {
            controller->rotation();
            controller->position();
            controller->vertexSet();
            controller->step();
        }
        controller->jump(7);
    }
    for (SceneObject* object : scene.objects.each<SceneObject>())
        for (const MeshFace& face : object->faces) {
            // Faces index the vertex and texture arrays; touch what they index.
            volatile float touched = object->vertices.at(face.a).position.x + object->vertices.at(face.c).normal.y;
            (void)touched;
        }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = [] {
        plat::SetBatchMode(true);
        plat::UseVirtualClock(true);
        return true;
    }();
    (void)ready;
    scenefile::SceneRecords records;
    scenefile::ReadScene(data, size, records, nullptr, true);
    if (!scenefile::ReadScene(data, size, records, nullptr, false)) return 0;
    std::FILE* file = std::fopen("fuzz_scene.bin", "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    if (auto scene = LoadSceneFile("fuzz_scene.bin", "fuzz")) Exercise(*scene);
    return 0;
}
