// The engine library without its import plug-in: a copy of libvekEngineFW.so in a folder of
// its own, loaded by path, whose folder holds no libVEK_Import.so. This program does not
// link the engine, so the copy is the only engine in the process; the platform library it
// needs is the one this program already has loaded (same soname), so its messages reach
// the hook here.
#include "../engine/SceneFixtures.h"
#include "GLTestSupport.h"
#include "TempDir.h"
#include "vekPlatform.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

// The exports this test calls, from the copy.
struct Engine {
    void* library = nullptr;
    void* (*init)() = nullptr;
    void (*parse)(const char*) = nullptr;
    int (*thingType)(const char*) = nullptr;
    void (*kill)() = nullptr;

    bool load(const fs::path& path)
    {
        library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        init = reinterpret_cast<void* (*)()>(plat::FindSymbol(library, "vekInitFrameWork"));
        parse = reinterpret_cast<void (*)(const char*)>(plat::FindSymbol(library, "vekParseXMLScript"));
        thingType = reinterpret_cast<int (*)(const char*)>(plat::FindSymbol(library, "vekGetThingType"));
        kill = reinterpret_cast<void (*)()>(plat::FindSymbol(library, "vekKill"));
        return init && parse && thingType && kill;
    }
    ~Engine() { plat::FreeLibrary(library); }
};

fs::path FirstAseFixture()
{
    for (const auto& entry : fs::directory_iterator(fs::path(VEK_TEST_SOURCE_DIR) / "tests/import/fixtures"))
        if (entry.path().extension() == ".ase") return entry.path();
    return {};
}
}  // namespace

TEST(EngineWithoutPlugIn, SaysSoOnceWithTheLibraryPathAndLoadsTheExistingSceneFiles)
{
    ASSERT_NO_FATAL_FAILURE(gltest::WindowTest::OpenWindow("plug-in tests", 64, 64));
    TempDir libraryFolder, show;
    const fs::path bin(VEK_TEST_BIN_DIR);
    fs::copy_file(bin / "libvekEngineFW.so", libraryFolder / "libvekEngineFW.so");
    Engine engine;
    ASSERT_TRUE(engine.load(libraryFolder / "libvekEngineFW.so")) << dlerror();

    // Two scenes ask for an import and have their binary files already; the plug-in lies
    // in the working folder too, where the engine must not look for it.
    ScopedChdir inShow(show.path());
    fs::copy_file(bin / "libVEK_Import.so", show / "libVEK_Import.so");
    const fs::path ase = FirstAseFixture();
    ASSERT_FALSE(ase.empty());
    fs::copy_file(ase, show / "in.ase");
    scenefile::SceneRecords records;
    records.objects.push_back(fixtures::Triangle("Box01"));
    records.cameras.push_back(fixtures::StillCamera("Camera01"));
    const std::vector<std::uint8_t> bytes = fixtures::Bytes(records);
    const std::string sceneBytes(bytes.begin(), bytes.end());
    show.write("a.vek", sceneBytes);
    show.write("b.vek", sceneBytes);
    show.write("demotest.xml", R"(<demoproject><engine3D><scene name="A" file="a.vek" ASE="in.ase" import="1"/>)"
                               R"(<scene name="B" file="b.vek" ASE="in.ase" import="1"/></engine3D></demoproject>)");

    gltest::Messages shown;
    engine.init();
    shown.clear();   // the missing font's message
    engine.parse("demotest.xml");

    const auto& messages = shown.all();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "XML parser");
    const std::string expectedStart =
        "vek engine: the import plug-in " + (libraryFolder / "libVEK_Import.so").string() + " could not be loaded (";
    EXPECT_EQ(messages[0].text.rfind(expectedStart, 0), 0u) << messages[0].text;
    const std::string expectedEnd = "); scenes load from their existing binary scene files.";
    EXPECT_TRUE(messages[0].text.size() > expectedEnd.size() &&
                messages[0].text.compare(messages[0].text.size() - expectedEnd.size(), expectedEnd.size(), expectedEnd) == 0)
        << messages[0].text;
    EXPECT_EQ(engine.thingType("A"), 1);
    EXPECT_EQ(engine.thingType("B"), 1);
    EXPECT_EQ(engine.thingType("Camera01"), 2);
    EXPECT_EQ(show.read("a.vek"), sceneBytes) << "nothing converted over the existing file";
    engine.kill();
    gltest::WindowTest::CloseWindow();
}
