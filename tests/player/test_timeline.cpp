// The interactive timeline's key rows and the timed events, on a demo engine without
// a window: the rows change the engine's state, which is what these tests read.
#include "TempDir.h"
#include "VEK_DemoEngine.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kShift = 16;
constexpr int kControl = 17;

struct Keys {
    unsigned char table[256] = {};
    Keys(std::initializer_list<int> down)
    {
        for (int key : down) table[key] = 1;
    }
};

std::unique_ptr<DemoEngine> InteractiveDemo()
{
    auto demo = std::make_unique<DemoEngine>();
    demo->interactive = true;
    demo->updateRate = 90;
    demo->selectedLayer = 2;
    demo->emitterSwitch = true;
    return demo;
}

struct RowCase {
    const char* what;
    std::vector<int> keys;
    std::function<bool(const DemoEngine&)> holds;
};

TEST(Timeline, KeyRowsActOnTheirModifiersOnly)
{
    const RowCase cases[] = {
        {"L alone: layers mode on", {'L'}, [](const DemoEngine& d) { return d.layersMode; }},
        {"Shift+L: layers mode off", {kShift, 'L'}, [](const DemoEngine& d) { return !d.layersMode; }},
        {"Ctrl+L is the frame hoop, not layers mode", {kControl, 'L'}, [](const DemoEngine& d) { return !d.layersMode; }},
        {"Shift+F11: glow on", {kShift, 0x7A}, [](const DemoEngine& d) { return d.glowOn; }},
        {"F11 alone: nothing", {0x7A}, [](const DemoEngine& d) { return !d.glowOn; }},
        {"Shift+P: radial switch on", {kShift, 'P'}, [](const DemoEngine& d) { return d.radialSwitch; }},
        {"Shift+0: radial switch on", {kShift, '0'}, [](const DemoEngine& d) { return d.radialSwitch; }},
        {"Ctrl+T flips the radial switch", {kControl, 'T'}, [](const DemoEngine& d) { return d.radialSwitch; }},
        {"1: update rate 25", {'1'}, [](const DemoEngine& d) { return d.updateRate == 25; }},
        {"2: update rate 35", {'2'}, [](const DemoEngine& d) { return d.updateRate == 35; }},
        {"Shift+1 keeps the rate", {kShift, '1'}, [](const DemoEngine& d) { return d.updateRate == 90; }},
        {"Shift+4: update rate 30", {kShift, '4'}, [](const DemoEngine& d) { return d.updateRate == 30; }},
        {"Shift+8: update rate 35", {kShift, '8'}, [](const DemoEngine& d) { return d.updateRate == 35; }},
        {"Z: skin 0", {'Z'}, [](const DemoEngine& d) { return d.skinEnabled[0] == 1 && d.skins[0].active; }},
        {"B: skin 9", {'B'}, [](const DemoEngine& d) { return d.skinEnabled[9] == 1; }},
        {"Shift+Z: skin 12", {kShift, 'Z'}, [](const DemoEngine& d) { return d.skinEnabled[12] == 1 && !d.skinEnabled[0]; }},
        {"Shift+B: skin 16", {kShift, 'B'}, [](const DemoEngine& d) { return d.skinEnabled[16] == 1; }},
        {"Shift+N flips glow", {kShift, 'N'}, [](const DemoEngine& d) { return d.glowOn; }},
        {"F: flash 0", {'F'}, [](const DemoEngine& d) { return d.flashEnabled[0] == 1 && d.flashes[0].active; }},
        {"Ctrl+G: flash 1 (G needs only no Shift)", {kControl, 'G'}, [](const DemoEngine& d) { return d.flashEnabled[1] == 1; }},
        {"Ctrl+H: frame speed, not flash 2", {kControl, 'H'}, [](const DemoEngine& d) { return !d.flashEnabled[2]; }},
        {"K alone: layer 0 toggled and selected",
         {'K'},
         [](const DemoEngine& d) { return d.layers[0].layerEnabled && d.selectedLayer == 0; }},
        {"J alone fires two rows: layer 3 and flash 3",
         {'J'},
         [](const DemoEngine& d) { return d.layers[3].layerEnabled && d.selectedLayer == 3 && d.flashEnabled[3]; }},
        {"O alone flips the emitter switch", {'O'}, [](const DemoEngine& d) { return !d.emitterSwitch; }},
        {"Shift+Y raises the layer blur", {kShift, 'Y'}, [](const DemoEngine& d) { return d.layerBlur > 0.0f; }},
        {"Shift+T keeps the blur at 0", {kShift, 'T'}, [](const DemoEngine& d) { return d.layerBlur == 0.0f; }},
        {"Shift+I raises the layer strength", {kShift, 'I'}, [](const DemoEngine& d) { return d.layerStrength > 0.0f; }},
        {"Shift+O: radial preset applied to the selected layer",
         {kShift, 'O'},
         [](const DemoEngine& d) {
             return d.radialSwitch && d.layers[2].target.radialOn && d.layers[2].target.radial.passes == 4;
         }},
        {"Ctrl+P: preset set but not applied",
         {kControl, 'P'},
         [](const DemoEngine& d) {
             return d.radialSwitch && !d.layers[2].target.radialOn && d.layers[2].target.radial.passes == 6;
         }},
    };
    for (const RowCase& c : cases) {
        auto demo = InteractiveDemo();
        Keys keys({});
        for (int key : c.keys) keys.table[key] = 1;
        demo->RunTimeline(keys.table);
        EXPECT_TRUE(c.holds(*demo)) << c.what;
    }
}

