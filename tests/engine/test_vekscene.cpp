// The vekscene command-line tool, run as a user runs it.
#include "SceneFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun Vekscene(const std::string& arguments)
{
    const std::string command = std::string(VEK_TEST_BIN_DIR) + "/vekscene " + arguments + " 2>&1";
    ToolRun run{-1, {}};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class VeksceneTool : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        folder.write(name, std::string(bytes.begin(), bytes.end()));
        return (folder / name).string();
    }
    TempDir folder;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST_F(VeksceneTool, InfoListsEveryRecordWithItsCounts)
{
    const ToolRun run = Vekscene("info " + Write("full.bin", fixtures::Bytes(fixtures::FullScene())));
    EXPECT_EQ(run.status, 0) << run.output;
    for (const char* line : {
             "header: 4 objects, 2 materials, 2 cameras, 2 lights\n",
             "frames: last frame 3 (4 frames), 30 frames per second, 160 ticks per frame\n",
             "object 0 \"Animated\": parent \"\", 3 vertices, 1 faces, 3 texture vertices, material 1\n",
             "  tracks: position yes (4 keys), rotation yes (3 keys), scale yes (2 keys), morph frames 4\n",
             "object 3 \"Grandchild\": parent \"Child\"",
             "material 0 \"Plain\": index 0, bitmap \"wall.jpg\"\n",
             "material 1 \"Multi\": index 1, multi, 3 sub-materials\n",
             "  sub-material 2 \"Multi_sub2\": bitmap \"sub2.jpg\"\n",
             "camera 0 \"Camera01\": FOV keys 4, node keys yes (2 position, 2 rotation), target keys yes (3)\n",
             "light 0 \"Spot01\": target, position keys yes (2), target keys yes (1)\n",
             "light 1 \"Omni01\": omni, position keys yes (3)\n",
         })
        EXPECT_TRUE(Contains(run.output, line)) << line << "\n" << run.output;
}

TEST_F(VeksceneTool, CheckPassesOnlyWellFormedFilesAndNamesTheFirstProblem)
{
    const std::vector<std::uint8_t> good = fixtures::Bytes(fixtures::FullScene());
    std::vector<std::uint8_t> trailing = good;
    trailing.push_back(0);
    // Cut inside the first object's texture vertices, which start at byte 156.
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + 160);
    struct Case {
        const char* file;
        std::vector<std::uint8_t> bytes;
        int status;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"good.bin", good, 0, {"good.bin: well-formed scene file (" + std::to_string(good.size()) + " bytes)\n"}},
        {"trailing.bin", trailing, 1,
         {"trailing.bin: byte " + std::to_string(good.size()) + ": 1 bytes follow the last record\n",
          "trailing.bin: the engine loads it all the same\n"}},
        {"cut.bin", cut, 1,
         {"cut.bin: byte 156: object 0 \"Animated\": texture vertices (3) run past the end of the file\n"}},
    };
    for (const Case& c : cases) {
        const ToolRun run = Vekscene("check " + Write(c.file, c.bytes));
        EXPECT_EQ(run.status, c.status) << c.file << "\n" << run.output;
        for (const std::string& line : c.expected)
            EXPECT_TRUE(Contains(run.output, line)) << c.file << "\n" << run.output << "expected: " << line;
        // A cut file is no more loadable than it is well-formed.
        if (std::string(c.file) == "cut.bin") {
            EXPECT_FALSE(Contains(run.output, "engine loads")) << run.output;
        }
    }
}

TEST_F(VeksceneTool, InfoStopsAtTheFirstProblemAndUsageErrorsAreReported)
{
    const std::vector<std::uint8_t> good = fixtures::Bytes(fixtures::FullScene());
    const ToolRun cut = Vekscene("info " + Write("cut.bin", {good.begin(), good.begin() + 160}));
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(Contains(cut.output, "header: 4 objects")) << cut.output;
    EXPECT_TRUE(Contains(cut.output, "cut.bin: byte 156: object 0")) << cut.output;

    const ToolRun missing = Vekscene("check " + (folder / "absent.bin").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Contains(missing.output, "cannot open")) << missing.output;
    EXPECT_EQ(Vekscene("").status, 2);
    EXPECT_EQ(Vekscene("list x.bin").status, 2);
}

namespace {
// A show folder with a project script whose engine3D section is body and the full scene
// at escena/s.vek; returns the script's path.
std::string WriteShow(const TempDir& folder, const std::string& body)
{
    const std::vector<std::uint8_t> scene = fixtures::Bytes(fixtures::FullScene());
    folder.write("show/escena/s.vek", std::string(scene.begin(), scene.end()));
    folder.write("show/demotest.xml", "<demoproject><engine3D>" + body + "</engine3D></demoproject>");
    return (folder / "show/demotest.xml").string();
}
}  // namespace

