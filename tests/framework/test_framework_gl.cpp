// The engine library through its exports: scenes loaded from a project script (with the
// real import plug-in), the current scene, the name classification, the frame timer on a
// virtual clock and the engine script's effect on the records.
#include "../engine/SceneFixtures.h"
#include "GLTestSupport.h"
#include "TempDir.h"
#include "VEK_SceneFile.h"
#include "vekEngineFW.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {
// Box01 and Tri are still, Spin has its own controller; Camera01 has FOV keys (controller
// "Camera01_FOV"), Omni01 position keys (controller "Omni01"). ownCamera, when given, is
// one more camera that only this scene has.
scenefile::SceneRecords SmallScene(const std::string& ownCamera = "")
{
    scenefile::SceneRecords scene;
    scene.header.lastFrame = 3;
    scene.header.frameSpeed = 30;
    scene.header.ticksPerFrame = 160;
    scene.objects.push_back(fixtures::Triangle("Box01"));
    scene.objects.push_back(fixtures::Triangle("Tri"));
    scenefile::ObjectRecord spin = fixtures::Triangle("Spin");
    spin.hasPositionKeys = true;
    spin.positionKeys = {{0, 0, 0}, {1, 0, 0}};
    scene.objects.push_back(spin);
    scene.materials.push_back(fixtures::PlainMaterial(0, "Mat01", "none.jpg"));
    scenefile::CameraRecord camera = fixtures::StillCamera("Camera01");
    camera.fovKeys = {0.5f, 0.5f, 0.5f, 0.5f};
    scene.cameras.push_back(camera);
    scene.cameras.push_back(fixtures::StillCamera("Camera02"));
    if (!ownCamera.empty()) scene.cameras.push_back(fixtures::StillCamera(ownCamera));
    scenefile::LightRecord omni = fixtures::Omni("Omni01");
    omni.hasPositionKeys = true;
    omni.positionKeys = {{0, 0, 0}};
    scene.lights.push_back(omni);
    return scene;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class EngineApi : public gltest::WindowTest {
protected:
    static void SetUpTestSuite() { OpenWindow("framework tests", 64, 64); }
    static void TearDownTestSuite() { CloseWindow(); }
    void SetUp() override
    {
        gltest::WindowTest::SetUp();
        vekInitFrameWork();
        // The working directory has no Data/font.bin: the framework says so once and
        // goes on without the overlay.
        ASSERT_EQ(messages.all().size(), 1u);
        EXPECT_EQ(messages.all()[0].text, "vek engine: Fatal Error,Cannont Find texture bitmap file Data/font.bin");
        messages.clear();
    }
    void TearDown() override { vekKill(); }
    // A project script whose engine3D section is body.
    void Script(const std::string& body)
    {
        dir.write("demotest.xml", "<demoproject><engine3D>" + body + "</engine3D></demoproject>");
    }
    void Scene(const std::string& file, const std::string& ownCamera = "")
    {
        WriteBytes(dir / file, fixtures::Bytes(SmallScene(ownCamera)));
    }
    int Count(const std::string& caption) const
    {
        int n = 0;
        for (const gltest::Messages::Message& m : messages.all()) n += m.caption == caption;
        return n;
    }

    TempDir dir;
    ScopedChdir inDir{dir.path()};
    gltest::Messages messages;
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
    vekSetMaterialAttr("Mat01", 1, 0);
    vekSetCameraSphere("A", "Camera01", 5.0f);
    vekGravity("A", "Camera01", 1);
    vekWalltest("A", "Camera01", 0);
    vekEnableThing("A", "Camera01", 0);
    float colour[4] = {1, 1, 1, 1};
    vekSetLightProps("A", "Omni01", 10.0f, colour, colour, colour, 0.5f);
    vekPreCacheAll();
    EXPECT_FALSE(vekCameraCollided("Box01", 1000.0f));
    EXPECT_EQ(vekGetObjectDistance("Box01"), 0.0f);
    EXPECT_EQ(vekGetThingType("Camera01"), 0);
    EXPECT_EQ(vekGetThingType("A"), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(vekLoadScene());
    EXPECT_TRUE(messages.all().empty());
}

TEST_F(EngineApi, ThingTypesFollowTheirTable)
{
    Scene("escena/a.vek");
    Script(R"(<scene name="A" file="escena/a.vek"><object name="Box01"><particle maxparts="1"/></object></scene>)"
           R"(<scene name="Camera02" file="escena/a.vek"/>)");
    vekParseXMLScript("demotest.xml");
    vekEnableScene("A");
    const struct {
        const char* name;
        int type;
    } cases[] = {
        {"A", 1},            {"Camera02", 1},     // scene names first, even over a camera of the current scene
        {"Camera01", 2},     {"Omni01", 6},       // an omni light before its own controller
        {"Spin", 5},         {"Camera01_FOV", 5}, // controllers
        {"Box01", 4},        {"Tri", 0},          // an object counts only as an emitter
        {"Mat01", 0},        {"", 0},
    };
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
    // Each scene has a camera of its own, which tells which scene is current.
    Scene("escena/a.vek", "OnlyInA");
    Scene("escena/b.vek", "OnlyInB");
    Scene("escena/c.vek", "OnlyInC");
    Script(R"(<scene name="A" file="escena/a.vek"/><scene name="B" file="escena/b.vek"/>)"
           R"(<scene name="C" file="escena/c.vek"><camera name="Camera01" fov="33"/></scene>)");
    vekParseXMLScript("demotest.xml");
    EXPECT_EQ(vekGetThingType("OnlyInC"), 2);   // the scene loaded last is current
    std::filesystem::remove(dir / "escena/a.vek");
    dir.write("escena/b.vek", "damaged");
    vekParseXMLScript("demotest.xml");   // keeps A and B, applies the script again
    EXPECT_EQ(vekGetThingType("A"), 1);
    EXPECT_EQ(vekGetThingType("B"), 1);
    vekPreCacheAll();
    EXPECT_EQ(vekGetThingType("OnlyInA"), 2);   // the scene loaded first is current
    EXPECT_EQ(vekGetThingType("OnlyInC"), 0);
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
    EXPECT_EQ(messages.all().size(), 1u);              // the scene file that is not there is not looked for
    EXPECT_NE(dir.read("XMLScriptError.LOG").find("scene 'S' could not be converted from missing.ase; there is no out.vek to load."),
              std::string::npos);
    EXPECT_EQ(vekGetThingType("S"), 0);
}

TEST_F(EngineApi, MissingNameFileOrAseGiveTheirMessages)
{
    Script(R"(<scene/><scene name="x" file="nothere.vek" import="1"/>)");
    vekParseXMLScript("demotest.xml");
    ASSERT_EQ(messages.all().size(), 4u);
    EXPECT_EQ(messages.all()[0].text, "vek engine: Fatal Error,No Logid name supplied, DLL clients may cause errors!");
    EXPECT_EQ(messages.all()[1].text, "vek engine: Fatal Error,No binary Scene file supplied!");
    EXPECT_EQ(messages.all()[2].text, "vek engine: Fatal Error, ASE file does not exist!");
    EXPECT_EQ(messages.all()[3].caption, "K3D Loading ERROR");
    EXPECT_EQ(messages.all()[3].text,
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
    EXPECT_TRUE(messages.all().empty());
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
