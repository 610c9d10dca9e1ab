// Writes the seed corpus of the scene loader's fuzz target from the test fixtures.
#include "SceneFixtures.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    scenefile::SceneRecords small;
    small.objects = {fixtures::Triangle("A"), fixtures::Triangle("B", "A")};
    small.materials = {fixtures::MultiMaterial(0, "M", 2)};
    small.cameras = {fixtures::StillCamera("Cam")};
    small.lights = {fixtures::Omni("L")};
    const struct {
        const char* name;
        scenefile::SceneRecords scene;
    } seeds[] = {{"empty.bin", {}}, {"small.bin", small}, {"full.bin", fixtures::FullScene()}};
    for (const auto& seed : seeds)
        if (!scenefile::WriteFileAtomically((folder / seed.name).string(), fixtures::Bytes(seed.scene))) return 1;
    return 0;
}
