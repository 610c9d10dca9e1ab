// Real ASE exports (the shared corpus): each file runs through ase2vek under a time limit.
// 3ds Max exports must convert with the counts their text declares (one key per frame on
// every sampled track), pass "vekscene check" and load with the scene loader; every other
// file either does the same or fails with a message.
#include "AseTestSupport.h"
#include "TempDir.h"
#include "VEK_Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <array>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = VEK_ASE_CORPUS;
constexpr int kSecondsPerFile = 120;

// The files of the shared corpus, registered as tests whether or not the folder is there
// (a test whose file is missing says so and skips), and any other ASE file found in it.
std::vector<std::string> CorpusFiles()
{
    std::vector<std::string> names = {
        "gametutorials__statue.ASE",
        "models-nonbsd__ASE__Rifle.ase",
        "models-nonbsd__ASE__Rifle2.ase",
        "models__ASE__CameraRollAnim.ase",
        "models__ASE__CameraRollAnimWithChildObject.ase",
        "models__ASE__MotionCaptureROM.ase",
        "models__ASE__RotatingCube.ASE",
        "models__ASE__TargetCameraAnim.ase",
        "models__ASE__TestUVTransform__UVTransform_Normal.ASE",
        "models__ASE__TestUVTransform__UVTransform_ScaleUV1-2_OffsetUV0-0.9_Rotate-72_mirrorU.ase",
        "models__ASE__TestUVTransform__UVTransform_ScaleUV2x.ASE",
        "models__ASE__TestUVTransform__UVTransform_ScaleUV2x_Rotate45.ASE",
        "models__ASE__ThreeCubesGreen.ASE",
        "models__ASE__ThreeCubesGreen_UTF16BE.ASE",
        "models__ASE__ThreeCubesGreen_UTF16LE.ASE",
        "models__ASE__anim.ASE",
        "models__ASE__anim2.ASE",
        "models__ASE__invalid__InvalidUVIndex.ase",
        "models__invalid__empty.ase",
    };
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(kCorpus, error)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension == ".ase") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

// The text of a file as UTF-8 (UTF-16 files converted by iconv), line ends without '\r'.
std::string PlainText(const fs::path& file)
{
    std::string bytes = TempDir::ReadFile(file);
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) {
        TempDir folder;
        const std::string command = "iconv -f UTF-16 -t UTF-8 '" + file.string() + "' > '" +
                                    (folder / "utf8.txt").string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        bytes = folder.read("utf8.txt");
    }
    std::string text;
    for (const char c : bytes)
        if (c != '\r') text.push_back(c);
    return text;
}

std::string Quoted(const std::string& line)
{
    const std::size_t open = line.find('"'), close = line.rfind('"');
    return open == std::string::npos || close <= open ? std::string() : line.substr(open + 1, close - open - 1);
}

// What the ASE text declares, counted line by line: objects with their mesh counts, the
// sample lines of every animated node, cameras, lights and the material count.
struct Declared {
    struct Mesh {
        std::string name;
        long vertices = -1, faces = -1, textureVertices = -1;
    };
    std::vector<Mesh> objects;
    std::vector<std::string> cameras, lights;
    long materials = 0;
    long firstFrame = 0, lastFrame = 0;
    std::map<std::string, std::array<std::size_t, 3>> samples;   // node: position, rotation, scale
    bool fromMax = false;

