// Node tracks as the converter writes them (one key per frame from the first frame to the
// last, whatever frames the exporter left out) and where the objects of a hierarchy stand
// at frame 0 once loaded, composed the way drawing composes ancestors.
#include "AseTestSupport.h"
#include "TempDir.h"
#include "VEK_AnimController.h"
#include "VEK_Scene.h"
#include "VEK_SceneRecords.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

using namespace asetest;
using scenefile::AxisAngle;
using scenefile::Vec3;
namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = VEK_ASE_CORPUS;

void ExpectVec3(const Vec3& actual, const Vec3& expected, const std::string& what, float tolerance = 0.0f)
{
    if (tolerance == 0.0f) {
        EXPECT_EQ(actual, expected) << what << ": (" << actual.x << ", " << actual.y << ", " << actual.z << ")";
        return;
    }
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// The text of a corpus file, or empty (and the calling test skips) when it is missing.
std::string CorpusText(const std::string& name)
{
    return fs::exists(kCorpus / name) ? TempDir::ReadFile(kCorpus / name) : std::string();
}

#define SKIP_WITHOUT(text, name)                                                                        \
    if ((text).empty()) GTEST_SKIP() << (name) << " is missing: the ASE corpus folder " << kCorpus      \
                                     << " is not there"

// ---- what the text says, read line by line ----------------------------------------------

struct Sample {
    long time = 0;
    std::array<float, 4> values{};
};

// Per node: its NODE_TM rows (x, y, z axes and position), its parent, and the samples of
// its position, rotation and scale tracks in file order.
struct TextNodes {
    struct Node {
        std::string parent;
        std::array<Vec3, 4> rows{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, Vec3{}};
        std::array<std::vector<Sample>, 3> tracks;
    };
    std::map<std::string, Node> nodes;
    std::vector<std::string> objects;   // GEOMOBJECT names in file order
    long lastFrame = 0, ticksPerFrame = 0;

    explicit TextNodes(const std::string& text)
    {
        std::istringstream lines(text);
        std::string line, current, kind;
        bool inTm = false, inAnimation = false, named = false;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string keyword;
            words >> keyword;
            if (keyword == "*GEOMOBJECT" || keyword == "*CAMERAOBJECT" || keyword == "*LIGHTOBJECT" ||
                keyword == "*HELPEROBJECT") {
                kind = keyword, named = false, inTm = false, inAnimation = false;
            } else if (keyword == "*SCENE_LASTFRAME") {
                words >> lastFrame;
            } else if (keyword == "*SCENE_TICKSPERFRAME") {
                words >> ticksPerFrame;
            } else if (keyword == "*NODE_TM" || keyword == "*TM_ANIMATION") {
                inTm = keyword == "*NODE_TM", inAnimation = !inTm, current.clear();
            } else if (keyword == "*NODE_NAME") {
                const std::string name = Quoted(line);
                if (!named && !inTm && !inAnimation && kind == "*GEOMOBJECT") objects.push_back(name);
                if (!inTm && !inAnimation) named = true, owner = name;
                if (inTm || inAnimation) current = name;
            } else if (keyword == "*NODE_PARENT") {
                nodes[owner].parent = Quoted(line);
            } else if (inTm && keyword.rfind("*TM_ROW", 0) == 0 && keyword.size() == 8) {
                Vec3& row = nodes[current].rows[std::size_t(keyword[7] - '0') & 3];
                words >> row.x >> row.y >> row.z;
            } else if (inAnimation) {
                const int track = keyword == "*CONTROL_POS_SAMPLE" ? 0 : keyword == "*CONTROL_ROT_SAMPLE" ? 1
                                  : keyword == "*CONTROL_SCALE_SAMPLE"                                    ? 2
                                                                                                          : -1;
                if (track < 0) continue;
                Sample sample;
                words >> sample.time;
                for (float& value : sample.values) words >> value;
                nodes[current].tracks[std::size_t(track)].push_back(sample);
            }
        }
    }

    // A point of the parent's space placed by the parent's rows.
    Vec3 inScene(const std::string& parent, const Vec3& p) const
    {
        const auto& r = nodes.at(parent).rows;
        return {p.x * r[0].x + p.y * r[1].x + p.z * r[2].x + r[3].x, p.x * r[0].y + p.y * r[1].y + p.z * r[2].y + r[3].y,
                p.x * r[0].z + p.y * r[1].z + p.z * r[2].z + r[3].z};
    }

private:
    static std::string Quoted(const std::string& line)
    {
        const std::size_t open = line.find('"'), close = line.rfind('"');
        return open == std::string::npos || close <= open ? std::string() : line.substr(open + 1, close - open - 1);
    }
    std::string owner;
};

