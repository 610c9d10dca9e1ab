// The demo program run as a user runs it: off-screen, in a show folder.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
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

// The closing line the player prints: "demo: N frames presented, ..., show at S s, E events fired, why".
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
    std::sscanf(last.c_str() + show, "show at %lf s, %d events fired, %63[^\n]", &report.showSeconds,
                &report.eventsFired, ending);
    report.ending = ending;
    return report;
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
    EXPECT_EQ(report.eventsFired, 30) << run.output;
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
