// Reading the engineDEMO settings of a project script.
#include "TempDir.h"
#include "VEK_DemoEngine.h"
#include "VEK_ScriptDocument.h"
#include "vekEngineFW.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Loaded {
    std::unique_ptr<DemoEngine> demo = std::make_unique<DemoEngine>();
    std::string log;
};

Loaded LoadScript(const std::string& text, bool writeFile = true)
{
    TempDir dir;
    ScopedChdir in(dir.path());
    if (writeFile) dir.write("demotest.xml", text);
    Loaded result;
    result.demo->LoadProject("demotest.xml");
    result.log = dir.read("demosys_XMLScriptError.LOG");
    return result;
}

std::string Script(const std::string& attributes)
{
    return "<demoproject><engineDEMO " + attributes + " /></demoproject>";
}

TEST(ProjectScript, ReadsEveryAttribute)
{
    const Loaded loaded = LoadScript(Script(
        "name=\"Party\" version=\"2\" mp3=\"1\" mp3name=\"music/track.ogg\" v=\"5\" h=\"7\" "
        "loadactions=\"1\" interactive=\"1\" starttime=\"12.5\""));
    const DemoEngine& demo = *loaded.demo;
    EXPECT_STREQ(demo.ProjectName(), "Party");
    EXPECT_TRUE(demo.musicEnabled);
    EXPECT_STREQ(demo.musicFile, "music/track.ogg");
    EXPECT_FLOAT_EQ(demo.bandOrigin, 100.0f);   // values of v and h are not used
    EXPECT_FLOAT_EQ(demo.bandHeight, 400.0f);
    EXPECT_TRUE(demo.actionsLoad);
    EXPECT_TRUE(demo.actionsFire);
    EXPECT_TRUE(demo.interactive);
    EXPECT_FLOAT_EQ(demo.startTime, 12.5f);
    EXPECT_TRUE(loaded.log.empty());
}

// The player reads its project once per run of a process; a later read (a test, a second
// show) starts from the defaults too, not from what an earlier script set.
TEST(ProjectScript, AbsentAttributesKeepTheDefaults)
{
    const std::string everything = Script(
        "name=\"Party\" mp3=\"1\" mp3name=\"a.ogg\" v=\"1\" h=\"1\" loadactions=\"1\" interactive=\"1\" "
        "starttime=\"3\"");
    for (const bool earlierScript : {false, true}) {
        auto demo = std::make_unique<DemoEngine>();
        TempDir dir;
        ScopedChdir in(dir.path());
        if (earlierScript) {
            dir.write("demotest.xml", everything);
            demo->LoadProject("demotest.xml");
        }
        dir.write("demotest.xml", Script("name=\"Bare\""));
        demo->LoadProject("demotest.xml");
        EXPECT_STREQ(demo->ProjectName(), "Bare") << earlierScript;
        EXPECT_FALSE(demo->musicEnabled) << earlierScript;
        EXPECT_STREQ(demo->musicFile, "") << earlierScript;
        EXPECT_FLOAT_EQ(demo->bandOrigin, 0.0f) << earlierScript;
        EXPECT_FLOAT_EQ(demo->bandHeight, 0.0f) << earlierScript;
        EXPECT_FALSE(demo->actionsLoad) << earlierScript;
        EXPECT_FALSE(demo->actionsFire) << earlierScript;
        EXPECT_FALSE(demo->interactive) << earlierScript;
        EXPECT_FLOAT_EQ(demo->startTime, 0.0f) << earlierScript;
    }
}

TEST(ProjectScript, OnlyOneOfVAndHGivesNoBand)
{
    for (const char* attributes : {"v=\"1\"", "h=\"1\""}) {
        const Loaded loaded = LoadScript(Script(attributes));
        EXPECT_FLOAT_EQ(loaded.demo->bandOrigin, 0.0f) << attributes;
        EXPECT_FLOAT_EQ(loaded.demo->bandHeight, 0.0f) << attributes;
    }
}

