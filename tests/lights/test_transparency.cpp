// Transparency order: which objects count as transparent, the partition that moves them
// behind the opaque ones with its "Zalpha.log", and the per-frame re-sort by eye distance.
#include "TempDir.h"
#include "VEK_Scene.h"
#include "VEK_Transparency.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// A scene whose objects are given front to back; 'T' marks a transparent one (an alpha
// material), 'O' an opaque one (an opaque material).
class TransparencyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        inDir_ = std::make_unique<ScopedChdir>(dir.path());
        scene = std::make_unique<Scene>("no-such-scene.vek", "scene");
        opaque = NewMaterial("opaque", 1.0f, false);
        alpha = NewMaterial("alpha", 1.0f, true);
    }
    void TearDown() override
    {
        scene.reset();
        inDir_.reset();
    }

    Material* NewMaterial(const std::string& name, float opacity, bool alphaKey)
    {
        auto* material = new Material(name, std::int32_t(scene->materials.count()), ColourSet{}, 10, opacity);
        material->alpha = alphaKey;
        scene->materials.insert(material);
        return material;
    }

    // names[i] with kinds[i]; the list ends up in the given order.
    void Build(const std::string& kinds)
    {
        for (std::size_t i = kinds.size(); i-- > 0;) {
            auto* object = new SceneObject(std::uint8_t(i + 1), std::string(1, char('A' + i)), "", {}, {}, 0, 0);
            object->material = kinds[i] == 'T' ? alpha : opaque;
            scene->objects.insert(object);
        }
    }
    std::string Order() const
    {
        std::string order;
        for (const SceneObject* object : scene->objects.each<SceneObject>()) order += object->name;
        return order;
    }
    void SetDistances(const std::vector<std::pair<char, float>>& distances)
    {
        for (const auto& [name, value] : distances) scene->findObject(std::string(1, name))->eyeDistance = value;
    }
    // One listing of the log: "\n1   B" per object.
    static std::string Listing(const std::string& order, const std::string& kinds)
    {
        std::string text;
        for (char name : order) text += std::string("\n") + (kinds[std::size_t(name - 'A')] == 'T' ? "1" : "0") + "   " + name;
        return text;
    }

    TempDir dir;
    std::unique_ptr<Scene> scene;
    Material* opaque = nullptr;
    Material* alpha = nullptr;

private:
    std::unique_ptr<ScopedChdir> inDir_;
};
}  // namespace

TEST_F(TransparencyTest, WhatCountsAsTransparent)
{
    Material* faded = NewMaterial("faded", 0.5f, false);
    Material* solid = NewMaterial("solid", 1.0f, false);
    SceneObject object(1, "object", "", {}, {}, 0, 0);
    EXPECT_FALSE(isTransparent(object));   // no material
    object.material = solid;
    EXPECT_FALSE(isTransparent(object));
    object.material = faded;
    EXPECT_TRUE(isTransparent(object));
    object.material = alpha;
    EXPECT_TRUE(isTransparent(object));
    object.material = solid;
    object.isEmitter = true;
    EXPECT_TRUE(isTransparent(object));
}

TEST_F(TransparencyTest, PartitionOrdersAndLogsTables)
{
    struct Case {
        std::string kinds, order;
        std::uint32_t first;
    };
    const Case cases[] = {
        {"OTOT", "ACBD", 2},
        {"OOOO", "ABCD", 0},
        {"TTTT", "ABCD", 0},
        {"TOOO", "DBCA", 3},
        {"TTOO", "DCBA", 2},
        {"OTTOOT", "AEDCBF", 3},
        {"T", "A", 0},
        {"", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("kinds " + c.kinds);
        scene = std::make_unique<Scene>("no-such-scene.vek", "scene");
        opaque = NewMaterial("opaque", 1.0f, false);
        alpha = NewMaterial("alpha", 1.0f, true);
        Build(c.kinds);
        scene->firstTransparent = 99;
        partitionTransparent(*scene);
        EXPECT_EQ(Order(), c.order);
        EXPECT_EQ(scene->firstTransparent, c.first);
        std::string before;
        for (std::size_t i = 0; i < c.kinds.size(); ++i) before += char('A' + i);
        EXPECT_EQ(dir.read("Zalpha.log"), Listing(before, c.kinds) + "\n-------------------------------------------" +
                                              Listing(c.order, c.kinds) + "\nFirst transparentObject Index=" +
                                              std::to_string(c.first));
    }
}

TEST_F(TransparencyTest, LogOfTheMixedTableByteForByte)
{
    Build("OTOT");
    partitionTransparent(*scene);
    EXPECT_EQ(dir.read("Zalpha.log"),
              "\n0   A\n1   B\n0   C\n1   D\n-------------------------------------------"
              "\n0   A\n0   C\n1   B\n1   D\nFirst transparentObject Index=2");
}

TEST_F(TransparencyTest, PartitionHappensWhenTheLogCannotBeWritten)
{
    std::filesystem::create_directory(dir / "Zalpha.log");   // a folder cannot be opened as a file
    Build("TO");
    partitionTransparent(*scene);
    EXPECT_EQ(Order(), "BA");
    EXPECT_EQ(scene->firstTransparent, 1u);
}

TEST_F(TransparencyTest, ResortPutsTheFarthestFirstAndFollowsTheCamera)
{
    Build("OTTOT");
    partitionTransparent(*scene);
    ASSERT_EQ(Order(), "ADCBE");
    ASSERT_EQ(scene->firstTransparent, 2u);
    SetDistances({{'A', 1}, {'D', 100}, {'C', 5}, {'B', 9}, {'E', 1}});
    resortTransparent(*scene);
    EXPECT_EQ(Order(), "ADBCE");
    // The camera moved: the next frame measured other distances.
    SetDistances({{'C', 2}, {'B', 3}, {'E', 8}});
    resortTransparent(*scene);
    EXPECT_EQ(Order(), "ADEBC");
    resortTransparent(*scene);
    EXPECT_EQ(Order(), "ADEBC");
}

TEST_F(TransparencyTest, ResortKeepsTiesAndLeavesOpaqueObjectsAlone)
{
    struct Case {
        std::string kinds;
        std::vector<std::pair<char, float>> distances;   // by name, after the partition
        std::string order;
    };
    const Case cases[] = {
        // All transparent: the partition keeps the order and the whole list is sorted.
        {"TTTT", {{'A', 1}, {'B', 4}, {'C', 2}, {'D', 3}}, "BDCA"},
        // Equal distances keep their order, wherever the nearest one stands.
        {"TTT", {{'A', 5}, {'B', 1}, {'C', 5}}, "ACB"},
        {"TTT", {{'A', 5}, {'B', 5}, {'C', 5}}, "ABC"},
        // No transparent object: nothing moves, whatever the distances.
        {"OOO", {{'A', 1}, {'B', 3}, {'C', 2}}, "ABC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("kinds " + c.kinds);
        scene = std::make_unique<Scene>("no-such-scene.vek", "scene");
        opaque = NewMaterial("opaque", 1.0f, false);
        alpha = NewMaterial("alpha", 1.0f, true);
        Build(c.kinds);
        partitionTransparent(*scene);
        SetDistances(c.distances);
        resortTransparent(*scene);
        EXPECT_EQ(Order(), c.order);
    }
}
