// The ASE converter: the bytes it writes for a scene laid out as 3ds Max writes it, and
// how each block kind and its edge cases come out in the records read back.
#include "AseTestSupport.h"
#include "TempDir.h"
#include "VEK_Scene.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <regex>

using namespace asetest;
using scenefile::ByteWriter;
using scenefile::Vec3;

namespace {

// ---- small scenes ------------------------------------------------------------------------

std::string AseScene(const std::string& body, int lastFrame = 2, int ticksPerFrame = 160)
{
    return "*3DSMAX_ASCIIEXPORT\t200\n"
           "*COMMENT \"AsciiExport Version  2,00\"\n"
           "*SCENE {\n"
           "\t*SCENE_FILENAME \"test.max\"\n"
           "\t*SCENE_FIRSTFRAME 0\n"
           "\t*SCENE_LASTFRAME " + std::to_string(lastFrame) + "\n"
           "\t*SCENE_FRAMESPEED 30\n"
           "\t*SCENE_TICKSPERFRAME " + std::to_string(ticksPerFrame) + "\n"
           "}\n" + body;
}

// A one-triangle object: beforeTransform goes between its name and its NODE_TM (where
// NODE_PARENT stands), afterMesh after its MESH block, then tail.
std::string AseObject(const std::string& name, const std::string& beforeTransform = "", const std::string& afterMesh = "",
                   const std::string& tail = "\t*MATERIAL_REF 0\n", const std::string& nodeName = "")
{
    return "*GEOMOBJECT {\n"
           "\t*NODE_NAME \"" + name + "\"\n" + beforeTransform +
           "\t*NODE_TM {\n"
           "\t\t*NODE_NAME \"" + (nodeName.empty() ? name : nodeName) + "\"\n"
           "\t\t*TM_POS 1.0000\t2.0000\t3.0000\n"
           "\t\t*TM_ROTAXIS 0.0000\t0.0000\t1.0000\n"
           "\t\t*TM_ROTANGLE 0.2500\n"
           "\t}\n"
           "\t*MESH {\n"
           "\t\t*TIMEVALUE 0\n"
           "\t\t*MESH_NUMVERTEX 3\n"
           "\t\t*MESH_NUMFACES 1\n"
           "\t\t*MESH_VERTEX_LIST {\n"
           "\t\t\t*MESH_VERTEX    0\t0.0000\t0.0000\t0.0000\n"
           "\t\t\t*MESH_VERTEX    1\t1.0000\t0.0000\t0.0000\n"
           "\t\t\t*MESH_VERTEX    2\t0.0000\t1.0000\t0.0000\n"
           "\t\t}\n"
           "\t\t*MESH_FACE_LIST {\n"
           "\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0\n"
           "\t\t}\n"
           "\t\t*MESH_NUMTVERTEX 1\n"
           "\t\t*MESH_TVERTLIST {\n"
           "\t\t\t*MESH_TVERT 0\t0.5000\t0.2500\t0.0000\n"
           "\t\t}\n"
           "\t\t*MESH_NUMTVFACES 1\n"
           "\t\t*MESH_TFACELIST {\n"
           "\t\t\t*MESH_TFACE 0\t0\t0\t0\n"
           "\t\t}\n"
           "\t}\n" + afterMesh + tail + "}\n";
}

std::string Track(const std::string& kind, const std::vector<std::string>& samples)
{
    std::string text = "\t\t*CONTROL_" + kind + "_TRACK {\n";
    for (const auto& sample : samples) text += "\t\t\t*CONTROL_" + kind + "_SAMPLE " + sample + "\n";
    return text + "\t\t}\n";
}

std::string Animation(const std::string& node, const std::string& tracks)
{
    return "\t*TM_ANIMATION {\n\t\t*NODE_NAME \"" + node + "\"\n" + tracks + "\t}\n";
}

// A mesh animation of the triangle: one mesh per time, its vertices lifted to z.
std::string MeshAnimation(const std::vector<std::pair<int, float>>& timesAndHeights)
{
    std::string text = "\t*MESH_ANIMATION {\n";
    for (const auto& [time, z] : timesAndHeights) {
        char height[32];
        std::snprintf(height, sizeof height, "%.4f", z);
        text += "\t\t*MESH {\n\t\t\t*TIMEVALUE " + std::to_string(time) +
                "\n\t\t\t*MESH_NUMVERTEX 3\n\t\t\t*MESH_NUMFACES 1\n\t\t\t*MESH_VERTEX_LIST {\n";
        for (int i = 0; i < 3; ++i)
            text += "\t\t\t\t*MESH_VERTEX    " + std::to_string(i) + "\t" + (i == 1 ? "1.0000" : "0.0000") + "\t" +
                    (i == 2 ? "1.0000" : "0.0000") + "\t" + height + "\n";
        text += "\t\t\t}\n\t\t}\n";
    }
    return text + "\t}\n";
}

std::string AseMaterial(int index, const std::string& name, const std::string& inside,
                     const std::string& materialClass = "Standard", const std::string& selfIllumination = "0.2500")
{
    return "\t*MATERIAL " + std::to_string(index) + " {\n"
           "\t\t*MATERIAL_NAME \"" + name + "\"\n"
           "\t\t*MATERIAL_CLASS \"" + materialClass + "\"\n"
           "\t\t*MATERIAL_AMBIENT 0.1000\t0.1000\t0.1000\n"
           "\t\t*MATERIAL_DIFFUSE 0.5000\t0.5000\t0.5000\n"
           "\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000\n"
           "\t\t*MATERIAL_SHINE 0.1000\n"
           "\t\t*MATERIAL_SHINESTRENGTH 0.2000\n"
           "\t\t*MATERIAL_TRANSPARENCY 0.3000\n"
           "\t\t*MATERIAL_WIRESIZE 1.0000\n"
           "\t\t*MATERIAL_SELFILLUM " + selfIllumination + "\n" + inside + "\t}\n";
}

std::string Bitmap(const std::string& path)
{
    return "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_CLASS \"Bitmap\"\n\t\t\t*BITMAP \"" + path +
           "\"\n\t\t\t*BITMAP_FILTER Pyramidal\n\t\t}\n";
}

std::string MaterialList(const std::vector<std::string>& materials)
{
    std::string text = "*MATERIAL_LIST {\n\t*MATERIAL_COUNT " + std::to_string(materials.size()) + "\n";
    for (const auto& material : materials) text += material;
    return text + "}\n";
}

std::string SubMaterials(int count, bool withBitmaps = true)
{
    std::string text = "\t\t*NUMSUBMTLS " + std::to_string(count) + "\n";
    for (int j = 0; j < count; ++j) {
        text += "\t\t*SUBMATERIAL " + std::to_string(j) + " {\n\t\t\t*MATERIAL_NAME \"Sub" + std::to_string(j) +
                "\"\n\t\t\t*MATERIAL_CLASS \"Standard\"\n\t\t\t*MATERIAL_SHINE 0." + std::to_string(j + 1) +
                "\n\t\t\t*MATERIAL_SELFILLUM 0.7500\n";
        if (withBitmaps) text += Bitmap("maps\\sub" + std::to_string(j) + ".jpg");
        text += "\t\t}\n";
    }
    return text;
}

std::string AseCamera(const std::string& name, const std::string& inside, bool withTarget = true)
{
    std::string text = "*CAMERAOBJECT {\n\t*NODE_NAME \"" + name + "\"\n\t*CAMERA_TYPE " +
                       (withTarget ? "Target" : "Free") + "\n"
                       "\t*NODE_TM {\n\t\t*NODE_NAME \"" + name + "\"\n"
                       "\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n"
                       "\t\t*TM_ROW1 0.0000\t0.0000\t1.0000\n"
                       "\t\t*TM_ROW2 0.0000\t-1.0000\t0.0000\n"
                       "\t\t*TM_POS 0.0000\t-50.0000\t0.0000\n"
                       "\t\t*TM_ROTAXIS 1.0000\t0.0000\t0.0000\n"
                       "\t\t*TM_ROTANGLE 1.5708\n\t}\n";
    if (withTarget)
        text += "\t*NODE_TM {\n\t\t*NODE_NAME \"" + name + ".Target\"\n\t\t*TM_POS 0.0000\t0.0000\t0.0000\n\t}\n";
    return text + inside + "}\n";
}

std::string CameraSettings(int time, const std::string& fov, const std::string& distance, const char* indent = "\t")
{
    const std::string in(indent);
    return in + "*CAMERA_SETTINGS {\n" + in + "\t*TIMEVALUE " + std::to_string(time) + "\n" + in +
           "\t*CAMERA_FOV " + fov + "\n" + in + "\t*CAMERA_TDIST " + distance + "\n" + in + "}\n";
}

std::string AseLight(const std::string& name, const std::string& type, const std::string& inside = "")
{
    std::string text = "*LIGHTOBJECT {\n\t*NODE_NAME \"" + name + "\"\n\t*LIGHT_TYPE " + type + "\n"
                       "\t*NODE_TM {\n\t\t*NODE_NAME \"" + name + "\"\n\t\t*TM_POS 1.0000\t2.0000\t3.0000\n\t}\n";
    if (type == "Target")
        text += "\t*NODE_TM {\n\t\t*NODE_NAME \"" + name + ".Target\"\n\t\t*TM_POS 4.0000\t5.0000\t6.0000\n\t}\n";
    return text + "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 0.2000\t0.4000\t0.6000\n\t\t*LIGHT_INTENS 1.5000\n\t}\n" +
           inside + "}\n";
}

void ExpectVec3(const Vec3& actual, float x, float y, float z, const std::string& what)
{
    EXPECT_EQ(actual, (Vec3{x, y, z})) << what << ": " << actual.x << " " << actual.y << " " << actual.z;
}

// ---- the bytes of everything.ase, field by field ----------------------------------------

void Vec(ByteWriter& out, const char* x, const char* y, const char* z)
{
    out.f32(F(x));
    out.f32(F(y));
    out.f32(F(z));
}

void Surface(ByteWriter& out, std::initializer_list<const char*> values)
{
    for (const char* value : values) out.f32(F(value));
}

std::vector<std::uint8_t> ExpectedEverythingBytes()
{
    ByteWriter out;
    out.raw("KORVA_GL3D EngineSceneFile", 26);
    out.u16(2);   // objects
    out.u16(1);   // cameras
    out.u16(2);   // last frame copy
    out.u16(2);   // materials
    out.u16(2);   // lights
    out.u16(3);   // the last key block's count: Omni01's position keys, one per frame
    out.u16(0);
    out.raw("          ", 10);
    out.u16(2);
    out.u16(30);
    out.u16(160);

    // Tri: three tracks, material 1.
    out.name("Tri");
    out.name("");
    out.u16(1), out.u16(1), out.u16(1);
    Vec(out, "1.0000", "2.0000", "3.0000");
    Vec(out, "0.0000", "0.0000", "1.0000");
    out.f32(F("0.5000"));
    out.u16(3), out.u16(1), out.u16(0);
    Vec(out, "0", "0", "0"), Vec(out, "10.0000", "0", "0"), Vec(out, "0", "10.0000", "0");
    out.u16(0), out.u16(1), out.u16(2), out.u16(1);
    out.u32(3);
    Vec(out, "0", "0", "0"), Vec(out, "1.0000", "0", "0"), Vec(out, "0", "1.0000", "0");
    out.u32(0), out.u32(1), out.u32(2);
    Vec(out, "0", "0", "1.0000");
    Vec(out, "0", "0", "1.0000"), Vec(out, "0", "0", "1.0000"), Vec(out, "0.0000", "0.7071", "0.7071");
    out.u16(1);
    out.u32(3);
    Vec(out, "1.0000", "2.0000", "3.0000"), Vec(out, "1.5000", "2.0000", "3.0000"), Vec(out, "2.0000", "2.0000", "3.0000");
    // Every track has a key per frame: frames without a sample hold the one before, and
    // turn by 0 about the last axis.
    out.u32(3);
    Surface(out, {"0", "0", "1.0000", "0.5000", "0", "0", "-1.0000", "0.1000", "0", "0", "-1.0000", "0"});
    out.u32(3);
    Vec(out, "2.0000", "2.0000", "2.0000"), Vec(out, "2.0000", "2.0000", "2.0000"), Vec(out, "2.0000", "2.0000", "2.0000");

    // Child: parent Tri, no texture vertices, morph frames at times 0, 160, 320.
    out.name("Child");
    out.name("Tri");
    out.u16(0), out.u16(0), out.u16(0);
    Vec(out, "0", "0", "5.0000");
    Vec(out, "0", "0", "0");
    out.f32(0);
    out.u16(3), out.u16(1), out.u16(1);
    Vec(out, "0", "0", "5.0000"), Vec(out, "1.0000", "0", "5.0000"), Vec(out, "0", "1.0000", "5.0000");
    out.u16(0), out.u16(1), out.u16(2), out.u16(0);
    out.u32(1);
    Vec(out, "0", "0", "0");
    out.u32(0), out.u32(0), out.u32(0);
    Vec(out, "0", "0", "1.0000");
    for (int i = 0; i < 3; ++i) Vec(out, "0", "0", "1.0000");
    out.u16(0);
    for (const char* z : {"5.0000", "6.0000", "7.0000"})
        Vec(out, "0", "0", z), Vec(out, "1.0000", "0", z), Vec(out, "0", "1.0000", z);

    // Stone: plain, bitmap without its folder.
    out.u32(0);
    out.name("Stone");
    out.u32(0);
    Surface(out, {"0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "0.25", "0.05", "0.1", "1.0"});
    out.f32(F("0.1500"));
    out.u16(0);
    out.name("stone.jpg");
    // Body: multi-material with two sub-materials; the second has no bitmap.
    out.u32(1);
    out.name("Body");
    out.u32(1);
    Surface(out, {"0.5882", "0.5882", "0.5882", "0.5882", "0.5882", "0.5882", "0.9", "0.9", "0.9", "0.1", "0", "0", "1"});
    out.u16(2);
    out.name("Paint");
    Surface(out, {"0.2", "0", "0", "0.8", "0.1", "0.1", "1", "1", "1", "0.5", "0.75", "0", "1"});
    out.name("paint.jpg");
    out.name("Glass");
    Surface(out, {"0", "0", "0.1", "0", "0", "0.3", "1", "1", "1", "0.9", "1", "0.6", "1"});
    out.name("");

    // Camera01: animated field of view, node keys and target keys.
    out.name("Camera01");
    Vec(out, "0", "-100.0000", "20.0000");
    Vec(out, "1.0000", "0", "0");
    out.f32(F("1.3700"));
    Vec(out, "0", "0", "10.0000");
    out.f32(F("0.7854"));
    out.u8(1);
    out.f32(F("0.7854")), out.f32(F("0.7000")), out.f32(F("0.6000"));
    out.u8(1);
    out.u32(3);
    Vec(out, "0", "-100.0000", "20.0000"), Vec(out, "0", "-100.0000", "20.0000"), Vec(out, "0", "-90.0000", "20.0000");
    out.u32(3);
    Surface(out, {"1", "0", "0", "1.3700", "0", "0", "1", "0.0500", "0", "0", "1", "0"});
    out.u8(1);
    out.u32(3);
    Vec(out, "0", "0", "10.0000"), Vec(out, "0", "0", "10.0000"), Vec(out, "0", "0", "10.0000");

    // Spot01: target light with target keys only. Omni01: position keys.
    out.name("Spot01");
    out.u8(1);
    Vec(out, "50.0000", "50.0000", "80.0000");
    Vec(out, "0", "0", "0");
    Vec(out, "1.0000", "0.9000", "0.8000");
    out.f32(F("1.2000"));
    out.u8(0);
    out.u8(1);
    out.u32(3);
    Vec(out, "0", "0", "0"), Vec(out, "5.0000", "0", "0"), Vec(out, "5.0000", "0", "0");
    out.name("Omni01");
    out.u8(0);
    Vec(out, "-30.0000", "10.0000", "60.0000");
    Vec(out, "0.5000", "0.5000", "1.0000");
    out.f32(F("0.8000"));
    out.u8(1);
    out.u32(3);
    Vec(out, "-30.0000", "10.0000", "60.0000"), Vec(out, "-30.0000", "10.0000", "60.0000"),
        Vec(out, "-30.0000", "20.0000", "60.0000");
    return std::move(out.bytes());
}

}  // namespace

// ---- the whole file -------------------------------------------------------------------------

TEST(AseConversion, WritesTheSceneFileByteForByte)
{
    const auto result = Convert(Fixture("everything.ase"));
    ASSERT_TRUE(result.ok) << result.message;
    const auto expected = ExpectedEverythingBytes();
    ASSERT_EQ(result.bytes.size(), expected.size());
    for (std::size_t at = 0; at < expected.size(); ++at)
        ASSERT_EQ(int(result.bytes[at]), int(expected[at])) << "first difference at byte " << at;
}

TEST(AseConversion, ConvertedSceneLoadsWithTheSceneLoader)
{
    const auto result = Convert(Fixture("everything.ase"));
    ASSERT_TRUE(result.ok) << result.message;
    TempDir folder;
    ScopedChdir into(folder.path());
    folder.write("everything.bin", std::string(result.bytes.begin(), result.bytes.end()));
    const auto scene = LoadSceneFile("everything.bin", "everything");
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->objects.count(), 2u);
    EXPECT_EQ(scene->materials.count(), 2u);
    EXPECT_EQ(scene->cameras.count(), 1u);
    EXPECT_EQ(scene->targetLights.count(), 1u);
    EXPECT_EQ(scene->omniLights.count(), 1u);
    EXPECT_EQ(scene->loader.frameCount, 3u);

    const SceneObject* child = scene->findObject("Child");
    ASSERT_TRUE(child);
    ASSERT_EQ(child->ancestorCount, 1u);
    EXPECT_EQ(child->ancestors[0]->name, "Tri");
    EXPECT_TRUE(child->hasVertexSets);
    const SceneObject* tri = scene->findObject("Tri");
    ASSERT_TRUE(tri);
    EXPECT_TRUE(tri->hasPositionKeys && tri->hasRotationKeys && tri->hasScaleKeys);
    const Camera* camera = scene->findCamera("Camera01");
    ASSERT_TRUE(camera);
    EXPECT_TRUE(camera->hasFovKeys && camera->hasNodeKeys && camera->hasTargetKeys);
    const Material* body = scene->findMaterial("Body");
    ASSERT_TRUE(body);
    EXPECT_TRUE(body->hasSubMaterials);
}

// Text laid out in other ways than 3ds Max writes it converts to the same bytes.
TEST(AseConversion, OtherLayoutsOfTheSameSceneGiveTheSameFile)
{
    const std::string original = Fixture("everything.ase");
    const auto reference = Convert(original);
    ASSERT_TRUE(reference.ok) << reference.message;

    // Index fields wider or narrower than five characters, glued to the keyword or not.
    const auto reindex = [&](const std::string& format) {
        static const std::regex entry(R"(\*(MESH_VERTEX|MESH_TVERT|MESH_FACE|MESH_TFACE|MESH_FACENORMAL)[ \t]*(\d+))");
        std::string out;
        std::sregex_iterator it(original.begin(), original.end(), entry), end;
        std::size_t last = 0;
        for (; it != end; ++it) {
            out += original.substr(last, std::size_t(it->position()) - last);
            char field[64];
            std::snprintf(field, sizeof field, format.c_str(), it->str(1).c_str(), 100000 + std::stoi(it->str(2)));
            out += field;
            last = std::size_t(it->position() + it->length());
        }
        return out + original.substr(last);
    };
    const struct {
        const char* layout;
        std::string text;
    } cases[] = {
        {"CRLF line ends", ReplaceAll(original, "\n", "\r\n")},
        {"UTF-16 little endian", Utf16(original, false)},
        {"UTF-16 big endian", Utf16(ReplaceAll(original, "\n", "\r\n"), true)},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + original},
        {"spaces for tabs", ReplaceAll(original, "\t", " ")},
        {"wide spacing", ReplaceAll(ReplaceAll(original, "\t", "  \t "), ":    ", ":\t")},
        {"six-digit indices after a space", reindex("*%s %d")},
        {"six-digit indices glued to the keyword", reindex("*%s%d")},
    };
    for (const auto& each : cases) {
        const auto result = Convert(each.text);
        ASSERT_TRUE(result.ok) << each.layout << ": " << result.message;
        EXPECT_TRUE(result.bytes == reference.bytes) << each.layout;
    }
}