// Every object's tracks against the text: one key per frame 0..L on each sampled track;
// at a frame with a sample its value (a child's position placed in the scene by its
// parent's rows); at a frame without one the key before it, and a rotation angle of 0 (so
// the angles add up to the file's).
void ExpectTracksFollowTheText(const std::string& text)
{
    const TextNodes nodes(text);
    const auto scene = ConvertAndRead(text);
    ASSERT_EQ(scene.objects.size(), nodes.objects.size());
    const std::size_t frames = std::size_t(nodes.lastFrame + 1);
    for (std::size_t i = 0; i < scene.objects.size(); ++i) {
        const auto& object = scene.objects[i];
        SCOPED_TRACE("object " + object.name);
        const TextNodes::Node& node = nodes.nodes.at(nodes.objects[i]);
        const bool child = !node.parent.empty() && nodes.nodes.count(node.parent);
        const std::vector<Vec3>* vectors[3] = {&object.positionKeys, nullptr, &object.scaleKeys};
        for (std::size_t track = 0; track < 3; ++track) {
            const auto& samples = node.tracks[track];
            const std::size_t count = track == 1 ? object.rotationKeys.size() : vectors[track]->size();
            ASSERT_EQ(count, samples.empty() ? 0 : frames) << "track " << track;
            std::vector<bool> sampled(frames, false);
            float fileAngles = 0, keyAngles = 0;
            for (const Sample& sample : samples) {
                // A sample between two frames shows at the next one.
                const long next = (sample.time + nodes.ticksPerFrame - 1) / nodes.ticksPerFrame;
                if (next >= 0 && next < long(frames)) sampled[std::size_t(next)] = true;
                if (sample.time % nodes.ticksPerFrame != 0 || sample.time / nodes.ticksPerFrame >= long(frames)) continue;
                const std::size_t frame = std::size_t(sample.time / nodes.ticksPerFrame);
                sampled[frame] = true;
                const Vec3 value{sample.values[0], sample.values[1], sample.values[2]};
                if (track == 1) {
                    fileAngles += sample.values[3];
                    EXPECT_EQ(object.rotationKeys[frame].angle, sample.values[3]) << "rotation at frame " << frame;
                    if (!child) {
                        const AxisAngle& key = object.rotationKeys[frame];
                        ExpectVec3({key.x, key.y, key.z}, value, "rotation axis at frame " + std::to_string(frame));
                    }
                } else if (track == 0 && child) {
                    ExpectVec3((*vectors[track])[frame], nodes.inScene(node.parent, value),
                               "position at frame " + std::to_string(frame), 1e-3f);
                } else {
                    ExpectVec3((*vectors[track])[frame], value, "track " + std::to_string(track) + " at frame " +
                                                                    std::to_string(frame));
                }
            }
            for (std::size_t frame = 0; frame < count; ++frame) {
                if (track == 1) keyAngles += object.rotationKeys[frame].angle;
                if (sampled[frame] || frame == 0) continue;
                if (track == 1) {
                    EXPECT_EQ(object.rotationKeys[frame].angle, 0.0f) << "rotation at frame " << frame;
                } else {
                    EXPECT_EQ((*vectors[track])[frame], (*vectors[track])[frame - 1])
                        << "track " << track << " frame " << frame;
                }
            }
            if (track == 1) {
                EXPECT_NEAR(keyAngles, fileAngles, 1e-3) << "accumulated rotation";
            }
        }
    }
}

// ---- the hierarchy at frame 0 -----------------------------------------------------------

