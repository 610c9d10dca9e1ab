// Damaged and hostile ASE input: a clear message and no output, or a scene file that
// reads back completely; never a crash, a hang or a read outside the text.
#include "AseTestSupport.h"

#include <gtest/gtest.h>

using namespace asetest;

namespace {

const char kDllCaption[] = "[K3D Import DLL Message]";

void ExpectFailure(const std::string& text, const std::string& messagePart, const std::string& what)
{
    const auto result = Convert(text);
    EXPECT_FALSE(result.ok) << what;
    EXPECT_TRUE(result.bytes.empty()) << what;
    EXPECT_EQ(result.caption, kDllCaption) << what;
    EXPECT_NE(result.message.find(messagePart), std::string::npos) << what << ": " << result.message;
}

// A triangle scene with one plain and one multi-material, in 3ds Max layout.
const std::string kTriangle = "*3DSMAX_ASCIIEXPORT\t200\n"
                              "*SCENE {\n\t*SCENE_LASTFRAME 2\n\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n"
                              "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 2\n"
                              "\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"A\"\n\t}\n"
                              "\t*MATERIAL 1 {\n\t\t*MATERIAL_NAME \"B\"\n\t\t*MATERIAL_CLASS \"Multi/Sub-Object\"\n"
                              "\t\t*NUMSUBMTLS 2\n"
                              "\t\t*SUBMATERIAL 0 {\n\t\t\t*MATERIAL_NAME \"B0\"\n\t\t}\n"
                              "\t\t*SUBMATERIAL 1 {\n\t\t\t*MATERIAL_NAME \"B1\"\n\t\t}\n"
                              "\t}\n}\n"
                              "*GEOMOBJECT {\n\t*NODE_NAME \"T\"\n"
                              "\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES 1\n"
                              "\t\t*MESH_VERTEX_LIST {\n"
                              "\t\t\t*MESH_VERTEX    0\t0.0\t0.0\t0.0\n"
                              "\t\t\t*MESH_VERTEX    1\t1.0\t0.0\t0.0\n"
                              "\t\t\t*MESH_VERTEX    2\t0.0\t1.0\t0.0\n\t\t}\n"
                              "\t\t*MESH_FACE_LIST {\n"
                              "\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0\t *MESH_MTLID 1\n"
                              "\t\t}\n"
                              "\t\t*MESH_NUMTVERTEX 1\n\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 0\t0.5\t0.5\t0.0\n\t\t}\n"
                              "\t\t*MESH_NUMTVFACES 1\n\t\t*MESH_TFACELIST {\n\t\t\t*MESH_TFACE 0\t0\t0\t0\n\t\t}\n"
                              "\t}\n"
                              "\t*MESH_ANIMATION {\n\t\t*MESH {\n\t\t\t*TIMEVALUE 0\n\t\t\t*MESH_NUMVERTEX 3\n"
                              "\t\t\t*MESH_NUMFACES 1\n\t\t\t*MESH_VERTEX_LIST {\n"
                              "\t\t\t\t*MESH_VERTEX    0\t0.0\t0.0\t1.0\n"
                              "\t\t\t\t*MESH_VERTEX    1\t1.0\t0.0\t1.0\n"
                              "\t\t\t\t*MESH_VERTEX    2\t0.0\t1.0\t1.0\n\t\t\t}\n\t\t}\n\t}\n"
                              "\t*MATERIAL_REF 1\n}\n";

}  // namespace

TEST(AseRobustness, TriangleFixtureConverts)
{
    const auto scene = ConvertAndRead(kTriangle);
    ASSERT_EQ(scene.objects.size(), 1u);
    EXPECT_EQ(scene.objects[0].morphFrames.size(), 3u);
    EXPECT_EQ(scene.materials.size(), 2u);
}

