// ASE import benchmark: writes one ASE file of at least 60 MB in the layout of the 3ds Max
// exporter (big meshes with normals and texture coordinates, long sampled tracks), then
// in one run converts it with the import plug-in (loaded beside the engine library, as
// the engine loads it) and imports it with "assimp info FILE -r". Each side runs three
// times; the best times are compared. Target: the plug-in at least 2 x faster.
//   bench_ase_import                    the comparison (run_bench.sh installs assimp first)
//   bench_ase_import --generate FILE    only writes the ASE file
#include "VEK_ImportPlugin.h"
#include "vekEngineFW.h"
#include "vekPlatform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMinimumBytes = 60ull << 20;
constexpr int kGridSide = 180;            // 32761 vertices, 64800 faces per mesh
constexpr int kLastFrame = 3000;          // every track has 3001 samples
constexpr int kTicksPerFrame = 160;
constexpr int kRuns = 3;

void WriteTrack(std::FILE* out, const char* kind, int object, int values)
{
    std::fprintf(out, "\t\t*CONTROL_%s_TRACK {\n", kind);
    for (int frame = 0; frame <= kLastFrame; ++frame) {
        const double t = frame * 0.01 + object;
        std::fprintf(out, "\t\t\t*CONTROL_%s_SAMPLE %d\t%.4f\t%.4f\t%.4f", kind, frame * kTicksPerFrame, std::sin(t),
                     std::cos(t), 1.0 + 0.1 * t);
        if (values == 4) std::fprintf(out, "\t%.4f", 0.01);
        if (values == 7) std::fprintf(out, "\t0.0000\t0.0000\t0.0000\t0.0000");
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "\t\t}\n");
}

