// The engine library through its exports: scenes loaded from a project script (with the
// real import plug-in), the current scene, the name classification, the frame timer on a
// virtual clock and the engine script's effect on the records.
#include "../engine/SceneFixtures.h"
#include "TempDir.h"
#include "VEK_SceneFile.h"
#include "vekEngineFW.h"
#include "vekPlatform.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {
struct Message {
    std::string caption, text;
};
void Collect(const char* caption, const char* text, void* user)
{
    static_cast<std::vector<Message>*>(user)->push_back({caption, text});
}

scenefile::SceneRecords SmallScene()
{
    scenefile::SceneRecords scene;
    scene.header.lastFrame = 3;
    scene.header.frameSpeed = 30;
    scene.header.ticksPerFrame = 160;
    scene.objects.push_back(fixtures::Triangle("Box01"));
    scene.materials.push_back(fixtures::PlainMaterial(0, "Mat01", "none.jpg"));
    scene.cameras.push_back(fixtures::StillCamera("Camera01"));
    scene.cameras.push_back(fixtures::StillCamera("Camera02"));
    scene.lights.push_back(fixtures::Omni("Omni01"));
    return scene;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class EngineApi : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(plat::Init());
        ASSERT_EQ(plat::OpenWindow("framework tests", 64, 64, 32, false), plat::WindowResult::ok);
    }
    static void TearDownTestSuite()
    {
        plat::CloseWindow();
        plat::Quit();
    }
    void SetUp() override
    {
        plat::SetMessageHook(Collect, &messages);
        vekInitFrameWork();
        // The working directory has no Data/font.bin: the framework says so once and
        // goes on without the overlay.
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "vek engine: Fatal Error,Cannont Find texture bitmap file Data/font.bin");
        messages.clear();
    }
    void TearDown() override
    {
        vekKill();
        plat::SetMessageHook(nullptr, nullptr);
    }
    // A project script whose engine3D section is body.
    void Script(const std::string& body)
    {
        dir.write("demotest.xml", "<demoproject><engine3D>" + body + "</engine3D></demoproject>");
    }
    void Scene(const std::string& file) { WriteBytes(dir / file, fixtures::Bytes(SmallScene())); }
    int Count(const std::string& caption) const
    {
        int n = 0;
        for (const Message& m : messages) n += m.caption == caption;
        return n;
    }

    TempDir dir;
    ScopedChdir inDir{dir.path()};
    std::vector<Message> messages;
};

TEST_F(EngineApi, CallsBeforeAnySceneGiveTheirDefaults)
{
    vekEnableScene("A");
    vekSetActiveCamera("Camera01");
    vekDefineViewRect(0, 0, 10, 10, 1.3f);
    vekRender();
    vekUpdate();
    vekEnableAnimRegion("r");
    vekSetFrameSpeed("x", 3);
    vekSetFrameHoop("x", 3);
    vekEnableCameraHit();
    vekEnableEmitter("Box01", 1);
    EXPECT_FALSE(vekCameraCollided("Box01", 1000.0f));
    EXPECT_EQ(vekGetObjectDistance("Box01"), 0.0f);
    EXPECT_EQ(vekGetThingType("Camera01"), 0);
    EXPECT_TRUE(vekLoadScene());
    EXPECT_TRUE(messages.empty());
}

TEST_F(EngineApi, ThingTypesFollowTheirTable)
{
    Scene("escena/a.vek");
    Script(R"(<scene name="A" file="escena/a.vek"/><scene name="Camera02" file="escena/a.vek"/>)");
    vekParseXMLScript("demotest.xml");
    vekEnableScene("A");
    const struct {
        const char* name;
        int type;
    } cases[] = {{"A", 1}, {"Camera02", 1}, {"Camera01", 2}, {"Omni01", 6}, {"Box01", 0}, {"Mat01", 0}, {"", 0}};
    for (const auto& c : cases) EXPECT_EQ(vekGetThingType(c.name), c.type) << c.name;
}