    explicit Declared(const std::string& text)
    {
        std::istringstream lines(text);
        std::string line, kind, animatedNode;
        bool named = false, inAnimation = false;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string keyword;
            long value = 0;
            words >> keyword;
            const bool hasValue = bool(words >> value);
            if (keyword == "*COMMENT" && line.find("AsciiExport") != std::string::npos) fromMax = true;
            if (keyword == "*GEOMOBJECT" || keyword == "*CAMERAOBJECT" || keyword == "*LIGHTOBJECT" ||
                keyword == "*HELPEROBJECT" || keyword == "*SHAPEOBJECT") {
                kind = keyword, named = false, inAnimation = false;
                if (kind == "*GEOMOBJECT") objects.emplace_back();
            } else if (keyword == "*NODE_NAME" && inAnimation && animatedNode.empty()) {
                animatedNode = Quoted(line);
            } else if (keyword == "*NODE_NAME" && !named) {
                named = true;
                if (kind == "*GEOMOBJECT") objects.back().name = Quoted(line);
                if (kind == "*CAMERAOBJECT") cameras.push_back(Quoted(line));
                if (kind == "*LIGHTOBJECT") lights.push_back(Quoted(line));
            } else if (keyword == "*TM_ANIMATION") {
                inAnimation = true, animatedNode.clear();
            } else if (keyword == "*SCENE_FIRSTFRAME" && hasValue) {
                firstFrame = value;
            } else if (keyword == "*SCENE_LASTFRAME" && hasValue) {
                lastFrame = value;
            } else if (keyword == "*MATERIAL_COUNT" && hasValue && materials == 0) {
                materials = value;
            } else if (kind == "*GEOMOBJECT" && hasValue) {
                Mesh& mesh = objects.back();
                if (keyword == "*MESH_NUMVERTEX" && mesh.vertices < 0) mesh.vertices = value;
                if (keyword == "*MESH_NUMFACES" && mesh.faces < 0) mesh.faces = value;
                if (keyword == "*MESH_NUMTVERTEX" && mesh.textureVertices < 0) mesh.textureVertices = value;
            }
            const std::size_t track = keyword == "*CONTROL_POS_SAMPLE"   ? 0
                                      : keyword == "*CONTROL_ROT_SAMPLE" ? 1
                                      : keyword == "*CONTROL_SCALE_SAMPLE" ? 2
                                                                           : 3;
            if (track < 3 && inAnimation) ++samples[animatedNode][track];
        }
    }

    // Keys written for a track: one per frame from the first to the last when the node
    // has samples on it, none otherwise.
    std::size_t keys(const std::string& node, std::size_t track) const
    {
        const auto found = samples.find(node);
        return found == samples.end() || found->second[track] == 0 ? 0 : std::size_t(lastFrame - firstFrame + 1);
    }
};

class CorpusFile : public ::testing::TestWithParam<std::string> {};

std::string TestName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

void ExpectDeclaredCounts(const Declared& declared, const scenefile::SceneRecords& scene)
{
    ASSERT_EQ(scene.objects.size(), declared.objects.size());
    for (std::size_t i = 0; i < scene.objects.size(); ++i) {
        const auto& object = scene.objects[i];
        const auto& mesh = declared.objects[i];
        SCOPED_TRACE("object " + mesh.name);
        EXPECT_EQ(object.name, mesh.name);
        EXPECT_EQ(long(object.vertices.size()), std::max(mesh.vertices, 0L));
        EXPECT_EQ(long(object.faces.size()), std::max(mesh.faces, 0L));
        // An object without texture vertices gets one at the origin.
        EXPECT_EQ(long(object.textureVertices.size()), mesh.textureVertices > 0 ? mesh.textureVertices : 1L);
        EXPECT_EQ(object.positionKeys.size(), declared.keys(mesh.name, 0));
        EXPECT_EQ(object.rotationKeys.size(), declared.keys(mesh.name, 1));
        EXPECT_EQ(object.scaleKeys.size(), declared.keys(mesh.name, 2));
    }
    EXPECT_EQ(long(scene.materials.size()), declared.materials);
    ASSERT_EQ(scene.cameras.size(), declared.cameras.size());
    for (std::size_t i = 0; i < scene.cameras.size(); ++i) {
        const auto& camera = scene.cameras[i];
        SCOPED_TRACE("camera " + camera.name);
        EXPECT_EQ(camera.name, declared.cameras[i]);
        EXPECT_EQ(camera.positionKeys.size(), declared.keys(camera.name, 0));
        EXPECT_EQ(camera.rotationKeys.size(), declared.keys(camera.name, 1));
        EXPECT_EQ(camera.targetKeys.size(), declared.keys(camera.name + ".Target", 0));
    }
    ASSERT_EQ(scene.lights.size(), declared.lights.size());
    for (std::size_t i = 0; i < scene.lights.size(); ++i) {
        const auto& light = scene.lights[i];
        SCOPED_TRACE("light " + light.name);
        EXPECT_EQ(light.name, declared.lights[i]);
        EXPECT_EQ(light.positionKeys.size(), declared.keys(light.name, 0));
        EXPECT_EQ(light.targetKeys.size(), declared.keys(light.name + ".Target", 0));
    }
}

}  // namespace

TEST(AseCorpus, CorpusIsPresent)
{
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "the ASE corpus folder " << kCorpus << " is missing";
    for (const std::string& name : CorpusFiles()) EXPECT_TRUE(fs::exists(kCorpus / name)) << name;
}