void WriteObject(std::FILE* out, int object)
{
    const int side = kGridSide + 1;
    const int vertices = side * side, faces = kGridSide * kGridSide * 2;
    const double x0 = object * 300.0;
    std::fprintf(out, "*GEOMOBJECT {\n\t*NODE_NAME \"Terrain%02d\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"Terrain%02d\"\n"
                      "\t\t*INHERIT_POS 0 0 0\n\t\t*INHERIT_ROT 0 0 0\n\t\t*INHERIT_SCL 0 0 0\n"
                      "\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n\t\t*TM_ROW1 0.0000\t1.0000\t0.0000\n"
                      "\t\t*TM_ROW2 0.0000\t0.0000\t1.0000\n\t\t*TM_ROW3 %.4f\t0.0000\t0.0000\n"
                      "\t\t*TM_POS %.4f\t0.0000\t0.0000\n\t\t*TM_ROTAXIS 0.0000\t0.0000\t0.0000\n"
                      "\t\t*TM_ROTANGLE 0.0000\n\t\t*TM_SCALE 1.0000\t1.0000\t1.0000\n"
                      "\t\t*TM_SCALEAXIS 0.0000\t0.0000\t0.0000\n\t\t*TM_SCALEAXISANG 0.0000\n\t}\n",
                 object, object, x0, x0);
    std::fprintf(out, "\t*MESH {\n\t\t*TIMEVALUE 0\n\t\t*MESH_NUMVERTEX %d\n\t\t*MESH_NUMFACES %d\n", vertices, faces);
    auto height = [&](int x, int y) { return 8.0 * std::sin(x * 0.13 + object) * std::cos(y * 0.07); };
    std::fprintf(out, "\t\t*MESH_VERTEX_LIST {\n");
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            std::fprintf(out, "\t\t\t*MESH_VERTEX %4d\t%.4f\t%.4f\t%.4f\n", y * side + x, x0 + x * 1.5, y * 1.5,
                         height(x, y));
    std::fprintf(out, "\t\t}\n\t\t*MESH_FACE_LIST {\n");
    std::vector<int> corners;
    corners.reserve(std::size_t(faces) * 3);
    for (int y = 0; y < kGridSide; ++y)
        for (int x = 0; x < kGridSide; ++x) {
            const int a = y * side + x, b = a + 1, c = a + side + 1, d = a + side;
            corners.insert(corners.end(), {a, b, c, c, d, a});
        }
    for (int f = 0; f < faces; ++f)
        std::fprintf(out, "\t\t\t*MESH_FACE %4d:    A: %4d B: %4d C: %4d AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID %d\n",
                     f, corners[3 * f], corners[3 * f + 1], corners[3 * f + 2], f % 2);
    std::fprintf(out, "\t\t}\n\t\t*MESH_NUMTVERTEX %d\n\t\t*MESH_TVERTLIST {\n", vertices);
    for (int i = 0; i < vertices; ++i)
        std::fprintf(out, "\t\t\t*MESH_TVERT %d\t%.4f\t%.4f\t0.0000\n", i, double(i % side) / kGridSide,
                     double(i / side) / kGridSide);
    std::fprintf(out, "\t\t}\n\t\t*MESH_NUMTVFACES %d\n\t\t*MESH_TFACELIST {\n", faces);
    for (int f = 0; f < faces; ++f)
        std::fprintf(out, "\t\t\t*MESH_TFACE %d\t%d\t%d\t%d\n", f, corners[3 * f], corners[3 * f + 1], corners[3 * f + 2]);
    std::fprintf(out, "\t\t}\n\t\t*MESH_NUMCVERTEX 0\n\t\t*MESH_NORMALS {\n");
    for (int f = 0; f < faces; ++f) {
        std::fprintf(out, "\t\t\t*MESH_FACENORMAL %d\t0.0000\t-0.0871\t0.9962\n", f);
        for (int k = 0; k < 3; ++k)
            std::fprintf(out, "\t\t\t\t*MESH_VERTEXNORMAL %d\t0.0123\t-0.0871\t0.9961\n", corners[3 * f + k]);
    }
    std::fprintf(out, "\t\t}\n\t}\n\t*PROP_MOTIONBLUR 0\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n");
    std::fprintf(out, "\t*TM_ANIMATION {\n\t\t*NODE_NAME \"Terrain%02d\"\n", object);
    WriteTrack(out, "POS", object, 3);
    WriteTrack(out, "ROT", object, 4);
    WriteTrack(out, "SCALE", object, 7);
    std::fprintf(out, "\t}\n\t*MATERIAL_REF 0\n}\n");
}

// Writes objects until the file holds at least kMinimumBytes; returns its size.
std::uint64_t WriteBigAse(const fs::path& path)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 0;
    std::setvbuf(out, nullptr, _IOFBF, 1 << 20);
    std::fprintf(out, "*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"AsciiExport Version  2,00 - benchmark\"\n*SCENE {\n"
                      "\t*SCENE_FILENAME \"bench.max\"\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME %d\n"
                      "\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME %d\n}\n"
                      "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Ground\"\n"
                      "\t\t*MATERIAL_CLASS \"Standard\"\n\t\t*MATERIAL_AMBIENT 0.2000\t0.2000\t0.2000\n"
                      "\t\t*MATERIAL_DIFFUSE 0.6000\t0.6000\t0.6000\n\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000\n"
                      "\t\t*MATERIAL_SHINE 0.1000\n\t\t*MATERIAL_SHINESTRENGTH 0.0000\n\t\t*MATERIAL_TRANSPARENCY 0.0000\n"
                      "\t\t*MATERIAL_WIRESIZE 1.0000\n\t\t*MATERIAL_SELFILLUM 0.0000\n\t\t*MAP_DIFFUSE {\n"
                      "\t\t\t*BITMAP \"C:\\maps\\ground.jpg\"\n\t\t}\n\t}\n}\n",
                 kLastFrame, kTicksPerFrame);
    for (int object = 0; std::ftell(out) < long(kMinimumBytes); ++object) WriteObject(out, object);
    const long size = std::ftell(out);
    return std::fclose(out) == 0 ? std::uint64_t(size) : 0;
}

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