TEST(AseConversion, EmptySceneIsTheSixtyNineByteFile)
{
    const auto result = Convert(AseScene("*MATERIAL_LIST {\n\t*MATERIAL_COUNT 0\n}\n", 100));
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_EQ(result.bytes.size(), 69u);
    for (std::size_t at = 56; at < 69; ++at) EXPECT_EQ(result.bytes[at], ' ') << at;
    EXPECT_EQ(ReadBack(result.bytes).header.lastFrame, 100);
}

// ---- objects ----------------------------------------------------------------------------------

TEST(AseObjects, ParentIsKeptOnlyWhenTheNodeNameAfterItIsTheObjectsOwn)
{
    const std::string parent = "\t*NODE_PARENT \"Base\"\n";
    const struct {
        const char* what;
        std::string object;
        const char* parent;
    } cases[] = {
        {"parent line", AseObject("Arm", parent), "Base"},
        {"no parent line", AseObject("Arm"), ""},
        {"parent followed by another node name", AseObject("Arm", parent, "", "\t*MATERIAL_REF 0\n", "Leg"), ""},
        {"parent line after the transform", AseObject("Arm", "", parent), ""},
    };
    for (const auto& each : cases) {
        const auto scene = ConvertAndRead(AseScene(AseObject("Base") + each.object));
        ASSERT_EQ(scene.objects.size(), 2u) << each.what;
        EXPECT_EQ(scene.objects[1].parent, each.parent) << each.what;
    }
}

