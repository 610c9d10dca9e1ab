// The demo program run as a user runs it: off-screen, in a show folder.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

struct DemoRun {
    int exitCode = -1;
    std::string output;
};

DemoRun RunDemo(const std::filesystem::path& folder, const std::string& arguments)
{
    const std::string command = "cd '" + folder.string() + "' && '" VEK_TEST_BIN_DIR "/demo' " + arguments + " 2>&1";
    DemoRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(DemoProgram, HelpAndBadOptions)
{
    TempDir dir;
    const DemoRun help = RunDemo(dir.path(), "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--no-dialog"), std::string::npos);
    EXPECT_NE(help.output.find("--frames N"), std::string::npos);

    for (const char* bad : {"--bogus", "--frames", "--frames x", "--frames -1", "--fixed-fps 0"}) {
        const DemoRun run = RunDemo(dir.path(), bad);
        EXPECT_EQ(run.exitCode, 2) << bad;
        EXPECT_NE(run.output.find("Usage: demo"), std::string::npos) << bad;
    }
}

// Every count is refused before anything opens, with the option and the bad text named.
TEST(DemoProgram, RefusesBadNumbersAtStart)
{
    TempDir dir;
    for (const char* option : {"--frames", "--fixed-fps", "--capture-every"}) {
        for (const char* value : {"0", "-1", "-5", "x", "12x", "1.5", "' '", "''", "+3", "99999999999999999999",
                                  "18446744073709551617", "9223372036854775808"}) {
            const std::string arguments = std::string("--no-dialog --window --batch ") + option + " " + value;
            const DemoRun run = RunDemo(dir.path(), arguments);
            EXPECT_EQ(run.exitCode, 2) << arguments << "\n" << run.output;
            EXPECT_NE(run.output.find(std::string("demo: ") + option + " needs a whole number from 1 to"),
                      std::string::npos) << arguments << "\n" << run.output;
            EXPECT_EQ(run.output.find("frames presented"), std::string::npos) << arguments << "\n" << run.output;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "demosys_XMLScriptError.LOG"));   // the show was never read
}

TEST(DemoProgram, CreatesTheCaptureFolderOrRefusesAtStart)
{
    TempDir dir;
    const DemoRun made = RunDemo(dir.path(), "--no-dialog --window --batch --frames 2 --fixed-fps 60 --capture new/deep/out");
    EXPECT_EQ(made.exitCode, 0) << made.output;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "new/deep/out/frame000001.ppm")) << made.output;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "new/deep/out/frame000002.ppm")) << made.output;

    { std::ofstream blocker(dir / "blocker"); blocker << "a file, not a folder"; }
    for (const char* folder : {"blocker", "blocker/out"}) {
        const DemoRun refused = RunDemo(dir.path(), std::string("--no-dialog --window --batch --frames 2 --fixed-fps 60 --capture ") + folder);
        EXPECT_EQ(refused.exitCode, 2) << folder << "\n" << refused.output;
        EXPECT_NE(refused.output.find(std::string("demo: cannot create the capture folder ") + folder), std::string::npos)
            << refused.output;
        EXPECT_EQ(refused.output.find("frames presented"), std::string::npos) << refused.output;
    }
}

TEST(DemoProgram, RefusesABadKeyTrackAtStart)
{
    TempDir dir;
    dir.write("bad-keys.txt", "1.0 Shift+O\n2.0 Meta+X\n");
    const struct {
        const char* track;
        const char* says;
    } cases[] = {
        {"missing-keys.txt", "demo: cannot read the key track missing-keys.txt"},
        {"bad-keys.txt", "demo: bad-keys.txt line 2: unknown keys 'Meta+X'"},
    };
    for (const auto& c : cases) {
        const DemoRun run = RunDemo(dir.path(), std::string("--no-dialog --window --batch --frames 2 --keys ") + c.track);
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("frames presented"), std::string::npos) << run.output;
    }
}

// The closing line the player prints:
// "demo: N frames presented, ..., show at S s, E events fired (at most L ms late), why".
struct PlayReport {
    double showSeconds = -1.0;
    int eventsFired = -1;
    std::string ending;
};

PlayReport ReadReport(const std::string& output)
{
    PlayReport report;
    const size_t line = output.rfind("demo: ");
    if (line == std::string::npos) return report;
    const std::string last = output.substr(line, output.find('\n', line) - line);
    const size_t show = last.find("show at ");
    if (show == std::string::npos) return report;
    char ending[64] = "";
    std::sscanf(last.c_str() + show, "show at %lf s, %d events fired (at most %*f ms late), %63[^\n]", &report.showSeconds,
                &report.eventsFired, ending);
    report.ending = ending;
    return report;
}

// The FX elements of a script: every one of the sample show's names its target.
int CountEvents(const std::string& script)
{
    int count = 0;
    for (size_t at = script.find("<FX"); at != std::string::npos; at = script.find("<FX", at + 1)) ++count;
    return count;
}

// The generated sample show, as scripts/play.sh prepares it: its music, images and scene.
TEST(DemoProgram, PlaysTheSampleShowHeadless)
{
    TempDir dir;
    std::filesystem::copy(VEK_TEST_SOURCE_DIR "/content/demotest.xml", dir / "demotest.xml");
    ASSERT_EQ(std::system(("'" VEK_TEST_BIN_DIR "/vekcontent' '" + dir.path().string() + "' >/dev/null").c_str()), 0);
    ASSERT_EQ(std::system(("cd '" + dir.path().string() +
                           "' && '" VEK_TEST_BIN_DIR "/ase2vek' escena/sample.ase escena/sample.vek >/dev/null")
                              .c_str()),
              0);
    ASSERT_TRUE(std::filesystem::exists(dir / "music.ogg"));

    const DemoRun run = RunDemo(dir.path(), "--no-dialog --window --batch --fixed-fps 20");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const PlayReport report = ReadReport(run.output);
    EXPECT_EQ(report.eventsFired, CountEvents(dir.read("demotest.xml"))) << run.output;
    EXPECT_NEAR(report.showSeconds, 40.0, 0.05) << "the show ends with its 40 s of music\n" << run.output;
    EXPECT_EQ(report.ending, "music ended") << run.output;
    EXPECT_EQ(run.output.find("[Music]"), std::string::npos) << "the music plays\n" << run.output;
    for (const char* log : {"demosys_XMLScriptError.LOG", "2d_XMLScriptError.LOG", "XMLScriptError.LOG"})
        EXPECT_FALSE(std::filesystem::exists(dir / log)) << log;
}

TEST(DemoProgram, RunsWithoutAProjectScriptAndLogsIt)
{
    TempDir dir;
    const DemoRun run = RunDemo(dir.path(), "--no-dialog --window --batch --frames 5 --fixed-fps 60");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(dir.read("demosys_XMLScriptError.LOG"),
              "Could not load test file 'demotest.xml'. Error='Failed to open file'. Exiting.\n");
    EXPECT_EQ(dir.read("XMLScriptError.LOG"),
              "Could not load test file 'demotest.xml'. Error='Failed to open file'. Exiting.\n");
}

}  // namespace