// One conversion through the plug-in, as the engine drives it; the time in seconds, or a
// negative value when it failed.
double ConvertWithPlugin(GetPluginFunction getPlugin, const fs::path& input, const fs::path& output)
{
    const auto start = std::chrono::steady_clock::now();
    ImportPlugin* plugin = nullptr;
    getPlugin(&plugin);
    plugin->setInputPath(input.c_str());
    plugin->setOutputPath(output.c_str());
    plugin->setTexturePrefix("");
    std::uint8_t status = kImportFailed;
    while ((status = plugin->convertStep()) != kImportDone && status != kImportFailed) {
    }
    delete plugin;
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    return status == kImportDone ? seconds : -1.0;
}

double ImportWithAssimp(const fs::path& input)
{
    const std::string command = "assimp info '" + input.string() + "' -r > /dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    return status == 0 ? seconds : -1.0;
}

}  // namespace

int main(int argc, char** argv)
{
    // "--generate FILE" only writes the ASE file (for profiling the converter on it).
    if (argc == 3 && std::string(argv[1]) == "--generate") return WriteBigAse(argv[2]) > 0 ? 0 : 1;
    plat::SetBatchMode(true);
    void* library = plat::LoadLibraryBeside(reinterpret_cast<const void*>(&vekInitFrameWork), kImportPluginFile);
    auto getPlugin = reinterpret_cast<GetPluginFunction>(plat::FindSymbol(library, kGetPluginSymbol));
    if (!getPlugin) {
        std::fprintf(stderr, "bench_ase_import: cannot load %s: %s\n", kImportPluginFile, plat::LastLoadError().c_str());
        return 1;
    }
    const fs::path folder = fs::temp_directory_path() / ("vek-ase-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::current_path(folder);   // the plug-in writes debug.log here
    const fs::path input = folder / "big.ase", output = folder / "big.vek";
    const std::uint64_t bytes = WriteBigAse(input);
    const double megabytes = double(bytes) / (1 << 20);
    std::printf("ASE file: %.1f MB (%d x %d grids with normals and texture coordinates, %d-sample tracks)\n",
                megabytes, kGridSide, kGridSide, kLastFrame + 1);

    double ours = 1e30, theirs = 1e30;
    bool assimpRan = true;
    for (int run = 0; run < kRuns; ++run) {
        const double plugin = ConvertWithPlugin(getPlugin, input, output);
        const double assimp = ImportWithAssimp(input);
        if (plugin < 0) {
            std::fprintf(stderr, "bench_ase_import: the plug-in failed to convert the file\n");
            return 1;
        }
        assimpRan = assimpRan && assimp >= 0;
        ours = std::min(ours, plugin);
        if (assimp >= 0) theirs = std::min(theirs, assimp);
        std::printf("run %d: plug-in %.3f s, assimp %s\n", run + 1, plugin,
                    assimp >= 0 ? (std::to_string(assimp) + " s").c_str() : "failed");
    }
    std::printf("plug-in (best of %d): %.3f s, %.1f MB/s, scene file %.1f MB\n", kRuns, ours, megabytes / ours,
                double(fs::file_size(output)) / (1 << 20));
    int status = 0;
    if (assimpRan) {
        const double ratio = theirs / ours;
        std::printf("assimp info -r (best of %d): %.3f s, %.1f MB/s\n", kRuns, theirs, megabytes / theirs);
        std::printf("speed-up: %.2f x (target at least 2 x): %s\n", ratio, ratio >= 2.0 ? "met" : "NOT MET");
        status = ratio >= 2.0 ? 0 : 2;
    } else {
        std::printf("assimp could not import the file (is assimp-utils installed?): no comparison\n");
        status = 1;
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    plat::FreeLibrary(library);
    return status;
}