// Names longer than the format carries (127 bytes) are cut alike, so a child still names
// its parent, and "debug.log" says so.
TEST(AseObjects, LongNamesAreCutToTheFieldLength)
{
    const std::string parent(300, 'P'), child(128, 'C');
    TempDir folder;
    std::string log;
    const auto scene = ReadBack(ConvertLogged(
        AseScene(AseObject(parent) + AseObject(child, "\t*NODE_PARENT \"" + parent + "\"\n")), folder, log));
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(scene.objects[0].name, parent.substr(0, 127));
    EXPECT_EQ(scene.objects[1].name, child.substr(0, 127));
    EXPECT_EQ(scene.objects[1].parent, scene.objects[0].name);
    EXPECT_NE(log.find("\nThe name " + child + " is longer than 127 bytes: written as " + child.substr(0, 127)),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\nThe name " + parent + " is longer than 127 bytes"), std::string::npos);
}

// A record without a name is written with one made of its kind and its position in its
// section, and "debug.log" says so: the file still loads.
TEST(AseConversion, RecordsWithoutNamesGetGeneratedOnes)
{
    TempDir folder;
    std::string log;
    const auto bytes = ConvertLogged(Fixture("empty-names.ase"), folder, log);
    const auto scene = ReadBack(bytes);
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(scene.objects[0].name, "Object0");
    EXPECT_EQ(scene.objects[1].name, "Child");
    ASSERT_EQ(scene.materials.size(), 2u);
    EXPECT_EQ(scene.materials[0].name, "Material0");
    ASSERT_EQ(scene.materials[1].subMaterials.size(), 2u);
    EXPECT_EQ(scene.materials[1].subMaterials[0].name, "SubMaterial0");
    EXPECT_EQ(scene.materials[1].subMaterials[1].name, "Glass");
    ASSERT_EQ(scene.cameras.size(), 1u);
    EXPECT_EQ(scene.cameras[0].name, "Camera0");
    ASSERT_EQ(scene.lights.size(), 2u);
    EXPECT_EQ(scene.lights[1].name, "Light1");
    for (const char* line : {"\nObject 0 has no name: written as Object0", "\nMaterial 0 has no name: written as Material0",
                             "\nSubMaterial 0 has no name: written as SubMaterial0",
                             "\nCamera 0 has no name: written as Camera0", "\nLight 1 has no name: written as Light1"})
        EXPECT_NE(log.find(line), std::string::npos) << line;

    folder.write("scene.vek", std::string(bytes.begin(), bytes.end()));
    ScopedChdir into(folder.path());
    EXPECT_TRUE(LoadSceneFile("scene.vek", "test"));
}

TEST(AseObjects, TracksAndMaterialStayWithTheirOwnObject)
{
    // The first object has no MATERIAL_REF and no tracks; the second has both.
    const std::string animated = Animation("Mover", Track("POS", {"0\t1.0\t2.0\t3.0", "160\t4.0\t5.0\t6.0"}) +
                                                        Track("ROT", {"0\t0.0\t0.0\t1.0\t0.5"}));
    const auto scene = ConvertAndRead(AseScene(AseObject("Still", "", "", "\t*WIREFRAME_COLOR 1 1 1\n") +
                                            AseObject("Mover", "", animated, "\t*MATERIAL_REF 3\n")));
    ASSERT_EQ(scene.objects.size(), 2u);
    const auto& still = scene.objects[0];
    EXPECT_FALSE(still.hasPositionKeys || still.hasRotationKeys || still.hasScaleKeys);
    EXPECT_EQ(still.material, 0);
    const auto& mover = scene.objects[1];
    EXPECT_EQ(mover.material, 3);
    ASSERT_TRUE(mover.hasPositionKeys && mover.hasRotationKeys);
    EXPECT_FALSE(mover.hasScaleKeys);
    ASSERT_EQ(mover.positionKeys.size(), 3u);   // one per frame
    ExpectVec3(mover.positionKeys[1], 4, 5, 6, "second position key");
    ExpectVec3(mover.positionKeys[2], 4, 5, 6, "third position key, held");
    ASSERT_EQ(mover.rotationKeys.size(), 3u);
    EXPECT_EQ(mover.rotationKeys[0].angle, 0.5f);
    EXPECT_EQ(mover.rotationKeys[2].angle, 0.0f);
}

TEST(AseObjects, GroupedRecordsCountInFileOrder)
{
    const std::string group = "*GROUP \"Props\" {\n" + AseObject("Inner") + "*GROUP \"Nested\" {\n" +
                              AseLight("Lamp", "Omni") + "}\n}\n";
    const auto scene = ConvertAndRead(AseScene(AseObject("First") + group + AseObject("Last")));
    ASSERT_EQ(scene.objects.size(), 3u);
    EXPECT_EQ(scene.objects[0].name, "First");
    EXPECT_EQ(scene.objects[1].name, "Inner");
    EXPECT_EQ(scene.objects[2].name, "Last");
    ASSERT_EQ(scene.lights.size(), 1u);
    EXPECT_EQ(scene.lights[0].name, "Lamp");
}

TEST(AseObjects, ScaleSamplesKeepTheirFirstThreeValues)
{
    const auto scene = ConvertAndRead(
        AseScene(AseObject("S", "", Animation("S", Track("SCALE", {"0\t2.0\t3.0\t4.0\t0.0\t0.0\t1.0\t0.7"})))));
    ASSERT_EQ(scene.objects.at(0).scaleKeys.size(), 3u);
    ExpectVec3(scene.objects[0].scaleKeys[0], 2, 3, 4, "scale");
}

TEST(AseObjects, ObjectWithoutTextureVerticesGetsOneAtTheOrigin)
{
    const std::string mapped = AseObject("Plain");
    const std::size_t from = mapped.find("\t\t*MESH_NUMTVERTEX");
    const std::size_t to = mapped.find("\n\t}\n", from) + 1;   // the end of the MESH block
    for (const std::string& unmapped : {mapped.substr(0, from) + "\t\t*MESH_NUMTVERTEX 0\n" + mapped.substr(to),
                                        mapped.substr(0, from) + mapped.substr(to)}) {
        const auto scene = ConvertAndRead(AseScene(unmapped));
        ASSERT_EQ(scene.objects.size(), 1u);
        const auto& object = scene.objects[0];
        ASSERT_EQ(object.textureVertices.size(), 1u);
        ExpectVec3(object.textureVertices[0], 0, 0, 0, "texture vertex");
        ASSERT_EQ(object.textureFaces.size(), 1u);
        EXPECT_EQ(object.textureFaces[0], (scenefile::TextureFace{0, 0, 0}));
    }
}

TEST(AseObjects, MissingNormalsComeFromTheFacesAndStrayVertexNormalsAreDropped)
{
    const std::string normals = "\t\t*MESH_NORMALS {\n"
                                "\t\t\t*MESH_FACENORMAL 0\t0.0000\t0.0000\t1.0000\n"
                                "\t\t\t\t*MESH_VERTEXNORMAL 2\t0.0000\t1.0000\t0.0000\n"
                                "\t\t\t\t*MESH_VERTEXNORMAL 9\t1.0000\t1.0000\t1.0000\n"
                                "\t\t\t\t*MESH_VERTEXNORMAL 2\t0.0000\t0.0000\t-1.0000\n"
                                "\t\t}\n";
    const std::string withNormals = Replace(AseObject("N"), "\t\t*MESH_NUMTVERTEX", normals + "\t\t*MESH_NUMTVERTEX");
    auto scene = ConvertAndRead(AseScene(withNormals));
    ASSERT_EQ(scene.objects.size(), 1u);
    ExpectVec3(scene.objects[0].faceNormals.at(0), 0, 0, 1, "face normal");
    ExpectVec3(scene.objects[0].vertexNormals.at(0), 0, 0, 0, "vertex 0 (no normal given)");
    ExpectVec3(scene.objects[0].vertexNormals.at(2), 0, 0, -1, "vertex 2 (the later normal wins)");

    // Without MESH_NORMALS: corners (0, 0, 0), (1, 0, 0), (0, 1, 0) counter-clockwise face +z;
    // the same corners taken the other way round face -z; a face's normal is also its
    // vertices' (the later face's for a vertex two faces share).
    scene = ConvertAndRead(AseScene(AseObject("N")));
    ASSERT_EQ(scene.objects.size(), 1u);
    ExpectVec3(scene.objects[0].faceNormals.at(0), 0, 0, 1, "face normal of a mesh without normals");
    for (const Vec3& normal : scene.objects[0].vertexNormals) ExpectVec3(normal, 0, 0, 1, "vertex normal");
    const std::string twoFaces = Replace(
        Replace(AseObject("N"), "*MESH_NUMFACES 1", "*MESH_NUMFACES 2"), "\t\t}\n\t\t*MESH_NUMTVERTEX",
        "\t\t\t*MESH_FACE    1:    A:    0 B:    2 C:    1 *MESH_MTLID 0\n\t\t}\n\t\t*MESH_NUMTVERTEX");
    scene = ConvertAndRead(AseScene(ReplaceAll(twoFaces, "*MESH_TFACE 0\t0\t0\t0\n",
                                               "*MESH_TFACE 0\t0\t0\t0\n\t\t\t*MESH_TFACE 1\t0\t0\t0\n")));
    ASSERT_EQ(scene.objects.size(), 1u);
    ASSERT_EQ(scene.objects[0].faceNormals.size(), 2u);
    ExpectVec3(scene.objects[0].faceNormals[0], 0, 0, 1, "first face");
    ExpectVec3(scene.objects[0].faceNormals[1], 0, 0, -1, "second face, wound the other way");
    for (const Vec3& normal : scene.objects[0].vertexNormals) ExpectVec3(normal, 0, 0, -1, "vertex normal");
}

// Only the object whose own block holds the mesh animation gets morph frames, even when
// another object has the same vertex and face counts.
TEST(AseObjects, MorphFramesBelongToTheObjectThatHasThem)
{
    const auto scene = ConvertAndRead(
        AseScene(AseObject("Still") + AseObject("Wave", "", MeshAnimation({{0, 0.0f}, {160, 1.0f}, {320, 2.0f}}))));
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_TRUE(scene.objects[0].morphFrames.empty());
    ASSERT_EQ(scene.objects[1].morphFrames.size(), 3u);
    ExpectVec3(scene.objects[1].morphFrames[2][1], 1, 0, 2, "frame 2, vertex 1");
}

// lastframe 100 at 160 ticks per frame: the animation ends at time 16000 with 101 frames.
// Frames without a sample of their own hold the sample before them.
TEST(AseObjects, MorphFramesCoverEveryFrameUpToTheLast)
{
    std::vector<std::pair<int, float>> everyFrame, everyTenth;
    for (int frame = 0; frame <= 100; ++frame) everyFrame.push_back({frame * 160, float(frame)});
    for (int frame = 0; frame <= 100; frame += 10) everyTenth.push_back({frame * 160, float(frame)});
    everyFrame.push_back({16160, 999.0f});   // a sample after the last frame is not used

    auto scene = ConvertAndRead(AseScene(AseObject("Wave", "", MeshAnimation(everyFrame)), 100));
    ASSERT_EQ(scene.objects.at(0).morphFrames.size(), 101u);
    EXPECT_EQ(scene.objects[0].morphFrames[37][0].z, 37.0f);
    EXPECT_EQ(scene.objects[0].morphFrames[100][0].z, 100.0f);

    scene = ConvertAndRead(AseScene(AseObject("Wave", "", MeshAnimation(everyTenth)), 100));
    ASSERT_EQ(scene.objects.at(0).morphFrames.size(), 101u);
    EXPECT_EQ(scene.objects[0].morphFrames[37][0].z, 30.0f);
    EXPECT_EQ(scene.objects[0].morphFrames[100][0].z, 100.0f);
}

// ---- materials ----------------------------------------------------------------------------------

TEST(AseMaterials, BitmapNamesLoseTheirFolders)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\3dsmax\\maps\\brick.jpg", "brick.jpg"},
        {"/home/artist/maps/brick.jpg", "brick.jpg"},
        {"maps\\mixed/brick.jpg", "brick.jpg"},
        {"brick.jpg", "brick.jpg"},
        {"", ""},
    };
    for (const auto& each : cases) {
        const auto scene = ConvertAndRead(AseScene(MaterialList({AseMaterial(0, "M", Bitmap(each.path))})));
        ASSERT_EQ(scene.materials.size(), 1u) << each.path;
        EXPECT_EQ(scene.materials[0].bitmap, each.name) << each.path;
    }
}

