// Things, their lists, and the records' derived values.
#include "TempDir.h"
#include "VEK_Scene.h"
#include "VEK_SceneRecords.h"
#include "VEK_Thing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
// Counts its destructions, to show that lists own their elements.
struct Counted : Thing {
    explicit Counted(const std::string& name, int* deaths) : Thing(name), deaths_(deaths) {}
    ~Counted() override { ++*deaths_; }
    int* deaths_;
};
}  // namespace

TEST(ThingList, InsertsAtTheFrontAndFindsByExactName)
{
    int deaths = 0;
    {
        ThingList list;
        EXPECT_EQ(list.find("a"), nullptr);
        EXPECT_EQ(list.at(0), nullptr);
        auto* first = new Counted("a", &deaths);
        auto* second = new Counted("b", &deaths);
        auto* again = new Counted("a", &deaths);
        list.insert(first);
        list.insert(second);
        list.insert(again);
        EXPECT_EQ(list.count(), 3u);
        EXPECT_EQ(list.find("a"), again);   // the one inserted last
        EXPECT_EQ(list.find("A"), nullptr);
        EXPECT_EQ(list.find("b "), nullptr);
        EXPECT_EQ(list.at(1), second);
        EXPECT_EQ(list.at(2), first);
        EXPECT_EQ(list.at(3), nullptr);
        std::vector<Thing*> order;
        for (Thing* thing : list.each()) order.push_back(thing);
        EXPECT_EQ(order, (std::vector<Thing*>{again, second, first}));
        EXPECT_TRUE(first->enabled);
    }
    EXPECT_EQ(deaths, 3);
}

TEST(CameraRecord, DerivedValuesFollowTheReferenceDistance)
{
    struct Case {
        Vector3 position, target;
        float d;
    };
    const Case cases[] = {{{1, 2, 3}, {2, 4, 7}, std::sqrt(7.0f)}, {{5, 5, 5}, {5, 5, 5}, 0}, {{0, 0, 0}, {-3, 4, -9}, 4}};
    for (const Case& c : cases) {
        Camera camera("cam", c.position, c.target, {1, 0, 0, 90}, 45);
        EXPECT_EQ(camera.type, kThingCamera);
        EXPECT_FLOAT_EQ(camera.distance, c.d);
        EXPECT_FLOAT_EQ(camera.fogEnd, c.d / 2);
        EXPECT_FLOAT_EQ(camera.halfDistance, c.d / 2);
        EXPECT_FLOAT_EQ(camera.nearDistance, c.d / 1.8f);
        EXPECT_FLOAT_EQ(camera.jumpSpeed, c.d * 8.6f);
        EXPECT_FLOAT_EQ(camera.gravityVector.y, c.d / 10.7f);
        EXPECT_FLOAT_EQ(camera.startHeight, c.position.y);
        EXPECT_EQ(camera.fogMode, GLenum(GL_LINEAR));
        EXPECT_TRUE(camera.wallTest);
        EXPECT_FLOAT_EQ(camera.viewport[2], 512.0f);
    }
}

TEST(MaterialRecord, SlotsHoldTheMaterialAndItsSubMaterials)
{
    Material multi("multi", 0, {}, 10, 1);
    multi.setSlots(true, 3);
    auto* zero = new Material("zero", 0, {}, 0, 1);
    auto* one = new Material("one", 1, {}, 0, 1);
    auto* two = new Material("two", 2, {}, 0, 1);
    multi.setSubMaterial(0, zero);   // dropped: slot 0 is the material itself
    multi.setSubMaterial(1, one);
    multi.setSubMaterial(2, two);
    multi.setSubMaterial(10, new Material("beyond", 10, {}, 0, 1));   // dropped
    EXPECT_TRUE(multi.hasSubMaterials);
    EXPECT_EQ(multi.subMaterialCount, 3u);
    EXPECT_EQ(multi.slot(0), &multi);
    EXPECT_EQ(multi.slot(1), one);
    EXPECT_EQ(multi.slot(2), two);
    EXPECT_EQ(multi.slot(3), nullptr);
    EXPECT_EQ(multi.slot(99), nullptr);

    multi.setTextureFile(2, "two.jpg");
    multi.setTextureFile(7, "nowhere.jpg");
    EXPECT_EQ(two->image.fileName, "two.jpg");

    Material plain("plain", 1, {}, 10, 1);
    plain.setSlots(false, 5);
    EXPECT_FALSE(plain.hasSubMaterials);
    EXPECT_EQ(plain.subMaterialCount, 1u);
}

TEST(SceneRecord, DefaultsBeforeLoading)
{
    TempDir folder;
    ScopedChdir into(folder.path());
    Scene scene("no-such-file.bin", "named");
    EXPECT_EQ(scene.type, kThingScene);
    EXPECT_EQ(scene.name, "named");
    EXPECT_TRUE(scene.loader.failed);
    EXPECT_TRUE(scene.showFps);
    EXPECT_FLOAT_EQ(scene.far, 67535.0f);
    EXPECT_FLOAT_EQ(scene.near, 2.75f);
    EXPECT_FLOAT_EQ(scene.updateRate, 35.0f);
    EXPECT_EQ(scene.filePath, "no-such-file.bin");
}