TEST_F(VeksceneTool, ScriptShowsWhatItSetsOnEveryRecordAndWhatItLogged)
{
    // Run from another folder: the scene file is found beside the script. The second
    // element named S only applies its script again, to the scene of the first.
    const std::string script = WriteShow(folder, R"(
        <scene name="S" file="escena/s.vek" fps="50">
            <camera name="Camera02" current="" fov="40"/>
            <camera name="Nope" fov="1"/>
            <light name="Omni01" attenuation="0.3" attenuationmode="3"><ambient r="1" g="0.5"/></light>
            <light name="Spot01" glowstep="2"/>
            <material name="Multi" shiny="9" use="2"><submaterial name="Multi_sub2" opacity="0.25"/></material>
            <object name="Animated" impostor="0" S="x"><animregion name="spin" start="1" end="3" nloops="2"/></object>
        </scene>
        <scene name="Other" file="other.vek"/>
        <scene name="S" file="ignored.vek"><camera name="Camera01" fov="55"/></scene>)");
    const ToolRun run = Vekscene("script " + script + " S");
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string expected =
        "scene \"S\" from escena/s.vek\n"
        "  fps 50\n"
        "camera \"Camera01\"\n"
        "  fov 55\n"
        "camera \"Camera02\" (active)\n"
        "  current the active camera\n"
        "  fov 40\n"
        "light \"Omni01\"\n"
        "  attenuation 0.3\n"
        "  attenuationmode 3\n"
        "light \"Spot01\": a target light, which the script cannot set\n"
        "material \"Plain\": not set by the script\n"
        "material \"Multi\"\n"
        "  shiny 9\n"
        "  use 2\n"
        "  sub-material \"Multi_sub1\": not set by the script\n"
        "  sub-material \"Multi_sub2\"\n"
        "    opacity 0.25\n"
        "object \"Animated\"\n"
        "  impostor on\n"
        "  S 0\n"
        "  animregion \"spin\" frames 1..3, 2 loops, forward\n"
        "object \"Root\": not set by the script\n"
        "object \"Child\": not set by the script\n"
        "object \"Grandchild\": not set by the script\n"
        "script log: 3 lines\n"
        "  scene \"S\": <camera name=\"Nope\"> names no camera of the scene; skipped.\n"
        "  scene \"S\": <ambient> of light Omni01 lacks the required attribute \"b\"; the field keeps its value.\n"
        "  scene \"S\": <light name=\"Spot01\"> names no omni light of the scene; skipped.\n";
    EXPECT_EQ(run.output, expected);
}

TEST_F(VeksceneTool, ScriptRefusesWhatItCannotReadWithOneLine)
{
    const std::string script = WriteShow(folder, R"(<scene name="S" file="escena/s.vek"/><scene name="Other" file="other.vek"/>)"
                                                 R"(<scene name="NoFile"/>)");
    folder.write("show/import.xml", R"(<demoproject><engine3D><scene name="S" file="escena/s.vek" ASE="s.ase" import="1"/>)"
                                    R"(</engine3D></demoproject>)");
    folder.write("show/broken.xml", "<demoproject><engine3D>");
    folder.write("show/no3d.xml", "<demoproject><engine2D/></demoproject>");
    const std::string show = (folder / "show").string();
    struct Case {
        std::string arguments;
        int status;
        std::string expected;
    };
    const Case cases[] = {
        {"script " + show + "/broken.xml S", 1, "broken.xml: not a readable project script: "},
        {"script " + show + "/no3d.xml S", 1, "no3d.xml: no demoproject/engine3D section\n"},
        {"script " + script + " X", 1, "no scene named \"X\" in engine3D (scenes: \"S\", \"Other\", \"NoFile\")\n"},
        {"script " + script + " NoFile", 1, "scene \"NoFile\" names no file\n"},
        {"script " + script + " Other", 1, "scene \"Other\": cannot open its file " + show + "/other.vek\n"},
        {"script " + show + "/import.xml S", 0, "(import=\"1\": the engine first converts s.ase into escena/s.vek; "
                                                "shown is escena/s.vek as it is now)\n"},
        {"script " + script, 2, "usage: vekscene info FILE"},
        {"--help", 0, "vekscene script SCRIPT SCENE"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Vekscene(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, c.expected)) << c.arguments << "\n" << run.output;
    }
    // A damaged scene file: the engine's own message, then the tool's.
    const std::vector<std::uint8_t> good = fixtures::Bytes(fixtures::FullScene());
    folder.write("show/other.vek", std::string(good.begin(), good.begin() + 160));
    const ToolRun damaged = Vekscene("script " + script + " Other");
    EXPECT_EQ(damaged.status, 1) << damaged.output;
    EXPECT_TRUE(Contains(damaged.output, "[K3D Loading ERROR]")) << damaged.output;
    EXPECT_TRUE(Contains(damaged.output, "scene \"Other\": its file " + show + "/other.vek is damaged at byte 156: object 0"))
        << damaged.output;
}