TEST(Timeline, SceneKeysNameTheSelectedLayerOnlyInLayersMode)
{
    auto demo = InteractiveDemo();
    demo->RunTimeline(Keys({'2'}).table);
    EXPECT_STREQ(demo->layers[2].SceneName(), "");
    demo->layersMode = true;
    demo->RunTimeline(Keys({'2'}).table);
    EXPECT_STREQ(demo->layers[2].SceneName(), "TEST002");
    demo->RunTimeline(Keys({'4'}).table);   // keys 4 to 6 never name the layer
    EXPECT_STREQ(demo->layers[2].SceneName(), "TEST002");
    demo->RunTimeline(Keys({'Q'}).table);
    EXPECT_STREQ(demo->layers[2].CameraName(), "Camera01");
}

TEST(Timeline, HoldingShiftYTakesTheBlurToOneAndHoldsIt)
{
    auto demo = InteractiveDemo();
    const Keys keys({kShift, 'Y'});
    for (int pass = 0; pass < 999; ++pass) demo->RunTimeline(keys.table);
    EXPECT_FLOAT_EQ(demo->layerBlur, 0.999f);
    demo->RunTimeline(keys.table);
    EXPECT_EQ(demo->layerBlur, 1.0f) << "1,000 passes reach 1.0 exactly";
    EXPECT_EQ(demo->layers[2].target.blur, 1.0f);
    for (int pass = 0; pass < 50; ++pass) demo->RunTimeline(keys.table);
    EXPECT_FLOAT_EQ(demo->layerBlur, 1.0f);
    EXPECT_FLOAT_EQ(demo->layers[2].target.blur, 1.0f);
}

TEST(Timeline, ShiftZTogglesItsSkin)
{
    auto demo = InteractiveDemo();
    const Keys keys({kShift, 'Z'});
    demo->RunTimeline(keys.table);
    EXPECT_EQ(demo->skinEnabled[12], 1);
    demo->RunTimeline(keys.table);
    EXPECT_EQ(demo->skinEnabled[12], 0);
    EXPECT_FALSE(demo->skins[12].active);
}

TEST(Timeline, InteractiveOffDoesNothing)
{
    auto demo = InteractiveDemo();
    demo->interactive = false;
    Keys keys({});
    for (int key = 0; key < 256; ++key) keys.table[key] = 1;
    demo->RunTimeline(keys.table);
    EXPECT_FALSE(demo->layersMode);
    EXPECT_FALSE(demo->glowOn);
    EXPECT_EQ(demo->updateRate, 90);
    EXPECT_EQ(demo->flashEnabled[0], 0);
    EXPECT_EQ(demo->skinEnabled[0], 0);
}

