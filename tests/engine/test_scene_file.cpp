// The scene file format module: writer, strict and tolerant reading, hostile bytes.
#include "SceneFixtures.h"
#include "VEK_SceneFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

using namespace scenefile;

namespace {

bool Read(const std::vector<std::uint8_t>& bytes, SceneRecords& scene, ReadError* error, bool strict)
{
    return ReadScene(bytes.data(), bytes.size(), scene, error, strict);
}

void PatchU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = std::uint8_t(value);
    bytes[at + 1] = std::uint8_t(value >> 8);
}

void PatchU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = std::uint8_t(value >> (8 * i));
}

// Offset of the first object's field that follows its name, parent name and three flags.
std::size_t AfterFirstObjectFlags(const ObjectRecord& object)
{
    return kHeaderSize + 2 + object.name.size() + 2 + object.parent.size() + 6;
}

}  // namespace

TEST(SceneFileLayout, EmptySceneIsSixtyNineBytesWithItsHeaderFields)
{
    SceneRecords scene;
    scene.header.lastFrame = 100;
    scene.header.frameSpeed = 30;
    scene.header.ticksPerFrame = 160;
    const std::vector<std::uint8_t> bytes = WriteScene(scene);
    ASSERT_EQ(bytes.size(), 69u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 26), "KORVA_GL3D EngineSceneFile");
    const auto u16 = [&](std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); };
    for (std::size_t at : {26u, 28u, 32u, 34u, 38u}) EXPECT_EQ(u16(at), 0) << at;
    EXPECT_EQ(u16(30), 100);
    EXPECT_EQ(u16(50), 100);
    EXPECT_EQ(u16(52), 30);
    EXPECT_EQ(u16(54), 160);
    for (std::size_t at = 40; at < 50; ++at) EXPECT_EQ(bytes[at], ' ') << at;
    for (std::size_t at = 56; at < 69; ++at) EXPECT_EQ(bytes[at], ' ') << at;

    SceneRecords back;
    ReadError error;
    ASSERT_TRUE(Read(bytes, back, &error, true)) << error.what;
    EXPECT_EQ(back.header.lastFrame, 100);
    EXPECT_TRUE(back.objects.empty() && back.materials.empty() && back.cameras.empty() && back.lights.empty());
}

TEST(SceneFileLayout, StillCameraIsFortySevenBytesPlusItsName)
{
    ByteWriter out;
    WriteCamera(out, fixtures::StillCamera("Camera01"));
    EXPECT_EQ(out.size(), 47u + 2u + 8u);
}

TEST(SceneFileLayout, OmniLightHasNoTargetAndNoTargetKeyByte)
{
    ByteWriter omni, target;
    LightRecord light = fixtures::Omni("L");
    WriteLight(omni, light);
    light.kind = LightKind::target;
    WriteLight(target, light);
    // name 3, kind 1, position 12, colour 12, intensity 4, key flag 1; a target light
    // adds its target (12) and the target key flag (1).
    EXPECT_EQ(omni.size(), 33u);
    EXPECT_EQ(target.size(), 46u);
}

TEST(SceneFileLayout, KeyBlockCountIsPendingUntilFinished)
{
    ByteWriter out;
    KeyBlock block(out);
    EXPECT_EQ(out.bytes(), (std::vector<std::uint8_t>{0xE7, 0x03, 0, 0}));   // 999
    out.vec3({1, 2, 3});
    block.finish(1);
    ByteReader in(out.bytes().data(), out.size());
    std::uint32_t count = 0;
    ASSERT_TRUE(in.u32(count));
    EXPECT_EQ(count, 1u);
}

TEST(SceneFileRoundTrip, EveryRecordKindAndOptionalBlockReadsBackEqual)
{
    const SceneRecords scene = fixtures::FullScene();
    ASSERT_EQ(ProblemForWriting(scene), "");
    const std::vector<std::uint8_t> bytes = fixtures::Bytes(scene);
    SceneRecords back;
    ReadError error;
    ASSERT_TRUE(Read(bytes, back, &error, true)) << error.what << " at " << error.offset;
    EXPECT_EQ(back.header.lastFrame, scene.header.lastFrame);
    EXPECT_EQ(back.header.frameSpeed, scene.header.frameSpeed);
    EXPECT_EQ(back.header.ticksPerFrame, scene.header.ticksPerFrame);
    EXPECT_EQ(back.objects, scene.objects);
    EXPECT_EQ(back.materials, scene.materials);
    EXPECT_EQ(back.cameras, scene.cameras);
    EXPECT_EQ(back.lights, scene.lights);
}