// A material without a bitmap keeps an empty bitmap name; the materials after it keep
// their own names and bitmaps.
TEST(AseMaterials, MaterialWithoutBitmapDoesNotTakeTheNextOne)
{
    const auto scene = ConvertAndRead(
        AseScene(MaterialList({AseMaterial(0, "Bare", ""), AseMaterial(1, "Textured", Bitmap("C:\\maps\\wood.jpg"))})));
    ASSERT_EQ(scene.materials.size(), 2u);
    EXPECT_EQ(scene.materials[0].name, "Bare");
    EXPECT_EQ(scene.materials[0].bitmap, "");
    EXPECT_EQ(scene.materials[1].name, "Textured");
    EXPECT_EQ(scene.materials[1].bitmap, "wood.jpg");
    EXPECT_EQ(scene.materials[1].index, 1u);
}

TEST(AseMaterials, MultiMaterialKeepsUpToTenSubMaterials)
{
    const auto scene = ConvertAndRead(AseScene(MaterialList(
        {AseMaterial(0, "Multi", SubMaterials(10), "Multi/Sub-Object"), AseMaterial(1, "After", Bitmap("after.jpg"))})));
    ASSERT_EQ(scene.materials.size(), 2u);
    const auto& multi = scene.materials[0];
    EXPECT_TRUE(multi.multi);
    ASSERT_EQ(multi.subMaterials.size(), 10u);
    EXPECT_EQ(multi.subMaterials[9].name, "Sub9");
    EXPECT_EQ(multi.subMaterials[9].bitmap, "sub9.jpg");
    EXPECT_EQ(multi.subMaterials[9].shine, F("0.10"));
    EXPECT_EQ(scene.materials[1].bitmap, "after.jpg");
}