// ---- the FX entries ----------------------------------------------------------------

std::unique_ptr<DemoEngine> DemoWithEffects(const TempDir& dir, const std::string& fx)
{
    dir.write("demotest.xml", "<demoproject><engineDEMO name=\"t\" loadactions=\"1\">" + fx +
                                  "</engineDEMO></demoproject>");
    ScopedChdir in(dir.path());
    auto demo = std::make_unique<DemoEngine>();
    demo->LoadProject("demotest.xml");
    demo->LoadEffects("demotest.xml");
    return demo;
}

TEST(Effects, AttributesCarryOverAndRadialRefills)
{
    TempDir dir;
    auto demo = DemoWithEffects(dir,
        "<FX type=\"2d\" class=\"flash\" name=\"f1\" start=\"1\" end=\"2\" fadein=\"0.5\" fadeout=\"0.25\" "
        "blendfunc=\"3.9\" maxalpha=\"0.8\"/>"
        "<FX type=\"2d\" class=\"skin\" name=\"s1\" start=\"2\" end=\"4\" fadeout=\"0.1\"/>"
        "<FX type=\"2d\" class=\"layer\" name=\"l1\" start=\"3\" blur=\"0.2\"/>"
        "<FX type=\"2d\" class=\"radial\" name=\"l1\" start=\"4\" alphamax=\"0.6\" passes=\"4\" motioncy=\"7\"/>"
        "<FX type=\"3d\" name=\"Camera01\" start=\"5\"/>"
        "<FX type=\"3d\" class=\"hitcam\" name=\"Camera01\" start=\"6\"/>"
        "<FX type=\"other\" name=\"x\" start=\"7\"/>"
        "<FX name=\"x\" start=\"7\"/>");
    const EventList& events = demo->events;
    ASSERT_EQ(events.count, 6);
    const float* flash = events.entries[0].parameters;
    EXPECT_FLOAT_EQ(flash[0], 0.5f);
    EXPECT_FLOAT_EQ(flash[1], 0.25f);
    EXPECT_FLOAT_EQ(flash[2], 3.0f);   // blendfunc is an integer
    EXPECT_FLOAT_EQ(flash[3], 0.8f);
    const float* skin = events.entries[1].parameters;
    EXPECT_FLOAT_EQ(skin[0], 0.5f);    // carried over from the element before
    EXPECT_FLOAT_EQ(skin[1], 0.1f);
    const float* layer = events.entries[2].parameters;
    EXPECT_FLOAT_EQ(layer[0], 0.2f);   // blur overwrites fadein
    EXPECT_FLOAT_EQ(layer[1], 0.1f);
    EXPECT_FLOAT_EQ(events.entries[2].end, 3.0f);   // no end: no hold
    const float* radial = events.entries[3].parameters;
    EXPECT_FLOAT_EQ(radial[0], 0.6f);
    EXPECT_FLOAT_EQ(radial[1], 0.1f);  // not given: carried over
    EXPECT_FLOAT_EQ(radial[2], 4.0f);
    EXPECT_FLOAT_EQ(radial[9], 7.0f);
    EXPECT_EQ(events.entries[2].eventClass, 2);
    EXPECT_EQ(events.entries[3].eventClass, 4);
    EXPECT_EQ(events.entries[4].type, 1);
    EXPECT_EQ(events.entries[4].eventClass, 20);
    EXPECT_EQ(events.entries[5].eventClass, 0);
}

