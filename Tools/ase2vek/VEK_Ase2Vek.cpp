// ase2vek: converts an ASE text scene into a binary scene file with the import plug-in,
// loaded exactly as the engine loads it: libVEK_Import.so from the folder of
// libvekEngineFW.so, its GetPlugin export, the same set-up calls and convertStep.
#include "VEK_ImportPlugin.h"
#include "VEK_SceneFile.h"
#include "vekEngineFW.h"
#include "vekPlatform.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
enum ExitCode { kSuccess = 0, kConversionFailed = 1, kUsage = 2, kNoPlugin = 3 };

int Usage(std::FILE* out, int code)
{
    std::fprintf(out,
                 "Usage: ase2vek IN.ase OUT.vek [--log]\n"
                 "Converts a 3ds Max ASCII scene export (ASE) into the engine's binary scene file.\n"
                 "  --log   print the converter's log (debug.log, written in the working directory)\n"
                 "Exit status: 0 converted, 1 conversion failed (OUT is left as it was),\n"
                 "2 bad arguments, 3 the import plug-in could not be loaded.\n");
    return code;
}

void PrintLog(ImportPlugin& plugin)
{
    std::vector<char> text(plugin.readLog(nullptr, 0) + 1);
    plugin.readLog(text.data(), text.size());
    std::printf("%s\n", text.data());
}

// What the written file holds, from its header.
void PrintSummary(const char* input, const char* output)
{
    std::vector<std::uint8_t> bytes;
    scenefile::ReadWholeFile(output, bytes);
    scenefile::ByteReader reader(bytes.data(), bytes.size());
    std::uint16_t objects = 0, cameras = 0, materials = 0, lights = 0, lastFrame = 0;
    reader.seek(scenefile::kObjectCountAt);
    reader.u16(objects);
    reader.u16(cameras);
    reader.skip(2);
    reader.u16(materials);
    reader.u16(lights);
    reader.seek(scenefile::kLastFrameAt);
    reader.u16(lastFrame);
    std::printf("ase2vek: %s -> %s: %u objects, %u materials, %u cameras, %u lights, frames 0..%u\n", input, output,
                objects, materials, cameras, lights, lastFrame);
}
}  // namespace

int main(int argc, char** argv)
{
    std::vector<const char*> paths;
    bool printLog = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return Usage(stdout, kSuccess);
        if (std::strcmp(argv[i], "--log") == 0) printLog = true;
        else paths.push_back(argv[i]);
    }
    if (paths.size() != 2) return Usage(stderr, kUsage);
    // A command-line tool never opens a dialog: the plug-in's messages go to standard error.
    plat::SetBatchMode(true);

    void* library = plat::LoadLibraryBeside(reinterpret_cast<const void*>(&vekInitFrameWork), kImportPluginFile);
    auto getPlugin = reinterpret_cast<GetPluginFunction>(plat::FindSymbol(library, kGetPluginSymbol));
    if (!getPlugin) {
        std::fprintf(stderr, "ase2vek: cannot load the import plug-in %s: %s\n", kImportPluginFile,
                     plat::LastLoadError().c_str());
        plat::FreeLibrary(library);
        return kNoPlugin;
    }
    ImportPlugin* plugin = nullptr;
    getPlugin(&plugin);
    plugin->setInputPath(paths[0]);
    plugin->setOutputPath(paths[1]);
    plugin->setTexturePrefix("");
    std::uint8_t status = kImportFailed;
    while ((status = plugin->convertStep()) != kImportDone && status != kImportFailed) {
    }
    if (printLog) PrintLog(*plugin);
    delete plugin;
    plat::FreeLibrary(library);

    if (status != kImportDone) {
        std::fprintf(stderr, "ase2vek: %s was not converted; %s is unchanged%s\n", paths[0], paths[1],
                     printLog ? "" : " (--log prints the converter's log)");
        return kConversionFailed;
    }
    PrintSummary(paths[0], paths[1]);
    return kSuccess;
}
