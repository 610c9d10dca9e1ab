// The plug-in library as a host uses it: loaded from its folder, GetPlugin, the set-up
// calls, convertStep and readLog.
#include "AseTestSupport.h"
#include "TempDir.h"
#include "VEK_ImportPlugin.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

struct Shown {
    std::string caption, text;
    bool operator==(const Shown&) const = default;
};

class ImportPluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // libVEK_Import.so sits in the binary folder beside libvekPlatform.so.
        library = plat::LoadLibraryBeside(reinterpret_cast<const void*>(&plat::ShowMessage), kImportPluginFile);
        ASSERT_TRUE(library) << plat::LastLoadError();
        getPlugin = reinterpret_cast<GetPluginFunction>(plat::FindSymbol(library, kGetPluginSymbol));
        ASSERT_TRUE(getPlugin);
        plat::SetMessageHook(
            [](const char* caption, const char* text, void* user) {
                static_cast<std::vector<Shown>*>(user)->push_back({caption, text});
            },
            &shown);
    }
    void TearDown() override
    {
        plat::SetMessageHook(nullptr, nullptr);
        plat::FreeLibrary(library);
    }

    std::unique_ptr<ImportPlugin> plugin(const std::string& input, const std::string& output)
    {
        ImportPlugin* made = nullptr;
        ImportPlugin* returned = getPlugin(&made);
        EXPECT_EQ(made, returned);
        made->setInputPath(input.c_str());
        made->setOutputPath(output.c_str());
        made->setTexturePrefix("");
        return std::unique_ptr<ImportPlugin>(made);
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path())) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    void* library = nullptr;
    GetPluginFunction getPlugin = nullptr;
    std::vector<Shown> shown;
    TempDir folder;
    ScopedChdir into{folder.path()};
};

const std::string kLogStart = "\n\n\n\n\n******************************\nInput File Opened OK!";

}  // namespace

TEST_F(ImportPluginTest, WithoutAnInputPathItFailsAndWritesNothing)
{
    ImportPlugin* made = nullptr;
    std::unique_ptr<ImportPlugin> fresh(getPlugin(&made));
    fresh->setOutputPath("out.vek");
    EXPECT_EQ(fresh->convertStep(), kImportFailed);
    EXPECT_TRUE(files().empty());
    EXPECT_TRUE(shown.empty());
}

TEST_F(ImportPluginTest, MissingInputShowsItsMessageOnEveryCall)
{
    auto missing = plugin("absent.ase", "out.vek");
    EXPECT_EQ(missing->convertStep(), kImportFailed);
    EXPECT_EQ(missing->convertStep(), kImportFailed);
    const Shown message{"[K3D Import DLL Message]", "Can't Open Input ASCII File to import"};
    EXPECT_EQ(shown, (std::vector<Shown>{message, message}));
    EXPECT_TRUE(files().empty());
}

TEST_F(ImportPluginTest, ConvertsOnceAndLeavesTheFileAloneAfterwards)
{
    const std::string text = asetest::Fixture("everything.ase");
    folder.write("scene.ase", text);
    auto importer = plugin("scene.ase", "scene.vek");
    ASSERT_EQ(importer->convertStep(), kImportDone);
    const auto expected = asetest::Convert(text);
    ASSERT_TRUE(expected.ok);
    EXPECT_EQ(folder.read("scene.vek"), std::string(expected.bytes.begin(), expected.bytes.end()));
    EXPECT_EQ(files(), (std::vector<std::string>{"debug.log", "scene.ase", "scene.vek"}));

    folder.write("scene.vek", "left alone");
    EXPECT_EQ(importer->convertStep(), kImportDone);
    EXPECT_EQ(folder.read("scene.vek"), "left alone");
    EXPECT_TRUE(shown.empty());
}

TEST_F(ImportPluginTest, ReadLogCopiesDebugLogCutToTheBuffer)
{
    folder.write("scene.ase", asetest::Fixture("everything.ase"));
    auto importer = plugin("scene.ase", "scene.vek");
    ASSERT_EQ(importer->convertStep(), kImportDone);
    const std::string log = folder.read("debug.log");
    ASSERT_EQ(log.rfind(kLogStart, 0), 0u);

    const std::size_t size = importer->readLog(nullptr, 0);
    EXPECT_EQ(size, log.size());
    std::vector<char> whole(size + 1, 'x');
    EXPECT_EQ(importer->readLog(whole.data(), whole.size()), size);
    EXPECT_EQ(std::string(whole.data()), log);

    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(importer->readLog(small, sizeof small), size);
    EXPECT_EQ(std::string(small), log.substr(0, 7));
}

TEST_F(ImportPluginTest, FailedConversionKeepsTheOldFileAndSaysWhy)
{
    const std::string text = asetest::Fixture("everything.ase");
    folder.write("cut.ase", text.substr(0, text.size() / 2));
    folder.write("scene.vek", "previous scene");
    auto importer = plugin("cut.ase", "scene.vek");
    EXPECT_EQ(importer->convertStep(), kImportFailed);
    EXPECT_EQ(importer->convertStep(), kImportFailed);
    EXPECT_EQ(folder.read("scene.vek"), "previous scene");
    EXPECT_EQ(files(), (std::vector<std::string>{"cut.ase", "debug.log", "scene.vek"}));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "[K3D Import DLL Message]");
    EXPECT_EQ(shown[0].text.rfind("The ASE file cut.ase cannot be converted: The block opened at line", 0), 0u)
        << shown[0].text;
    const std::string log = folder.read("debug.log");
    EXPECT_EQ(log.rfind(kLogStart, 0), 0u);
    EXPECT_NE(log.find("****Conversion failed: " + shown[0].text), std::string::npos) << log;
}

TEST_F(ImportPluginTest, UnwritableOutputFails)
{
    folder.write("scene.ase", asetest::Fixture("everything.ase"));
    auto importer = plugin("scene.ase", "no/such/folder/scene.vek");
    EXPECT_EQ(importer->convertStep(), kImportFailed);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.rfind("Can't write the scene file no/such/folder/scene.vek", 0), 0u) << shown[0].text;
}

// Paths are not limited to a fixed buffer.
TEST_F(ImportPluginTest, LongPathsWork)
{
    const std::string folderName(200, 'd');
    fs::create_directories(folder.path() / folderName / folderName);
    const std::string base = folderName + "/" + folderName + "/";
    folder.write(base + "scene.ase", asetest::Fixture("everything.ase"));
    auto importer = plugin(base + "scene.ase", base + "scene.vek");
    EXPECT_EQ(importer->convertStep(), kImportDone);
    EXPECT_TRUE(fs::exists(folder.path() / (base + "scene.vek")));
}

// The plug-in writes "debug.log" and the loader "Loader.LOG" in the working directory: a
// test program starts in a temporary folder of its own, so a test that forgets to move
// into one still writes nothing into the source tree.
TEST(TestPrograms, StartInATemporaryFolderOutsideTheSources)
{
    const fs::path here = fs::current_path();
    const fs::path temporary = fs::temp_directory_path();
    EXPECT_EQ(here.string().rfind(temporary.string(), 0), 0u) << here;
    EXPECT_EQ(here.string().rfind(fs::path(VEK_TEST_SOURCE_DIR).string(), 0), std::string::npos) << here;
    EXPECT_NE(here, temporary);
}