// A nameless event would otherwise act on the first slot nobody named (slot 0 of each kind).
TEST(Effects, EventsWithoutANameAreSkippedWithOneLine)
{
    plat::UseVirtualClock(true);
    TempDir dir;
    testing::internal::CaptureStderr();
    auto demo = DemoWithEffects(dir,
        "<FX type=\"2d\" class=\"flash\" start=\"0.1\"/>"
        "<FX type=\"2d\" class=\"skin\" name=\"\" start=\"0.1\"/>"
        "<FX type=\"2d\" class=\"layer\" start=\"0.1\"/>"
        "<FX type=\"2d\" class=\"radial\" start=\"0.1\" alphamax=\"0.6\"/>"
        "<FX type=\"3d\" start=\"0.1\"/>"
        "<FX type=\"2d\" class=\"r2txt\" start=\"0.1\"/>"
        "<FX type=\"2d\" class=\"flash\" name=\"f1\" start=\"0.1\"/>");
    const std::string messages = testing::internal::GetCapturedStderr();
    const std::string line = "demotest.xml: 5 FX element(s) without a name were skipped.\n";
    const size_t at = messages.find(line);
    EXPECT_NE(at, std::string::npos) << messages;
    EXPECT_EQ(messages.find("without a name", at + line.size()), std::string::npos) << "said once: " << messages;
    ASSERT_EQ(demo->events.count, 2);
    EXPECT_EQ(demo->events.entries[0].eventClass, EventCode::kR2txt);
    EXPECT_STREQ(demo->events.entries[1].name, "f1");

    // Even an event with an empty name that reaches the list finds no slot.
    demo->actionsFire = true;
    demo->events.Append(EventCode::kType2D, EventCode::kLayer, 0.0f, 0.0f, "", nullptr);
    demo->events.Append(EventCode::kType2D, EventCode::kFlash, 0.0f, 0.0f, "", nullptr);
    demo->sound.StartClock();
    plat::AdvanceClock(1000000);
    for (int frame = 0; frame < 4; ++frame) demo->UpdateFrame();
    EXPECT_EQ(demo->events.cursor, 4);
    EXPECT_TRUE(demo->layersMode) << "only the r2txt event flips it";
    EXPECT_EQ(demo->events.entries[2].fired, 0);
    EXPECT_EQ(demo->events.entries[3].fired, 0);
    EXPECT_EQ(demo->flashEnabled[0], 0);
    EXPECT_FALSE(demo->layers[0].active);
    plat::UseVirtualClock(false);
}

TEST(Effects, NothingIsLoadedWithoutLoadActions)
{
    TempDir dir;
    dir.write("demotest.xml",
              "<demoproject><engineDEMO name=\"t\"><FX type=\"2d\" class=\"flash\" name=\"f\"/></engineDEMO></demoproject>");
    ScopedChdir in(dir.path());
    DemoEngine demo;
    demo.LoadProject("demotest.xml");
    demo.LoadEffects("demotest.xml");
    EXPECT_EQ(demo.events.count, 0);
}

// Start-up order: the music is started (and the list seeked) before the events are
// loaded, so early events are not skipped; they fire one per frame.
TEST(Effects, EarlyEventsFireOnePerFrameAfterStartUp)
{
    plat::UseVirtualClock(true);
    TempDir dir;
    auto demo = DemoWithEffects(dir,
        "<FX type=\"2d\" class=\"r2txt\" name=\"a\" start=\"0.1\"/>"
        "<FX type=\"2d\" class=\"r2txt\" name=\"b\" start=\"0.1\"/>"
        "<FX type=\"2d\" class=\"r2txt\" name=\"c\" start=\"9\"/>");
    demo->events.Reset();
    demo->StartMusic(0);   // no music: the show's clock starts at the start time, 0.2 s
    {
        ScopedChdir in(dir.path());
        demo->LoadEffects("demotest.xml");
    }
    demo->UpdateFrame();
    EXPECT_TRUE(demo->layersMode);
    EXPECT_EQ(demo->events.cursor, 1);
    demo->UpdateFrame();
    EXPECT_FALSE(demo->layersMode);   // the second r2txt flips it back
    EXPECT_EQ(demo->events.cursor, 2);
    demo->UpdateFrame();
    EXPECT_EQ(demo->events.cursor, 2);   // 9 s has not come yet
    plat::UseVirtualClock(false);
}

// Events applied to named 2D slots.
class Events2D : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::UseVirtualClock(true);
        demo->actionsFire = true;
        demo->flashes[2].SetName("red");
        demo->skins[4].SetName("sky");
        demo->layers[1].SetName("trails");
        demo->sound.StartClock();
        plat::AdvanceClock(10000000);   // every event below is due
    }
    void TearDown() override { plat::UseVirtualClock(false); }

    void Add(unsigned char eventClass, const char* name, float start, float end, std::initializer_list<float> values)
    {
        float parameters[EventList::kParameterCount] = {};
        int i = 0;
        for (float value : values) parameters[i++] = value;
        demo->events.Append(EventCode::kType2D, eventClass, start, end, name, parameters);
    }

    std::unique_ptr<DemoEngine> demo = InteractiveDemo();
};