TEST_F(EngineApi, AnUnknownSceneKeepsTheCurrentOneAndLeavesGLAlone)
{
    Scene("escena/a.vek");
    Script(R"(<scene name="A" file="escena/a.vek"/>)");
    vekParseXMLScript("demotest.xml");
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glDisable(GL_DEPTH_TEST);
    vekEnableScene("nothing");
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.25f);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(vekGetThingType("Camera01"), 2);   // A is still current
    vekEnableScene("A");
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(EngineApi, ANameLoadedTwiceIsNotReadAgainAndPreCacheMakesTheFirstCurrent)
{
    Scene("escena/a.vek");
    Scene("escena/b.vek");
    Scene("escena/c.vek");
    Script(R"(<scene name="A" file="escena/a.vek"/><scene name="B" file="escena/b.vek"/>)"
           R"(<scene name="C" file="escena/c.vek"><camera name="Camera01" fov="33"/></scene>)");
    vekParseXMLScript("demotest.xml");
    std::filesystem::remove(dir / "escena/a.vek");
    dir.write("escena/b.vek", "damaged");
    vekParseXMLScript("demotest.xml");   // keeps A and B, applies the script again
    EXPECT_EQ(vekGetThingType("A"), 1);
    EXPECT_EQ(vekGetThingType("B"), 1);
    vekPreCacheAll();
    // A is current: its camera is found, C's script is not what the current scene has.
    vekEnableEmitter("Box01", 0);
    EXPECT_EQ(vekGetThingType("Camera01"), 2);
    EXPECT_TRUE(dir.read("XMLScriptError.LOG").empty());
}

TEST_F(EngineApi, ImportConvertsAnAseFileThroughThePlugIn)
{
    std::filesystem::path ase;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(VEK_TEST_SOURCE_DIR) /
                                                                             "tests/import/fixtures"))
        if (entry.path().extension() == ".ase" && ase.empty()) ase = entry.path();
    ASSERT_FALSE(ase.empty());
    std::filesystem::copy_file(ase, dir / "in.ase");
    Script(R"(<scene name="S" file="out.vek" ASE="in.ase" import="1"/>)");
    vekParseXMLScript("demotest.xml");
    EXPECT_TRUE(std::filesystem::exists(dir / "out.vek"));
    EXPECT_EQ(vekGetThingType("S"), 1);
}

TEST_F(EngineApi, AFailedConversionStopsAtTheFirstFailure)
{
    Script(R"(<scene name="S" file="out.vek" ASE="missing.ase" import="1"/>)");
    vekParseXMLScript("demotest.xml");
    EXPECT_EQ(Count("[K3D Import DLL Message]"), 1);   // convertStep called once
    EXPECT_EQ(messages.size(), 1u);                    // the scene file that is not there is not looked for
    EXPECT_NE(dir.read("XMLScriptError.LOG").find("scene 'S' could not be converted from missing.ase; there is no out.vek to load."),
              std::string::npos);
    EXPECT_EQ(vekGetThingType("S"), 0);
}

TEST_F(EngineApi, MissingNameFileOrAseGiveTheirMessages)
{
    Script(R"(<scene/><scene name="x" file="nothere.vek" import="1"/>)");
    vekParseXMLScript("demotest.xml");
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].text, "vek engine: Fatal Error,No Logid name supplied, DLL clients may cause errors!");
    EXPECT_EQ(messages[1].text, "vek engine: Fatal Error,No binary Scene file supplied!");
    EXPECT_EQ(messages[2].text, "vek engine: Fatal Error, ASE file does not exist!");
    EXPECT_EQ(messages[3].caption, "K3D Loading ERROR");
    EXPECT_EQ(messages[3].text,
              "vek engine: scene 'x' is not loaded: its scene file nothere.vek cannot be opened (No such file or directory).");
}

TEST_F(EngineApi, ScriptsThatAreNotXmlOrLackTheSectionAreLogged)
{
    dir.write("demotest.xml", "<demoproject><engine3D>");
    vekParseXMLScript("demotest.xml");
    EXPECT_NE(dir.read("XMLScriptError.LOG").find("Could not load test file 'demotest.xml'. Error="),
              std::string::npos);
    dir.write("demotest.xml", "<demoproject><engine2D/></demoproject>");
    vekParseXMLScript("demotest.xml");
    EXPECT_NE(dir.read("XMLScriptError.LOG").find("no demoproject/engine3D section"), std::string::npos);
    EXPECT_TRUE(messages.empty());
}

TEST_F(EngineApi, UnknownNamesAndMissingRequiredAttributesAreLoggedOneLineEach)
{
    Scene("escena/a.vek");
    Script(R"(<scene name="A" file="escena/a.vek"><camera name="Nope" fov="1"/>)"
           R"(<camera name="Camera01"><hitcam p="1" q="2"/></camera><light name="Omni01"><ambient r="1"/></light></scene>)");
    vekParseXMLScript("demotest.xml");
    const std::string log = dir.read("XMLScriptError.LOG");
    EXPECT_NE(log.find("<camera name=\"Nope\"> names no camera"), std::string::npos) << log;
    EXPECT_NE(log.find("<hitcam> of camera Camera01 lacks the required attribute \"speed\""), std::string::npos) << log;
    EXPECT_NE(log.find("lacks the required attribute \"g\""), std::string::npos) << log;
    EXPECT_NE(log.find("lacks the required attribute \"b\""), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4);
    EXPECT_EQ(Count("XML parser"), 0);
}
}  // namespace