TEST(SceneFileRoundTrip, MorphFramesFollowTheSceneFrameCountWhateverTheKeyCounts)
{
    // Key blocks of other lengths than the frame count must not change how many morph
    // frames are read: the object after the morph frames reads back intact.
    SceneRecords scene;
    scene.header.lastFrame = 5;
    ObjectRecord morph = fixtures::Triangle("Morph");
    morph.hasRotationKeys = true;
    morph.rotationKeys = {{0, 0, 1, 0.1f}, {0, 0, 1, 0.2f}};
    morph.morphFrames.assign(MorphFrameCount(5), morph.vertices);
    morph.morphFrames.back()[2] = {7, 8, 9};
    scene.objects = {morph, fixtures::Triangle("After")};
    ASSERT_EQ(ProblemForWriting(scene), "");
    SceneRecords back;
    ReadError error;
    ASSERT_TRUE(Read(WriteScene(scene), back, &error, true)) << error.what;
    ASSERT_EQ(back.objects.size(), 2u);
    EXPECT_EQ(back.objects[0].morphFrames.size(), 6u);
    EXPECT_EQ(back.objects[0], morph);
    EXPECT_EQ(back.objects[1].name, "After");
}

TEST(SceneFileWriter, NamesLongerThanTheFormatAllowsAreCut)
{
    SceneRecords scene;
    scene.lights.push_back(fixtures::Omni(std::string(300, 'n')));
    SceneRecords back;
    ASSERT_TRUE(Read(WriteScene(scene), back, nullptr, true));
    EXPECT_EQ(back.lights.at(0).name, std::string(127, 'n'));
}

TEST(SceneFileWriter, RecordsThatWouldNotReadBackAreNamed)
{
    struct Case {
        const char* what;
        std::function<void(SceneRecords&)> spoil;
        const char* expected;
    };
    const Case cases[] = {
        {"too many vertices", [](SceneRecords& s) { s.objects[0].vertices.resize(70000); }, "70000 vertices"},
        {"face out of range", [](SceneRecords& s) { s.objects[0].faces[0].c = 3; }, "face 0 uses a vertex"},
        {"texture face out of range", [](SceneRecords& s) { s.objects[0].textureFaces[0].a = 9; }, "texture face 0"},
        {"no texture vertices", [](SceneRecords& s) { s.objects[0].textureVertices.clear(); }, "no texture vertices"},
        {"missing normals", [](SceneRecords& s) { s.objects[0].vertexNormals.pop_back(); }, "vertex normals"},
        {"morph frame count", [](SceneRecords& s) { s.objects[0].morphFrames.pop_back(); }, "3 morph frames"},
        {"keys without flag", [](SceneRecords& s) { s.objects[1].scaleKeys = {{1, 1, 1}}; }, "flag is off"},
        {"eleven sub-materials", [](SceneRecords& s) { s.materials[1] = fixtures::MultiMaterial(1, "M", 11); },
         "11 sub-materials"},
        {"FOV key count", [](SceneRecords& s) { s.cameras[0].fovKeys.push_back(1); }, "5 FOV keys"},
        {"omni with target", [](SceneRecords& s) { s.lights[1].target = {1, 0, 0}; }, "omni light has no target"},
        {"long parent name", [](SceneRecords& s) { s.objects[2].parent = std::string(256, 'p'); }, "parent name"},
    };
    for (const Case& c : cases) {
        SceneRecords scene = fixtures::FullScene();
        c.spoil(scene);
        EXPECT_NE(ProblemForWriting(scene).find(c.expected), std::string::npos)
            << c.what << ": " << ProblemForWriting(scene);
    }
}