// Eleven sub-materials do not fit: the material is written as a plain one, its
// self-illumination and bitmap being the first found in its block (the first sub-material's).
TEST(AseMaterials, MultiMaterialWithElevenSubMaterialsIsWrittenPlain)
{
    const std::string multi = AseMaterial(0, "Big", SubMaterials(11), "Multi/Sub-Object");
    const std::string withoutOwnSelfIllumination = Replace(multi, "\t\t*MATERIAL_SELFILLUM 0.2500\n", "");
    const auto scene = ConvertAndRead(AseScene(MaterialList({withoutOwnSelfIllumination})));
    ASSERT_EQ(scene.materials.size(), 1u);
    const auto& big = scene.materials[0];
    EXPECT_FALSE(big.multi);
    EXPECT_TRUE(big.subMaterials.empty());
    EXPECT_EQ(big.selfIllumination, F("0.7500"));
    EXPECT_EQ(big.bitmap, "sub0.jpg");
    EXPECT_EQ(big.diffuse, (Vec3{0.5f, 0.5f, 0.5f}));
}

TEST(AseMaterials, EmbeddedTexturesFollowTheirBitmapNames)
{
    TempDir folder;
    folder.write("maps/wood.jpg", "WOODBYTES");
    aseimport::ConvertOptions options;
    options.embedTextures = true;
    options.texturePrefix = (folder.path() / "maps").string() + "/";
    const std::string scene = AseScene(MaterialList({AseMaterial(0, "Wood", Bitmap("C:\\anywhere\\wood.jpg")),
                                                  AseMaterial(1, "Bare", "")}));
    const auto result = Convert(scene, options);
    ASSERT_TRUE(result.ok) << result.message;
    const std::string bytes(result.bytes.begin(), result.bytes.end());
    const std::string nameThenTexture = std::string("\x08\x00wood.jpg\x09\x00\x00\x00WOODBYTES", 23);
    EXPECT_NE(bytes.find(nameThenTexture), std::string::npos);
    // The bare material's empty bitmap name embeds nothing: size 0 ends the file.
    EXPECT_EQ(bytes.substr(bytes.size() - 6), std::string("\x00\x00\x00\x00\x00\x00", 6));

    options.texturePrefix = (folder.path() / "elsewhere").string() + "/";
    const auto missing = Convert(scene, options);
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.bytes.empty());
    EXPECT_EQ(missing.caption, "Fatality Error! ;) [K3D Import Console Message]");
    EXPECT_EQ(missing.message, "Texture bitmap : " + options.texturePrefix + "wood.jpg not found!");
}

