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
