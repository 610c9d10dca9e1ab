// vekscene: shows what a binary scene file holds ("info"), checks that it is well formed
// ("check"), and shows what the engine script of a project sets on a scene ("script").
// info and check read the file as records, in file order, never past its end.
#include "VEK_SceneFile.h"
#include "VEK_SceneScript.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace scenefile;

namespace {

constexpr char kUsage[] =
    "usage: vekscene info FILE             show the header and every record\n"
    "       vekscene check FILE            exit status 0 only for a well-formed scene file\n"
    "       vekscene script SCRIPT SCENE   what the engine3D section of the project script SCRIPT\n"
    "                                      sets on each record of scene SCENE, and what it logs\n";
constexpr char kCannotRead[] = "vekscene: %s\n";
constexpr char kProblem[] = "%s: byte %zu: %s\n";
constexpr char kWellFormed[] = "%s: well-formed scene file (%zu bytes)\n";
constexpr char kEngineLoadsIt[] = "%s: the engine loads it all the same\n";

enum ExitStatus { kOk = 0, kDamaged = 1, kUsageError = 2 };

const char* Flag(bool on) { return on ? "yes" : "no"; }

void PrintHeader(const Header& h, std::size_t size)
{
    std::printf("file: %zu bytes\n", size);
    std::printf("header: %u objects, %u materials, %u cameras, %u lights\n", h.objectCount, h.materialCount,
                h.cameraCount, h.lightCount);
    std::printf("frames: last frame %u (%u frames), %u frames per second, %u ticks per frame\n", h.lastFrame,
                MorphFrameCount(h.lastFrame), h.frameSpeed, h.ticksPerFrame);
}

void PrintObject(std::size_t i, const ObjectRecord& o)
{
    std::printf("object %zu \"%s\": parent \"%s\", %zu vertices, %zu faces, %zu texture vertices, material %u\n", i,
                o.name.c_str(), o.parent.c_str(), o.vertices.size(), o.faces.size(), o.textureVertices.size(),
                o.material);
    std::printf("  tracks: position %s (%zu keys), rotation %s (%zu keys), scale %s (%zu keys), morph frames %zu\n",
                Flag(o.hasPositionKeys), o.positionKeys.size(), Flag(o.hasRotationKeys), o.rotationKeys.size(),
                Flag(o.hasScaleKeys), o.scaleKeys.size(), o.morphFrames.size());
}

void PrintMaterial(std::size_t i, const MaterialRecord& m)
{
    if (!m.multi) {
        std::printf("material %zu \"%s\": index %u, bitmap \"%s\"\n", i, m.name.c_str(), m.index, m.bitmap.c_str());
        return;
    }
    std::printf("material %zu \"%s\": index %u, multi, %zu sub-materials\n", i, m.name.c_str(), m.index,
                m.subMaterials.size());
    for (std::size_t j = 0; j < m.subMaterials.size(); ++j)
        std::printf("  sub-material %zu \"%s\": bitmap \"%s\"\n", j, m.subMaterials[j].name.c_str(),
                    m.subMaterials[j].bitmap.c_str());
}

void PrintCamera(std::size_t i, const CameraRecord& c)
{
    std::printf("camera %zu \"%s\": FOV keys %zu, node keys %s (%zu position, %zu rotation), target keys %s (%zu)\n",
                i, c.name.c_str(), c.fovKeys.size(), Flag(c.hasNodeKeys), c.positionKeys.size(),
                c.rotationKeys.size(), Flag(c.hasTargetKeys), c.targetKeys.size());
}

void PrintLight(std::size_t i, const LightRecord& l)
{
    const bool target = l.kind == LightKind::target;
    std::printf("light %zu \"%s\": %s, position keys %s (%zu)", i, l.name.c_str(), target ? "target" : "omni",
                Flag(l.hasPositionKeys), l.positionKeys.size());
    if (target) std::printf(", target keys %s (%zu)", Flag(l.hasTargetKeys), l.targetKeys.size());
    std::printf("\n");
}

// Reads every record in file order, printing each one as it is read when print is set.
bool ReadAll(const FileBytes& file, bool strict, bool print, ReadError& error)
{
    RecordReader reader(file.data(), file.size(), strict);
    Header header;
    bool ok = reader.readHeader(header);
    if (ok && print) PrintHeader(header, file.size());
    ObjectRecord object;
    for (std::size_t i = 0; ok && i < header.objectCount; ++i)
        if ((ok = reader.readObject(i, object)) && print) PrintObject(i, object);
    MaterialRecord material;
    for (std::size_t i = 0; ok && i < header.materialCount; ++i)
        if ((ok = reader.readMaterial(i, material)) && print) PrintMaterial(i, material);
    CameraRecord camera;
    for (std::size_t i = 0; ok && i < header.cameraCount; ++i)
        if ((ok = reader.readCamera(i, camera)) && print) PrintCamera(i, camera);
    LightRecord light;
    for (std::size_t i = 0; ok && i < header.lightCount; ++i)
        if ((ok = reader.readLight(i, light)) && print) PrintLight(i, light);
    ok = ok && reader.finish();
    if (!ok) error = reader.error();
    return ok;
}

int Info(const char* path, const FileBytes& file)
{
    // Read as the engine reads, so the listing goes as far as the engine would get.
    ReadError error;
    if (ReadAll(file, false, true, error)) return kOk;
    std::printf(kProblem, path, error.offset, error.what.c_str());
    return kDamaged;
}

int Check(const char* path, const FileBytes& file)
{
    ReadError error;
    if (ReadAll(file, true, false, error)) {
        std::printf(kWellFormed, path, file.size());
        return kOk;
    }
    std::printf(kProblem, path, error.offset, error.what.c_str());
    ReadError ignored;
    if (ReadAll(file, false, false, ignored)) std::printf(kEngineLoadsIt, path);
    return kDamaged;
}

bool Is(const char* argument, const char* word) { return std::strcmp(argument, word) == 0; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (Is(argv[1], "--help") || Is(argv[1], "-h"))) {
        std::fputs(kUsage, stdout);
        return kOk;
    }
    if (argc == 4 && Is(argv[1], "script")) return ShowSceneScript(argv[2], argv[3]);
    if (argc != 3 || (!Is(argv[1], "info") && !Is(argv[1], "check"))) {
        std::fputs(kUsage, stderr);
        return kUsageError;
    }
    FileBytes file;
    std::string reason;
    if (!file.open(argv[2], &reason)) {
        std::fprintf(stderr, kCannotRead, reason.c_str());
        return kDamaged;
    }
    return Is(argv[1], "info") ? Info(argv[2], file) : Check(argv[2], file);
}
