// The k2d command-line tool as a demo maker runs it.
#include "ImageFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {
using fixtures::Bytes;

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and standard error
};

ToolRun K2D(const std::string& arguments)
{
    ToolRun run;
    const std::string command = std::string(VEK_TEST_BIN_DIR) + "/k2d " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool Has(const ToolRun& run, const std::string& text) { return run.output.find(text) != std::string::npos; }

class K2DTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = fixtures::GradientJpeg(64, 32);
        mask = fixtures::Jpeg(fixtures::Solid(16, 16, 10, 10, 10), 16, 16, fixtures::Kind::greyscale);
        dir.write("base.jpg", base);
        dir.write("mask.jpg", mask);
    }
    TempDir dir;
    ScopedChdir here{dir.path()};
    Bytes base, mask;
};

TEST_F(K2DTool, SkinPacksListsAndExtractsByteForByte)
{
    ToolRun run = K2D("pack-skin skin.k2d base.jpg mask.jpg");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(dir.read("skin.k2d"), fixtures::SkinFile(base, &mask));

    run = K2D("list skin.k2d");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run, "layout A (skin), 2 images")) << run.output;
    EXPECT_TRUE(Has(run, "64 x 32")) << run.output;
    EXPECT_TRUE(Has(run, "16 x 16")) << run.output;

    run = K2D("extract skin.k2d out");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(dir.read("out/base.jpg"), base);
    EXPECT_EQ(dir.read("out/mask.jpg"), mask);
    ASSERT_EQ(K2D("pack-skin again.k2d out/base.jpg out/mask.jpg").status, 0);
    EXPECT_EQ(dir.read("again.k2d"), dir.read("skin.k2d"));
}

TEST_F(K2DTool, SequenceAndSlotsRoundTrip)
{
    ASSERT_EQ(K2D("pack-sequence seq.k2d base.jpg mask.jpg base.jpg").status, 0);
    EXPECT_EQ(dir.read("seq.k2d"), fixtures::SequenceFile({base, mask, base}));
    ToolRun run = K2D("list seq.k2d");
    EXPECT_TRUE(Has(run, "layout B (image sequence), 3 images")) << run.output;
    ASSERT_EQ(K2D("extract seq.k2d seq").status, 0);
    EXPECT_EQ(dir.read("seq/image001.jpg"), mask);

    run = K2D("pack-slots load.k2d title:0:base.jpg :9:mask.jpg '../evil name:3:base.jpg'");
    ASSERT_EQ(run.status, 0) << run.output;
    const Bytes expected = fixtures::K2DBuilder()
                               .Byte(0)
                               .Byte(3)
                               .SlotRecord("title", 0, base)
                               .SlotRecord("", 9, mask)
                               .SlotRecord("../evil name", 3, base)
                               .bytes();
    EXPECT_EQ(dir.read("load.k2d"), expected);
    run = K2D("list load.k2d");
    EXPECT_TRUE(Has(run, "layout C (named slots), 3 images")) << run.output;
    EXPECT_TRUE(Has(run, "slot 0 \"title\"")) << run.output;
    ASSERT_EQ(K2D("extract load.k2d slots").status, 0);
    EXPECT_EQ(dir.read("slots/00-slot0-title.jpg"), base);
    EXPECT_EQ(dir.read("slots/01-slot9.jpg"), mask);
    EXPECT_EQ(dir.read("slots/02-slot3-___evil_name.jpg"), base) << "names never leave the folder";
}

TEST_F(K2DTool, FailuresExplainThemselvesAndExitNonZero)
{
    dir.write("notes.txt", "not a picture");
    dir.write("short.k2d", fixtures::SkinFile(base).substr(0, 100));
    const struct {
        std::string arguments;
        int status;
        const char* says;
    } cases[] = {
        {"", 2, "Usage: k2d"},
        {"frobnicate x", 2, "unknown command"},
        {"list", 2, "Usage: k2d"},
        {"pack-skin out.k2d", 2, "Usage: k2d"},
        {"pack-skin out.k2d base.jpg mask.jpg base.jpg", 2, "Usage: k2d"},
        {"list missing.k2d", 1, "cannot open missing.k2d"},
        {"list base.jpg", 1, "base.jpg is not a K2D file of any layout"},
        {"list short.k2d", 1, "runs past the end of the file"},
        {"pack-skin out.k2d missing.jpg", 1, "cannot open missing.jpg"},
        {"pack-sequence out.k2d base.jpg notes.txt", 1, "notes.txt is not a readable JPEG"},
        {"pack-skin no/folder/out.k2d base.jpg", 1, "cannot write no/folder/out.k2d"},
        {"pack-slots out.k2d a:10:", 2, "names no file"},
        {"pack-slots out.k2d nocolon.jpg", 2, "is not NAME:SLOT:FILE"},
        {"pack-slots out.k2d a:256:base.jpg", 2, "not a number from 0 to 255"},
        {"pack-slots out.k2d a:-1:base.jpg", 2, "not a number from 0 to 255"},
        {"pack-slots out.k2d a:x:base.jpg", 2, "not a number from 0 to 255"},
        {"pack-slots out.k2d " + std::string(56, 'n') + ":0:base.jpg", 2, "longer than 55 characters"},
    };
    for (const auto& c : cases) {
        const ToolRun run = K2D(c.arguments);
        EXPECT_EQ(run.status, c.status) << "k2d " << c.arguments << "\n" << run.output;
        EXPECT_TRUE(Has(run, c.says)) << "k2d " << c.arguments << "\n" << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.k2d")) << "no failed pack leaves a file";
}

TEST_F(K2DTool, HelpGoesToStandardOutputWithStatusZero)
{
    const ToolRun run = K2D("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Has(run, "k2d pack-slots OUT NAME:SLOT:FILE.jpg"));
}

}  // namespace