// Column-major 4 x 4, as OpenGL keeps it.
struct Matrix {
    std::array<double, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Matrix operator*(const Matrix& b) const
    {
        Matrix out;
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) {
                double sum = 0;
                for (int k = 0; k < 4; ++k) sum += m[std::size_t(4 * k + r)] * b.m[std::size_t(4 * c + k)];
                out.m[std::size_t(4 * c + r)] = sum;
            }
        return out;
    }
    static Matrix Translate(const Vector3& v, double sign = 1)
    {
        Matrix t;
        t.m[12] = sign * v.x, t.m[13] = sign * v.y, t.m[14] = sign * v.z;
        return t;
    }
    static Matrix Scale(const Vector3& s)
    {
        Matrix t;
        t.m[0] = s.x, t.m[5] = s.y, t.m[10] = s.z;
        return t;
    }
    // glRotatef(degrees, axis) with the axis made of whole, positive components.
    static Matrix Rotate(const RotationKey& key)
    {
        double x = std::fabs(std::trunc(key.x)), y = std::fabs(std::trunc(key.y)), z = std::fabs(std::trunc(key.z));
        const double length = std::sqrt(x * x + y * y + z * z);
        Matrix t;
        if (length == 0 || key.angle == 0) return t;
        x /= length, y /= length, z /= length;
        const double a = key.angle * 3.14159265358979 / 180, c = std::cos(a), s = std::sin(a), k = 1 - c;
        t.m = {x * x * k + c,     y * x * k + z * s, x * z * k - y * s, 0, x * y * k - z * s, y * y * k + c,
               y * z * k + x * s, 0,                 x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0,
               0,                 0,                 0,                 1};
        return t;
    }
    Vector3 apply(const Vector3& p) const
    {
        Vector3 out;
        out.setPoint(float(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12]),
                     float(m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13]),
                     float(m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]));
        return out;
    }
};

// One object's own transform at its controller's current frames: with P its origin, T the
// position key, R the rotation (accumulated angle, axis made whole and positive), S the
// scale key: translate(P) [translate(T)] rotate(R) translate(-P), then translate(P)
// scale(S) translate(-P); position only: translate(T).
Matrix OwnTransform(SceneObject& object)
{
    AnimController* controller = object.controller;
    if (!controller) return {};
    const Vector3& origin = object.origin;
    Matrix own;
    if (object.hasRotationKeys) {
        own = Matrix::Translate(origin);
        if (object.hasPositionKeys) own = own * Matrix::Translate(controller->position());
        own = own * Matrix::Rotate(controller->rotation()) * Matrix::Translate(origin, -1);
    } else if (object.hasPositionKeys) {
        own = Matrix::Translate(controller->position());
    }
    if (object.hasScaleKeys)
        own = own * Matrix::Translate(origin) * Matrix::Scale(controller->scale()) * Matrix::Translate(origin, -1);
    return own;
}

// Every object of the scene at frame 0 stands at its own transform position (the file's
// TM_POS after the axis change): its ancestors' transforms from the farthest to the parent,
// then its own, applied to its origin.
void ExpectObjectsStandAtTheirTransformAtFrameZero(Scene& scene)
{
    std::size_t objects = 0;
    for (SceneObject* object : scene.objects.each<SceneObject>()) {
        Matrix world;
        for (std::uint32_t i = object->ancestorCount; i-- > 0;) world = world * OwnTransform(*object->ancestors[i]);
        world = world * OwnTransform(*object);
        const Vector3 at = world.apply(object->origin);
        const Vector3& expected = object->transformPosition;
        const float tolerance = 1e-3f * std::max(1.0f, std::fabs(expected.x) + std::fabs(expected.y) + std::fabs(expected.z));
        EXPECT_NEAR(at.x, expected.x, tolerance) << object->name;
        EXPECT_NEAR(at.y, expected.y, tolerance) << object->name;
        EXPECT_NEAR(at.z, expected.z, tolerance) << object->name;
        ++objects;
    }
    EXPECT_GT(objects, 0u);
}

std::unique_ptr<Scene> ConvertAndLoad(const std::string& text, TempDir& folder)
{
    const auto result = Convert(text);
    EXPECT_TRUE(result.ok) << result.message;
    folder.write("scene.vek", std::string(result.bytes.begin(), result.bytes.end()));
    ScopedChdir into(folder.path());
    return LoadSceneFile("scene.vek", "test");
}

}  // namespace

// ---- one key per frame ----------------------------------------------------------------------