// ---- cameras ------------------------------------------------------------------------------------

TEST(AseCameras, FieldOfViewAnimationGivesOneValuePerFrame)
{
    std::string samples;
    for (int frame = 0; frame <= 100; ++frame)
        samples += CameraSettings(frame * 160, std::to_string(0.5 + frame * 0.001), "80.0000", "\t\t");
    samples += CameraSettings(16160, "3.0", "80.0000", "\t\t");   // past the last frame: unused
    const std::string camera =
        AseCamera("Camera01", CameraSettings(0, "0.5000", "80.0000") + "\t*CAMERA_ANIMATION {\n" + samples + "\t}\n");
    const auto scene = ConvertAndRead(AseScene(camera, 100));
    ASSERT_EQ(scene.cameras.size(), 1u);
    const auto& keys = scene.cameras[0].fovKeys;
    ASSERT_EQ(keys.size(), 101u);
    EXPECT_EQ(keys[0], F(std::to_string(0.5).c_str()));
    EXPECT_EQ(keys[100], F(std::to_string(0.6).c_str()));
}

TEST(AseCameras, FieldOfViewGapsHoldTheValueBefore)
{
    const std::string animation = "\t*CAMERA_ANIMATION {\n" + CameraSettings(0, "0.5", "80.0", "\t\t") +
                                  CameraSettings(320, "0.7", "80.0", "\t\t") + "\t}\n";
    const auto scene = ConvertAndRead(AseScene(AseCamera("C", CameraSettings(0, "0.5", "80.0") + animation), 4));
    const std::vector<float> expected = {F("0.5"), F("0.5"), F("0.7"), F("0.7"), F("0.7")};
    EXPECT_EQ(scene.cameras.at(0).fovKeys, expected);
}

