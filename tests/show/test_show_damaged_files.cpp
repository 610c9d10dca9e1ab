// The sample show with one of its data files taken away, or cut to half its size: the show
// still starts, plays to its end on the virtual clock and reports that file in exactly one
// message. One case per file and damage, driven by the table below.
#include "DemoRun.h"
#include "SampleShow.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kFramesPerSecond = 1;
constexpr int kFrames = 66;   // past the end of the music, for a show that has none

enum class Damage { removed, halved };

struct DataFile {
    const char* path;
    const char* whenRemoved;   // the one message says this
    const char* whenHalved;
};

constexpr DataFile kDataFiles[] = {
    {"music.ogg", "[Music] The music file 'music.ogg' cannot be played", "[Music] The music file 'music.ogg' cannot be played"},
    {"escena/load.k2d", "[K2D Loading ERROR] K2D Scene File Not Founde.", "K2D file 'escena/load.k2d' is damaged"},
    {"escena/skin_plasma.k2d", "[K2D Loading ERROR] K2D Scene File Not Founde.", "K2D file 'escena/skin_plasma.k2d' is damaged"},
    {"escena/skin_emblem.k2d", "[K2D Loading ERROR] K2D Scene File Not Founde.", "K2D file 'escena/skin_emblem.k2d' is damaged"},
    {"escena/lens.k2d", "[K2D Loading ERROR] K2D LensFlare File Not Founde.", "K2D file './escena/lens.k2d' is damaged"},
    {"escena/rays.k2d", "[K2D Loading ERROR] K2D Particle_Sys File Not Founde.", "K2D file 'escena/rays.k2d' is damaged"},
    // Packed into escena/sparks.k2d when the show starts.
    {"Data/particle_spark.jpg", "[XML parser] engine2D: Fatal Error, packing , can't open JPG base",
     "K2D file 'escena/sparks.k2d': image 0 is not a readable JPEG"},
    // Converted into escena/sample.vek when the show starts.
    {"escena/sample.ase", "[[K3D Import DLL Message]] Can't Open Input ASCII File to import",
     "The ASE file escena/sample.ase cannot be converted"},
    {"escena/hall.vek", "scene 'TEST003' is not loaded: its scene file escena/hall.vek cannot be opened",
     "scene file escena/hall.vek is damaged and was not loaded"},
    {"escena/garden.vek", "scene 'arbol' is not loaded: its scene file escena/garden.vek cannot be opened",
     "scene file escena/garden.vek is damaged and was not loaded"},
    {"Data/font.bin", "Cannont Find texture bitmap file Data/font.bin", "texture file Data/font.bin is damaged"},
    {"Data/raw1.bin", "Cannont Find texture bitmap file Data/raw1.bin", "texture file Data/raw1.bin is damaged"},
    {"Data/raw2.bin", "Cannont Find texture bitmap file Data/raw2.bin", "texture file Data/raw2.bin is damaged"},
#define VEK_TEXTURE(name) {"Data/" name, "Cannont Find texture bitmap file Data/" name, "texture file Data/" name " is damaged"}
    VEK_TEXTURE("escena1_crate.jpg"), VEK_TEXTURE("escena1_flag.jpg"), VEK_TEXTURE("escena1_floor.jpg"),
    VEK_TEXTURE("escena1_moon.jpg"), VEK_TEXTURE("hall_bricks.jpg"), VEK_TEXTURE("hall_bricks_n.jpg"),
    VEK_TEXTURE("hall_env.jpg"), VEK_TEXTURE("hall_gloss.jpg"), VEK_TEXTURE("hall_grille_mask.jpg"),
    VEK_TEXTURE("hall_marble.jpg"), VEK_TEXTURE("hall_metal.jpg"), VEK_TEXTURE("hall_steel.jpg"),
    VEK_TEXTURE("hall_stone.jpg"), VEK_TEXTURE("garden_bark.jpg"), VEK_TEXTURE("garden_grass.jpg"),
    VEK_TEXTURE("garden_leaves.jpg"), VEK_TEXTURE("garden_wood.jpg"),
#undef VEK_TEXTURE
};

// Files the generator writes that the show does not read when it plays: sources of the
// packed and converted files, the script, the key track and the converter's log.
const std::set<std::string> kNotReadWhenPlaying = {
    "demotest.xml",         "keys.txt",           "debug.log",           "escena/load.jpg",
    "escena/hall.ase",      "escena/garden.ase",  "Data/skin_plasma.jpg", "Data/skin_emblem.jpg",
    "Data/skin_emblem_mask.jpg", "Data/particle_ray.jpg",
};

struct Case {
    DataFile file;
    Damage damage;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.file.path << (c.damage == Damage::removed ? " removed" : " cut to half");
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string name = info.param.file.path;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name + (info.param.damage == Damage::removed ? "_removed" : "_halved");
}

std::vector<Case> AllCases()
{
    std::vector<Case> cases;
    for (const DataFile& file : kDataFiles)
        for (Damage damage : {Damage::removed, Damage::halved}) cases.push_back({file, damage});
    return cases;
}

class DamagedShowFile : public ::testing::TestWithParam<Case> {};

TEST_P(DamagedShowFile, ShowPlaysToItsEndAndSaysSoOnce)
{
    const Case& c = GetParam();
    TempDir dir;
    ASSERT_TRUE(CopySampleShow(dir));
    const fs::path file = dir / c.file.path;
    ASSERT_TRUE(fs::exists(file));
    if (c.damage == Damage::removed) fs::remove(file);
    else fs::resize_file(file, fs::file_size(file) / 2);

    const DemoRun run = RunDemo(dir.path(), ShowArguments(kFramesPerSecond) + " --frames " + std::to_string(kFrames));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const PlayReport report = ReadReport(run.output);
    EXPECT_GE(report.showSeconds, 59.95) << run.output;
    EXPECT_TRUE(report.ending == "music ended" || report.ending == "frame limit reached") << run.output;
    const std::vector<std::string> messages = MessageLines(run.output);
    ASSERT_EQ(messages.size(), 1u) << run.output;
    const char* expected = c.damage == Damage::removed ? c.file.whenRemoved : c.file.whenHalved;
    EXPECT_NE(messages[0].find(expected), std::string::npos) << messages[0];
}

INSTANTIATE_TEST_SUITE_P(SampleShow, DamagedShowFile, ::testing::ValuesIn(AllCases()), CaseName);

// The table names every data file the show reads: a new file of the generator needs a row.
TEST(DamagedShowFiles, TheTableCoversEveryFileOfTheShow)
{
    std::set<std::string> inTable;
    for (const DataFile& file : kDataFiles) inTable.insert(file.path);
    const fs::path show = VEK_TEST_SHOW_DIR;
    ASSERT_TRUE(fs::exists(show / "music.ogg"));
    for (const auto& entry : fs::recursive_directory_iterator(show)) {
        if (!entry.is_regular_file()) continue;
        const std::string path = fs::relative(entry.path(), show).string();
        EXPECT_TRUE(inTable.count(path) || kNotReadWhenPlaying.count(path)) << path << " has no row";
    }
    for (const std::string& path : inTable) EXPECT_TRUE(fs::exists(show / path)) << path << " is not made";
}

}  // namespace