TEST(SceneFileReader, StrictReadingRejectsWhatTheFormatForbids)
{
    const SceneRecords scene = fixtures::FullScene();
    const std::vector<std::uint8_t> good = fixtures::Bytes(scene);
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
        std::size_t offset;
    };
    const std::size_t firstFlag = AfterFirstObjectFlags(scene.objects[0]) - 6;
    const Case cases[] = {
        {"magic", [](auto& b) { b[0] = 'X'; }, 0},
        {"last frame copy", [](auto& b) { PatchU16(b, kLastFrameCopyAt, 7); }, kLastFrameCopyAt},
        {"flag value 2", [&](auto& b) { PatchU16(b, firstFlag, 2); }, firstFlag},
        {"trailing bytes", [](auto& b) { b.push_back(0); }, good.size()},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        c.spoil(bytes);
        SceneRecords back;
        ReadError error;
        EXPECT_FALSE(Read(bytes, back, &error, true)) << c.what;
        EXPECT_EQ(error.offset, c.offset) << c.what << ": " << error.what;
        EXPECT_TRUE(Read(bytes, back, &error, false)) << c.what << " is tolerated: " << error.what;
    }
}

TEST(SceneFileReader, StrictReadingRejectsEmptyNamesAndMissingTextureVertices)
{
    SceneRecords unnamed;
    unnamed.lights.push_back(fixtures::Omni(""));
    SceneRecords unmapped;
    unmapped.objects.push_back(fixtures::Triangle("Bare"));
    unmapped.objects[0].textureVertices.clear();
    unmapped.objects[0].textureFaces.clear();
    unmapped.objects[0].faces.clear();
    unmapped.objects[0].faceNormals.clear();
    for (const SceneRecords* scene : {&unnamed, &unmapped}) {
        SceneRecords back;
        ReadError error;
        const std::vector<std::uint8_t> bytes = WriteScene(*scene);
        EXPECT_FALSE(Read(bytes, back, &error, true));
        EXPECT_GE(error.offset, kHeaderSize);
        EXPECT_TRUE(Read(bytes, back, &error, false)) << error.what;
    }
}

TEST(SceneFileReader, ValuesThatWouldMisleadAnyReaderAreRejectedWithTheirOffset)
{
    const SceneRecords scene = fixtures::FullScene();
    const std::vector<std::uint8_t> good = fixtures::Bytes(scene);
    const ObjectRecord& first = scene.objects[0];
    const std::size_t vertexCountAt = AfterFirstObjectFlags(first) + 28;
    const std::size_t facesAt = vertexCountAt + 6 + 12 * first.vertices.size();
    const std::size_t texturesAt = facesAt + 8 * first.faces.size() + 4 + 12 * first.textureVertices.size();
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
        std::size_t offset;
        const char* message;
    };
    const Case cases[] = {
        {"face index", [&](auto& b) { PatchU16(b, facesAt + 4, 3); }, facesAt, "face 0 uses vertex 3 of 3"},
        {"texture face index", [&](auto& b) { PatchU32(b, texturesAt + 8, 50); }, texturesAt,
         "texture face 0 uses texture vertex 50 of 3"},
        {"name over 255", [](auto& b) { PatchU16(b, kHeaderSize, 0x0108); }, kHeaderSize, "264 bytes long"},
        {"vertex count far past the end", [&](auto& b) { PatchU16(b, vertexCountAt, 0xFFFF); }, vertexCountAt + 6,
         "vertices (65535) run past the end"},
        {"object count far past the end", [](auto& b) { PatchU16(b, kObjectCountAt, 0xFFFF); }, 0, "object "},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        c.spoil(bytes);
        SceneRecords back;
        ReadError error;
        ASSERT_FALSE(Read(bytes, back, &error, false)) << c.what;
        EXPECT_NE(error.what.find(c.message), std::string::npos) << c.what << ": " << error.what;
        if (c.offset) {
            EXPECT_EQ(error.offset, c.offset) << c.what << ": " << error.what;
        }
    }
}

TEST(SceneFileReader, HugeKeyCountFailsWithoutReservingMemory)
{
    SceneRecords scene;
    scene.lights.push_back(fixtures::Omni("L"));
    scene.lights[0].hasPositionKeys = true;
    std::vector<std::uint8_t> bytes = WriteScene(scene);
    PatchU32(bytes, bytes.size() - 4, 0xFFFFFFFF);   // the empty key block's count
    SceneRecords back;
    ReadError error;
    ASSERT_FALSE(Read(bytes, back, &error, false));
    EXPECT_NE(error.what.find("position keys (4294967295) run past the end"), std::string::npos) << error.what;
    EXPECT_EQ(error.offset, bytes.size());
}