TEST_F(Events2D, FlashEventStartsItsNamedSlotWithTheEventsValues)
{
    Add(EventCode::kFlash, "red", 1.0f, 3.5f, {0.3f, 0.2f, 4.0f, 0.7f});
    demo->UpdateFrame();
    const Object2D& flash = demo->flashes[2];
    EXPECT_EQ(demo->flashEnabled[2], 1);
    EXPECT_TRUE(flash.active);
    EXPECT_FLOAT_EQ(flash.fadeInSpeed, 0.3f);
    EXPECT_FLOAT_EQ(flash.fadeOutSpeed, 0.2f);
    EXPECT_EQ(flash.blendFunc, 4);
    EXPECT_FLOAT_EQ(flash.maxAlpha, 0.7f);
    EXPECT_FLOAT_EQ(flash.holdTime, 2.5f);
    EXPECT_EQ(demo->events.entries[0].fired, 1);
}

TEST_F(Events2D, ZeroSpeedsAndAlphaKeepTheFlashsOwnButASkinTakesAlphaZero)
{
    demo->flashes[2].SetFadeOutSpeed(0.14f);
    demo->flashes[2].SetMaxAlpha(0.9f);
    demo->skins[4].SetMaxAlpha(0.9f);
    Add(EventCode::kFlash, "red", 1.0f, 2.0f, {0.0f, 0.5f, 1.0f, 0.0f});
    Add(EventCode::kSkin, "sky", 1.0f, 2.0f, {0.0f, 0.5f, 1.0f, 0.0f});
    demo->UpdateFrame();
    demo->UpdateFrame();
    EXPECT_FLOAT_EQ(demo->flashes[2].fadeOutSpeed, 0.14f) << "speeds are set only as a pair";
    EXPECT_FLOAT_EQ(demo->flashes[2].maxAlpha, 0.9f);
    EXPECT_FLOAT_EQ(demo->skins[4].maxAlpha, 0.0f);
    EXPECT_EQ(demo->skinEnabled[4], 1);
}

TEST_F(Events2D, AnUnknownNameLeavesTheEventUnmarkedAndMovesOn)
{
    Add(EventCode::kFlash, "nobody", 1.0f, 2.0f, {0.1f, 0.1f, 0.0f, 1.0f});
    Add(EventCode::kFlash, "red", 1.0f, 2.0f, {0.1f, 0.1f, 0.0f, 1.0f});
    demo->UpdateFrame();
    EXPECT_EQ(demo->events.entries[0].fired, 0);
    EXPECT_EQ(demo->events.cursor, 1);
    demo->UpdateFrame();
    EXPECT_EQ(demo->flashEnabled[2], 1);
}

TEST_F(Events2D, LayerEventsFlipLayersModeEachTime)
{
    std::strcpy(demo->currentScene, "city");
    std::strcpy(demo->currentCamera, "Camera01");
    Add(EventCode::kLayer, "trails", 1.0f, 1.0f, {0.5f, 0.25f, 0.0f, 0.0f});
    Add(EventCode::kLayer, "trails", 2.0f, 2.0f, {0.0f, 0.0f, 0.0f, 0.0f});
    demo->UpdateFrame();
    EXPECT_TRUE(demo->layersMode);
    EXPECT_EQ(demo->selectedLayer, 1);
    EXPECT_STREQ(demo->layers[1].SceneName(), "city");
    EXPECT_STREQ(demo->layers[1].CameraName(), "Camera01");
    EXPECT_FLOAT_EQ(demo->layers[1].target.blur, 0.5f);
    EXPECT_FLOAT_EQ(demo->layers[1].target.strength, 0.25f);
    demo->UpdateFrame();
    EXPECT_FALSE(demo->layersMode);
}

}  // namespace