TEST(AseCameras, TargetDistanceThatDiffersMeansNoFieldOfViewKeys)
{
    const std::string animation = "\t*CAMERA_ANIMATION {\n" + CameraSettings(0, "0.5", "90.0", "\t\t") +
                                  CameraSettings(160, "0.7", "90.0", "\t\t") + "\t}\n";
    const auto scene = ConvertAndRead(AseScene(AseCamera("C", CameraSettings(0, "0.5", "80.0") + animation)));
    EXPECT_TRUE(scene.cameras.at(0).fovKeys.empty());
}

TEST(AseCameras, NodeAndTargetKeysComeFromTheirOwnAnimationBlocks)
{
    const std::string keys =
        Animation("Cam.Target", Track("POS", {"0\t7.0\t8.0\t9.0"})) +
        Animation("Cam", Track("ROT", {"0\t1.0\t0.0\t0.0\t0.5", "160\t1.0\t0.0\t0.0\t0.25"}));
    const auto scene = ConvertAndRead(AseScene(AseCamera("Cam", CameraSettings(0, "0.5", "80.0") + keys) +
                                            AseCamera("Still", CameraSettings(0, "0.5", "80.0"))));
    ASSERT_EQ(scene.cameras.size(), 2u);
    const auto& cam = scene.cameras[0];
    ASSERT_TRUE(cam.hasNodeKeys);
    EXPECT_TRUE(cam.positionKeys.empty());   // the file has no position track: 0 keys
    ASSERT_EQ(cam.rotationKeys.size(), 3u);     // one per frame
    EXPECT_EQ(cam.rotationKeys[1].angle, 0.25f);
    ASSERT_TRUE(cam.hasTargetKeys);
    ASSERT_EQ(cam.targetKeys.size(), 3u);
    ExpectVec3(cam.targetKeys[0], 7, 8, 9, "target key");
    ExpectVec3(cam.targetKeys[2], 7, 8, 9, "target key held");
    EXPECT_FALSE(scene.cameras[1].hasNodeKeys || scene.cameras[1].hasTargetKeys);
}