TEST(SceneFileReader, NamesOfOneHundredTwentySevenBytesAreRead)
{
    SceneRecords scene;
    scene.objects.push_back(fixtures::Triangle(std::string(127, 'o'), std::string(127, 'p')));
    scene.materials.push_back(fixtures::PlainMaterial(0, std::string(127, 'm'), std::string(127, 'b')));
    scene.cameras.push_back(fixtures::StillCamera(std::string(127, 'c')));
    SceneRecords back;
    ReadError error;
    ASSERT_TRUE(Read(WriteScene(scene), back, &error, true)) << error.what;
    EXPECT_EQ(back.objects, scene.objects);
    EXPECT_EQ(back.materials, scene.materials);
    EXPECT_EQ(back.cameras, scene.cameras);
}

// A name longer than the format's 127 bytes (up to 255, as older files may hold) and a
// flag byte above 1 break the format but not the reading: only strict reading refuses
// them; a tolerant reader takes the flag as set and notes it.
TEST(SceneFileReader, LongNamesAndFlagBytesAboveOneAreToleratedOutsideStrictReading)
{
    SceneRecords scene;
    scene.lights.push_back(fixtures::Omni("L"));
    scene.lights[0].hasPositionKeys = true;
    scene.lights[0].positionKeys = {{1, 2, 3}};
    const std::vector<std::uint8_t> good = WriteScene(scene);
    std::vector<std::uint8_t> longName = good;
    longName.erase(longName.begin() + kHeaderSize, longName.begin() + kHeaderSize + 3);
    std::vector<std::uint8_t> name(2 + 200, 'n');
    name[0] = 200, name[1] = 0;
    longName.insert(longName.begin() + kHeaderSize, name.begin(), name.end());
    std::vector<std::uint8_t> flagTwo = good;
    const std::size_t flagAt = kHeaderSize + 3 + 1 + 12 + 12 + 4;
    ASSERT_EQ(flagTwo.at(flagAt), 1);
    flagTwo[flagAt] = 2;

    SceneRecords back;
    ReadError error;
    EXPECT_FALSE(Read(longName, back, &error, true));
    EXPECT_NE(error.what.find("200 bytes long (at most 127)"), std::string::npos) << error.what;
    ASSERT_TRUE(Read(longName, back, &error, false)) << error.what;
    EXPECT_EQ(back.lights.at(0).name, std::string(200, 'n'));

    EXPECT_FALSE(Read(flagTwo, back, &error, true));
    EXPECT_EQ(error.offset, flagAt);
    RecordReader reader(flagTwo.data(), flagTwo.size());
    scenefile::Header header;
    scenefile::LightRecord light;
    ASSERT_TRUE(reader.readHeader(header));
    ASSERT_TRUE(reader.readLight(0, light)) << reader.error().what;
    EXPECT_TRUE(light.hasPositionKeys);
    EXPECT_EQ(light.positionKeys, scene.lights[0].positionKeys);
    ASSERT_EQ(reader.notes().size(), 1u);
    EXPECT_EQ(reader.notes()[0].offset, flagAt);
    EXPECT_NE(reader.notes()[0].what.find("the position key flag is 2"), std::string::npos) << reader.notes()[0].what;
}

TEST(SceneFileReader, EveryPrefixOfAFileIsRejectedInsideTheBytes)
{
    const std::vector<std::uint8_t> bytes = fixtures::Bytes(fixtures::FullScene());
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        // A copy of exactly size bytes, so a read past its end is caught by the sanitizer.
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
        SceneRecords back;
        ReadError error;
        ASSERT_FALSE(ReadScene(prefix.data(), prefix.size(), back, &error, false)) << size;
        EXPECT_LE(error.offset, size) << size << ": " << error.what;
        EXPECT_FALSE(error.what.empty());
    }
}

TEST(SceneFileBytes, MappedAndEmptyFilesReadTheirBytes)
{
    char path[] = "/tmp/vekscenebytes-XXXXXX";
    const int descriptor = mkstemp(path);
    ASSERT_GE(descriptor, 0);
    close(descriptor);
    FileBytes file;
    ASSERT_TRUE(file.open(path));
    EXPECT_EQ(file.size(), 0u);
    const std::vector<std::uint8_t> bytes = fixtures::Bytes(fixtures::FullScene());
    ASSERT_TRUE(WriteFileAtomically(path, bytes));
    ASSERT_TRUE(file.open(path));
    ASSERT_EQ(file.size(), bytes.size());
    EXPECT_EQ(std::memcmp(file.data(), bytes.data(), bytes.size()), 0);
    std::remove(path);
    EXPECT_FALSE(file.open(path));
}