// Position samples at frames 2 and 5, one between frames 5 and 6 and one after the last;
// rotation at 0 (the rest pose), 3 and 4; scale at 1 and 6.
TEST(AseTracks, GapsHoldTheSampleBeforeAndRotationsTurnByZero)
{
    const auto scene = ConvertAndRead(Fixture("gaps.ase"));
    ASSERT_EQ(scene.objects.size(), 1u);
    const auto& gappy = scene.objects[0];
    const Vec3 rest{1, 2, 3}, second{4, 5, 6}, fifth{7, 8, 9}, between{7.5f, 8, 9};
    EXPECT_EQ(gappy.positionKeys, (std::vector<Vec3>{rest, rest, second, second, second, fifth, between}));
    const std::vector<AxisAngle> rotations{{0, 0, 1, 0.5f}, {0, 0, 1, 0}, {0, 0, 1, 0}, {1, 0, 0, 0.1f},
                                           {0, -1, 0, 0.2f}, {0, -1, 0, 0}, {0, -1, 0, 0}};
    EXPECT_EQ(gappy.rotationKeys, rotations);
    const Vec3 restScale{1, 1, 2}, two{2, 2, 2}, three{3, 3, 3};
    EXPECT_EQ(gappy.scaleKeys, (std::vector<Vec3>{restScale, two, two, two, two, two, three}));
}

TEST(AseTracks, TracksStartAtTheFirstFrame)
{
    const auto scene = ConvertAndRead(Replace(Fixture("gaps.ase"), "*SCENE_FIRSTFRAME 0", "*SCENE_FIRSTFRAME 2"));
    ASSERT_EQ(scene.objects.size(), 1u);
    const auto& gappy = scene.objects[0];
    EXPECT_EQ(gappy.positionKeys, (std::vector<Vec3>{{4, 5, 6}, {4, 5, 6}, {4, 5, 6}, {7, 8, 9}, {7.5f, 8, 9}}));
    ASSERT_EQ(gappy.rotationKeys.size(), 5u);
    EXPECT_EQ(gappy.rotationKeys[0], (AxisAngle{0, 0, 1, 0}));
    EXPECT_EQ(gappy.rotationKeys[1], (AxisAngle{1, 0, 0, 0.1f}));
    EXPECT_EQ(gappy.scaleKeys.size(), 5u);
}

// A file with a sample on every frame of every track is written exactly as it always was
// (the reference file was made by the converter before tracks were filled frame by frame).
TEST(AseTracks, FileSampledAtEveryFrameConvertsByteForByteAsBefore)
{
    const auto result = Convert(Fixture("full-sampling.ase"));
    ASSERT_TRUE(result.ok) << result.message;
    const std::string reference = Fixture("full-sampling.vek");
    ASSERT_EQ(result.bytes.size(), reference.size());
    for (std::size_t at = 0; at < reference.size(); ++at)
        ASSERT_EQ(int(result.bytes[at]), int(std::uint8_t(reference[at]))) << "first difference at byte " << at;
}

TEST(AseTracks, CamerasAndLightsGetOneKeyPerFrame)
{
    const auto scene = ConvertAndRead(Fixture("everything.ase"));
    ASSERT_EQ(scene.cameras.size(), 1u);
    const auto& camera = scene.cameras[0];
    // Position samples at frames 0 and 2; rotation at 0 and 1; the target at 0 only.
    EXPECT_EQ(camera.positionKeys, (std::vector<Vec3>{{0, -100, 20}, {0, -100, 20}, {0, -90, 20}}));
    EXPECT_EQ(camera.rotationKeys,
              (std::vector<AxisAngle>{{1, 0, 0, 1.37f}, {0, 0, 1, 0.05f}, {0, 0, 1, 0}}));
    EXPECT_EQ(camera.targetKeys, (std::vector<Vec3>{{0, 0, 10}, {0, 0, 10}, {0, 0, 10}}));
    ASSERT_EQ(scene.lights.size(), 2u);
    EXPECT_EQ(scene.lights[0].targetKeys, (std::vector<Vec3>{{0, 0, 0}, {5, 0, 0}, {5, 0, 0}}));
    EXPECT_EQ(scene.lights[1].positionKeys, (std::vector<Vec3>{{-30, 10, 60}, {-30, 10, 60}, {-30, 20, 60}}));
}