TEST(AseRobustness, BrokenInputFailsWithAClearMessage)
{
    const struct {
        const char* what;
        std::string text;
        std::string message;
    } cases[] = {
        {"empty file", "", "is empty"},
        {"not an ASE file", "hello world\n", "is not an ASE scene"},
        {"binary bytes", std::string("\x7F" "ELF\0\0\x01\x02", 8), "is not an ASE scene"},
        {"ends inside a block", kTriangle.substr(0, kTriangle.size() - 3), "is never closed"},
        {"face corner past the vertices", Replace(kTriangle, "C:    2", "C:    3"),
         "object T: face 0 uses vertex 3, outside 0..2"},
        {"negative face corner", Replace(kTriangle, "A:    0", "A:   -1"), "uses vertex -1"},
        {"texture corner past the texture vertices", Replace(kTriangle, "*MESH_TFACE 0\t0\t0\t0", "*MESH_TFACE 0\t0\t0\t1"),
         "object T: face 0 uses texture vertex 1, outside 0..0"},
        {"fewer vertices than declared", Replace(kTriangle, "*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES", "*MESH_NUMVERTEX 4\n\t\t*MESH_NUMFACES"),
         "object T lists 3 of its 4 vertices"},
        {"fewer faces than declared", Replace(kTriangle, "*MESH_NUMFACES 1", "*MESH_NUMFACES 2"),
         "object T lists 1 of its 2 faces"},
        {"fewer texture vertices than declared", Replace(kTriangle, "*MESH_NUMTVERTEX 1", "*MESH_NUMTVERTEX 5"),
         "object T lists 1 of its 5 texture vertices"},
        {"more vertices than a scene file holds", Replace(kTriangle, "*MESH_NUMVERTEX 3", "*MESH_NUMVERTEX 70000"),
         "the vertex count of object T is 70000, outside 0..65535"},
        {"negative face count", Replace(kTriangle, "*MESH_NUMFACES 1", "*MESH_NUMFACES -1"), "outside 0..65535"},
        {"negative texture vertex count", Replace(kTriangle, "*MESH_NUMTVERTEX 1", "*MESH_NUMTVERTEX -2"),
         "the texture vertex count of object T is -2"},
        {"sub-material id past 16 bits", Replace(kTriangle, "*MESH_MTLID 1", "*MESH_MTLID 65536"), "outside 0..65535"},
        {"negative material reference", Replace(kTriangle, "*MATERIAL_REF 1", "*MATERIAL_REF -1"),
         "the material reference of object T is -1"},
        {"missing material", Replace(kTriangle, "*MATERIAL_COUNT 2", "*MATERIAL_COUNT 3"),
         "the material list declares 3 materials but holds 2"},
        {"missing sub-material", Replace(kTriangle, "*NUMSUBMTLS 2", "*NUMSUBMTLS 3"),
         "material B declares 3 sub-materials but holds 2"},
        {"last frame past 16 bits", Replace(kTriangle, "*SCENE_LASTFRAME 2", "*SCENE_LASTFRAME 70000"),
         "SCENE_LASTFRAME"},
        {"mesh animation frame short of vertices", Replace(kTriangle, "\t\t\t\t*MESH_VERTEX    2\t0.0\t1.0\t1.0\n", ""),
         "the mesh animation frame at time 0 lists 2 of its 3 vertices"},
        {"object without a block", kTriangle + "*GEOMOBJECT\n", "the *GEOMOBJECT at line"},
        {"groups nested too deep", kTriangle + [] {
             std::string nested;
             for (int depth = 0; depth < 40; ++depth) nested += "*GROUP \"g\" {\n";
             return nested + std::string(40, '}');
         }(), "groups are nested more than 32 deep at line"},
    };
    for (const auto& each : cases) ExpectFailure(each.text, each.message, each.what);
}

// A small file must not turn into a huge one: one morph frame held over 65536 frames.
TEST(AseRobustness, OutputLargerThanTheLimitFails)
{
    aseimport::ConvertOptions options;
    options.maxOutputBytes = std::size_t(1) << 20;
    const auto result = Convert(Replace(kTriangle, "*SCENE_LASTFRAME 2", "*SCENE_LASTFRAME 65535"), options);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("larger than 1 MB"), std::string::npos) << result.message;
}

// Every prefix of a file either fails with a message or converts to a file that reads
// back completely and holds no more than the whole file does.
TEST(AseRobustness, EveryPrefixFailsCleanlyOrReadsBack)
{
    const std::string everything = Fixture("everything.ase");
    const struct {
        const char* what;
        std::string text;
        std::size_t step;
    } fixtures[] = {
        {"triangle", kTriangle, 1},
        {"everything", everything, 1},
        {"everything in UTF-16", Utf16(everything, false), 3},
    };
    for (const auto& fixture : fixtures) {
        std::size_t converted = 0;
        for (std::size_t size = 0; size <= fixture.text.size(); size += fixture.step) {
            const auto result = Convert(fixture.text.substr(0, size));
            if (!result.ok) {
                ASSERT_FALSE(result.message.empty()) << fixture.what << " cut at " << size;
                ASSERT_TRUE(result.bytes.empty()) << fixture.what << " cut at " << size;
                continue;
            }
            ++converted;
            scenefile::SceneRecords scene;
            scenefile::ReadError error;
            ASSERT_TRUE(scenefile::ReadScene(result.bytes.data(), result.bytes.size(), scene, &error, false))
                << fixture.what << " cut at " << size << ": " << error.what;
            ASSERT_LE(scene.objects.size(), 2u) << fixture.what << " cut at " << size;
        }
        EXPECT_GT(converted, 0u) << fixture.what << ": the whole file and cuts between blocks convert";
    }
}