TEST(ProjectScript, SwitchesAreOnlyOnForTheValueOne)
{
    struct Case {
        const char* value;
        bool on;
    } cases[] = {{"1", true}, {"0", false}, {"2", false}, {"", false}, {"yes", false}, {"1.9", true}};
    for (const Case& c : cases) {
        const std::string value = std::string("\"") + c.value + "\"";
        const Loaded loaded = LoadScript(Script("mp3=" + value + " loadactions=" + value + " interactive=" + value));
        EXPECT_EQ(loaded.demo->musicEnabled, c.on) << c.value;
        EXPECT_EQ(loaded.demo->actionsLoad, c.on) << c.value;
        EXPECT_EQ(loaded.demo->interactive, c.on) << c.value;
    }
}

TEST(ProjectScript, EmptyValues)
{
    const Loaded loaded = LoadScript(Script("name=\"\" mp3name=\"\" starttime=\"\""));
    EXPECT_STREQ(loaded.demo->ProjectName(), "");
    EXPECT_STREQ(loaded.demo->musicFile, "");   // an empty mp3name keeps the field as it was
    EXPECT_FLOAT_EQ(loaded.demo->startTime, 0.0f);
}

TEST(ProjectScript, OverLongTextIsCutToItsField)
{
    const std::string longName(300, 'n');
    const std::string longMusic(300, 'm');
    const Loaded loaded = LoadScript(Script("name=\"" + longName + "\" mp3name=\"" + longMusic + "\""));
    EXPECT_EQ(std::string(loaded.demo->ProjectName()), longName.substr(0, 47));
    EXPECT_EQ(std::string(loaded.demo->musicFile), longMusic.substr(0, 38));
}

TEST(ProjectScript, MissingOrMalformedScriptWritesTheLogAndKeepsDefaults)
{
    struct Case {
        const char* what;
        std::string text;
        bool writeFile;
        const char* parserError;
    } cases[] = {
        {"missing file", "", false, "Failed to open file"},
        {"unclosed element", "<demoproject><engineDEMO name=\"x\">", true, "Error reading Element value."},
        {"empty file", "", true, "Error document empty."},
    };
    for (const Case& c : cases) {
        const Loaded loaded = LoadScript(c.text, c.writeFile);
        EXPECT_EQ(loaded.log, std::string("Could not load test file 'demotest.xml'. Error='") + c.parserError +
                                  "'. Exiting.\n")
            << c.what;
        EXPECT_STREQ(loaded.demo->ProjectName(), "") << c.what;
        EXPECT_FALSE(loaded.demo->musicEnabled) << c.what;
    }
}

TEST(ProjectScript, MissingSectionsLeaveTheDefaultsWithoutALog)
{
    for (const char* text : {"<other/>", "<demoproject><engine2D/></demoproject>"}) {
        const Loaded loaded = LoadScript(text);
        EXPECT_STREQ(loaded.demo->ProjectName(), "") << text;
        EXPECT_TRUE(loaded.log.empty()) << text;
    }
}

}  // namespace

namespace {

// Every reader of the project script meets a 50,000-level script: each logs it as a parser
// error that says why, and the show keeps its defaults.
TEST(ProjectScript, ADeeplyNestedScriptIsLoggedByEveryReaderAndKeepsTheDefaults)
{
    constexpr int kLevels = 50000;
    std::string text = "<demoproject><engineDEMO name=\"Deep\" mp3=\"1\" loadactions=\"1\">";
    for (int i = 0; i < kLevels; ++i) text += "<FX>";
    for (int i = 0; i < kLevels; ++i) text += "</FX>";
    text += "</engineDEMO></demoproject>";

    TempDir dir;
    ScopedChdir in(dir.path());
    dir.write("demotest.xml", text);
    auto demo = std::make_unique<DemoEngine>();
    demo->LoadProject("demotest.xml");
    demo->actionsLoad = true;
    demo->LoadEffects("demotest.xml");
    EXPECT_EQ(script2d::Read2DScript("demotest.xml", demo->Slots2D()), -1);
    vekInitFrameWork();
    vekParseXMLScript("demotest.xml");
    vekKill();

    const std::string line =
        std::string("Could not load test file 'demotest.xml'. Error='") + kScriptTooDeep + "'. Exiting.\n";
    for (const char* log : {"demosys_XMLScriptError.LOG", "2d_XMLScriptError.LOG", "XMLScriptError.LOG"})
        EXPECT_EQ(dir.read(log), line) << log;
    EXPECT_STREQ(demo->ProjectName(), "");
    EXPECT_FALSE(demo->musicEnabled);
    EXPECT_EQ(demo->events.Count(), 0);
}

}  // namespace