// anim2: 101 frames; Box02's rotation sampled from tick 800, its scale from tick 1600.
// MotionCaptureROM: 1359 frames, 51 to 272 samples per track, children of children.
TEST(AseTracks, RealExportsGetOneKeyPerFrameAndTheirSamplesAtTheirFrames)
{
    for (const char* name : {"models__ASE__anim2.ASE", "models__ASE__MotionCaptureROM.ase"}) {
        SCOPED_TRACE(name);
        const std::string text = CorpusText(name);
        SKIP_WITHOUT(text, name);
        ExpectTracksFollowTheText(text);
    }
}

TEST(AseTracks, HandWrittenScenesFollowTheirText)
{
    for (const char* name : {"gaps.ase", "hierarchy.ase", "everything.ase"}) {
        SCOPED_TRACE(name);
        ExpectTracksFollowTheText(Fixture(name));
    }
}

// ---- children of animated parents ----------------------------------------------------------

// The exporter gives a child's position samples in its parent's space: they are written
// placed in the scene by the parent's NODE_TM, and a child's rotation axes turned by it.
TEST(AseHierarchy, ChildKeysArePlacedInTheSceneByTheirParent)
{
    const auto scene = ConvertAndRead(Fixture("hierarchy.ase"));
    ASSERT_EQ(scene.objects.size(), 3u);
    const auto& hand = scene.objects[1];
    ASSERT_EQ(hand.name, "Hand");
    ASSERT_EQ(hand.positionKeys.size(), 3u);
    ExpectVec3(hand.positionKeys[0], {10, 5, 0}, "Hand at frame 0", 1e-5f);
    ExpectVec3(hand.positionKeys[2], {10, 5, 2}, "Hand at frame 2", 1e-5f);
    ASSERT_EQ(hand.rotationKeys.size(), 3u);
    ExpectVec3({hand.rotationKeys[1].x, hand.rotationKeys[1].y, hand.rotationKeys[1].z}, {0, 1, 0},
               "Hand's axis at frame 1", 1e-5f);
    EXPECT_EQ(hand.rotationKeys[1].angle, 0.2f);
    const auto& finger = scene.objects[2];
    ASSERT_EQ(finger.positionKeys.size(), 3u);
    ExpectVec3(finger.positionKeys[0], {10, 7, 0}, "Finger at frame 0", 1e-5f);
    ExpectVec3(finger.positionKeys[2], {10, 8, 0}, "Finger at frame 2", 1e-5f);
    // The root's keys are the file's.
    EXPECT_EQ(scene.objects[0].positionKeys[1], (Vec3{11, 0, 0}));

    // Without TM_ROW lines the parent's transform comes from its position, axis and angle.
    std::string withoutRows = Fixture("hierarchy.ase");
    for (std::size_t at; (at = withoutRows.find("\t\t*TM_ROW")) != std::string::npos;)
        withoutRows.erase(at, withoutRows.find('\n', at) + 1 - at);
    const auto fromAngles = ConvertAndRead(withoutRows);
    ASSERT_EQ(fromAngles.objects.size(), 3u);
    for (std::size_t key = 0; key < 3; ++key) {
        ExpectVec3(fromAngles.objects[1].positionKeys[key], hand.positionKeys[key], "Hand without rows", 1e-3f);
        ExpectVec3(fromAngles.objects[2].positionKeys[key], finger.positionKeys[key], "Finger without rows", 1e-3f);
    }
}

TEST(AseHierarchy, EveryObjectStandsAtItsTransformAtFrameZero)
{
    TempDir folder;
    auto scene = ConvertAndLoad(Fixture("hierarchy.ase"), folder);
    ASSERT_TRUE(scene);
    const SceneObject* finger = scene->findObject("Finger");
    ASSERT_TRUE(finger);
    ASSERT_EQ(finger->ancestorCount, 2u);
    ExpectObjectsStandAtTheirTransformAtFrameZero(*scene);
}

// Box02's parent is the animated camera; the other files have children of objects.
TEST(AseHierarchy, ObjectsOfRealExportsStandAtTheirTransformAtFrameZero)
{
    for (const char* name : {"models__ASE__CameraRollAnimWithChildObject.ase", "models__ASE__MotionCaptureROM.ase",
                             "models__ASE__anim2.ASE"}) {
        SCOPED_TRACE(name);
        const std::string text = CorpusText(name);
        SKIP_WITHOUT(text, name);
        TempDir folder;
        auto scene = ConvertAndLoad(text, folder);
        ASSERT_TRUE(scene);
        ExpectObjectsStandAtTheirTransformAtFrameZero(*scene);
    }
}