// A free camera has no target node: its target lies along its view, the node's -Z axis.
TEST(AseCameras, FreeCameraLooksAlongItsViewAxis)
{
    const auto scene = ConvertAndRead(AseScene(AseCamera("Free", CameraSettings(0, "0.5", "40.0"), false)));
    ASSERT_EQ(scene.cameras.size(), 1u);
    ExpectVec3(scene.cameras[0].position, 0, -50, 0, "position");
    ExpectVec3(scene.cameras[0].target, 0, -10, 0, "target (third row 0 -1 0, distance 40)");
}

// ---- lights ---------------------------------------------------------------------------------------

TEST(AseLights, KindsAndTheirFields)
{
    const std::string keys = Animation("Spot", Track("POS", {"0\t1.0\t1.0\t1.0"})) +
                             Animation("Spot.Target", Track("POS", {"0\t4.0\t5.0\t6.0", "160\t4.0\t5.0\t7.0"}));
    const auto scene = ConvertAndRead(AseScene(AseLight("Spot", "Target", keys) + AseLight("Bulb", "Omni") +
                                            AseLight("Sun", "Directional") + AseLight("Lamp", "Free\r")));
    ASSERT_EQ(scene.lights.size(), 4u);
    const auto& spot = scene.lights[0];
    EXPECT_EQ(spot.kind, scenefile::LightKind::target);
    ExpectVec3(spot.position, 1, 2, 3, "spot position");
    ExpectVec3(spot.target, 4, 5, 6, "spot target");
    ExpectVec3(spot.colour, F("0.2"), F("0.4"), F("0.6"), "spot colour");
    EXPECT_EQ(spot.intensity, 1.5f);
    EXPECT_EQ(spot.positionKeys.size(), 3u);   // one per frame
    EXPECT_EQ(spot.targetKeys.size(), 3u);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(scene.lights[i].kind, scenefile::LightKind::omni) << scene.lights[i].name;
        EXPECT_FALSE(scene.lights[i].hasPositionKeys || scene.lights[i].hasTargetKeys) << scene.lights[i].name;
        ExpectVec3(scene.lights[i].position, 1, 2, 3, scene.lights[i].name);
    }
}

// ---- messages -----------------------------------------------------------------------------------

TEST(AseConversion, ConsoleMessagesNameEachObjectAndMaterial)
{
    std::vector<std::string> shown;
    plat::SetMessageHook([](const char* caption, const char* text, void* user) {
        static_cast<std::vector<std::string>*>(user)->push_back(std::string(caption) + "|" + text);
    }, &shown);
    aseimport::ConvertOptions options;
    options.consoleMessages = true;
    const std::string unmapped = Replace(AseObject("Flat"), "*MESH_NUMTVERTEX 1", "*MESH_NUMTVERTEX 0");
    const auto result = Convert(AseScene(MaterialList({AseMaterial(0, "Paint", "")}) + AseObject("Box") + unmapped), options);
    plat::SetMessageHook(nullptr, nullptr);
    ASSERT_TRUE(result.ok) << result.message;
    const std::vector<std::string> expected = {
        "[K3D Import Console Message]|Object : Box Exported Succesful!",
        "[K3D Import Console Message]|Object : Flat Has no Mapped Vertexs!",
        "[K3D Import Console Message]|Object : Flat Exported Succesful!",
        "[K3D Import Console Message]|Material : Paint Exported Succesful!",
    };
    EXPECT_EQ(shown, expected);
}