TEST_P(CorpusFile, ConvertsWithItsDeclaredCountsOrFailsCleanly)
{
    const fs::path input = kCorpus / GetParam();
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "the ASE corpus folder " << kCorpus << " is missing";
    if (!fs::exists(input)) GTEST_SKIP() << GetParam() << " is missing from the ASE corpus folder " << kCorpus;
    const Declared declared(PlainText(input));
    TempDir folder;
    ScopedChdir into(folder.path());
    const std::string command = "timeout " + std::to_string(kSecondsPerFile) + " '" VEK_TEST_BIN_DIR "/ase2vek' '" +
                                input.string() + "' scene.vek > out.txt 2> err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "ase2vek did not exit";
    const int code = WEXITSTATUS(status);
    const std::string errors = folder.read("err.txt");
    ASSERT_NE(code, 124) << "ase2vek ran longer than " << kSecondsPerFile << " s";
    EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;

    if (code != 0) {
        EXPECT_FALSE(declared.fromMax) << "a 3ds Max export must convert: " << errors;
        EXPECT_EQ(code, 1) << errors;
        EXPECT_NE(errors.find("[[K3D Import DLL Message]] "), std::string::npos) << errors;
        EXPECT_NE(errors.find("was not converted"), std::string::npos) << errors;
        EXPECT_FALSE(fs::exists("scene.vek"));
        return;
    }
    const std::string bytes = folder.read("scene.vek");
    const std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
    ExpectDeclaredCounts(declared, asetest::ReadBack(file));
    const std::string check = "'" VEK_TEST_BIN_DIR "/vekscene' check scene.vek > check.txt 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << folder.read("check.txt");

    const auto scene = LoadSceneFile("scene.vek", GetParam());
    ASSERT_TRUE(scene) << "the scene loader rejected the file";
    EXPECT_EQ(scene->objects.count(), declared.objects.size());
    EXPECT_EQ(long(scene->materials.count()), declared.materials);
    EXPECT_EQ(scene->cameras.count(), declared.cameras.size());
    EXPECT_EQ(scene->omniLights.count() + scene->targetLights.count(), declared.lights.size());
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, ::testing::ValuesIn(CorpusFiles()), TestName);

// Every scene file ase2vek writes, for the fixtures and the hostile samples (records with
// empty names among them), is one that "vekscene check" accepts.
TEST(AseFixtures, EveryConvertedFixturePassesTheCheck)
{
    std::vector<fs::path> inputs;
    std::error_code error;
    for (const fs::path& folder : {fs::path(VEK_IMPORT_FIXTURES), kCorpus.parent_path() / "hostile"})
        for (const auto& entry : fs::directory_iterator(folder, error))
            if (entry.path().extension() == ".ase") inputs.push_back(entry.path());
    ASSERT_GE(inputs.size(), 4u) << "the fixtures are missing";
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        TempDir folder;
        ScopedChdir into(folder.path());
        const std::string convert = "'" VEK_TEST_BIN_DIR "/ase2vek' '" + input.string() + "' scene.vek > out.txt 2>&1";
        ASSERT_EQ(std::system(convert.c_str()), 0) << folder.read("out.txt");
        const std::string check = "'" VEK_TEST_BIN_DIR "/vekscene' check scene.vek > check.txt 2>&1";
        EXPECT_EQ(std::system(check.c_str()), 0) << folder.read("check.txt");
    }
}

// ThreeCubesGreen has no MESH_NORMALS: every face gets a unit normal from its corners,
// and so does every vertex, instead of the zero normals that turn it black under light.
TEST(AseCorpusNormals, ObjectsWithoutNormalsGetTheirFacesNormals)
{
    const fs::path input = kCorpus / "models__ASE__ThreeCubesGreen.ASE";
    if (!fs::exists(input)) GTEST_SKIP() << input.filename() << " is missing from the ASE corpus folder " << kCorpus;
    const auto scene = asetest::ConvertAndRead(TempDir::ReadFile(input));
    ASSERT_EQ(scene.objects.size(), 3u);
    auto length = [](const scenefile::Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); };
    for (const auto& object : scene.objects) {
        SCOPED_TRACE(object.name);
        ASSERT_FALSE(object.faces.empty());
        for (std::size_t i = 0; i < object.faces.size(); ++i) {
            const auto& face = object.faces[i];
            const auto &a = object.vertices[face.a], &b = object.vertices[face.b], &c = object.vertices[face.c];
            const scenefile::Vec3 ab{b.x - a.x, b.y - a.y, b.z - a.z}, ac{c.x - a.x, c.y - a.y, c.z - a.z};
            const scenefile::Vec3& normal = object.faceNormals[i];
            EXPECT_NEAR(length(normal), 1.0f, 1e-4) << "face " << i;
            // Counter-clockwise: the normal points along ab x ac.
            EXPECT_GT(normal.x * (ab.y * ac.z - ab.z * ac.y) + normal.y * (ab.z * ac.x - ab.x * ac.z) +
                          normal.z * (ab.x * ac.y - ab.y * ac.x),
                      0.0f)
                << "face " << i;
        }
        for (const auto& normal : object.vertexNormals) EXPECT_NEAR(length(normal), 1.0f, 1e-4);
    }
}
