// The demo program run as a user runs it: off-screen, in a show folder.
#include "DemoRun.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

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

// Recording options that cannot work together are refused before anything opens.
TEST(DemoProgram, RefusesRecordingOptionsThatDoNotFit)
{
    TempDir dir;
    struct Case {
        const char* arguments;
        const char* says;
    };
    const Case cases[] = {
        {"--render show.avi", "--render writes .mkv or .mp4 files, not 'show.avi'"},
        {"--render show.mkv --capture-png png", "--render, --capture-png and --capture write one output at a time"},
        {"--capture-png png --capture ppm", "--render, --capture-png and --capture write one output at a time"},
        {"--render show.mkv --fixed-fps 60", "a recorded show runs on its own clock: give --fps, not --fixed-fps"},
        {"--render show.mkv --loop", "a looping show never ends: give --frames with --loop"},
        {"--fps 30", "--fps is the frame rate of --render, --capture-png or --capture"},
        {"--size 640x480", "--size is the picture size of --render"},
        {"--render show.mkv --size 641x480", "--size needs WxH with even whole numbers from 2 to 7680, not '641x480'"},
        {"--render show.mkv --size 640", "--size needs WxH"},
        {"--render show.mkv --fps 0", "--fps needs a whole number from 1 to 1000, not '0'"},
        {"--start -1", "--start needs seconds from 0 (like 12.5), not '-1'"},
        {"--start 1e3", "--start needs seconds from 0 (like 12.5), not '1e3'"},
        {"--start 1.2.3", "--start needs seconds from 0 (like 12.5), not '1.2.3'"},
        {"--render", "--render needs a value"},
    };
    for (const Case& c : cases) {
        const DemoRun run = RunDemo(dir.path(), std::string("--no-dialog --window --batch ") + c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(std::string("demo: ") + c.says), std::string::npos) << c.arguments << "\n" << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "show.mkv"));
}

// A video file that cannot be written is refused before a window opens; a show that
// would never end (no music, no frame limit) is not recorded.
TEST(DemoProgram, RefusesARecordingThatCannotBeWrittenOrWouldNeverEnd)
{
    TempDir dir;
    const DemoRun unwritable = RunDemo(dir.path(), "--render no/such/folder/show.mkv");
    EXPECT_EQ(unwritable.exitCode, 2) << unwritable.output;
    EXPECT_NE(unwritable.output.find("demo: cannot write the video file no/such/folder/show.mkv"), std::string::npos)
        << unwritable.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "demosys_XMLScriptError.LOG")) << "the show was never read";

    const DemoRun endless = RunDemo(dir.path(), "--capture-png png");
    EXPECT_EQ(endless.exitCode, 1) << endless.output;
    EXPECT_NE(endless.output.find("demo: a show without music never ends: give --frames to record it."),
              std::string::npos)
        << endless.output;
    const DemoRun limited = RunDemo(dir.path(), "--capture-png png --frames 3 --fps 10");
    EXPECT_EQ(limited.exitCode, 0) << limited.output;
    EXPECT_TRUE(std::filesystem::exists(dir / "png/frame000003.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "png/audio.wav")) << "no music, no audio.wav";
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
