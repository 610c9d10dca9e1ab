// The engine2D reader: what it makes of scripts (no GL: the description step), and the
// error log of a script that cannot be loaded.
#include "TempDir.h"
#include "VEK_2D_Script.h"
#include "VEK_2D_Text.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstdio>

namespace {
using script2d::Kind;
using script2d::ObjectSetup;
using script2d::Script;

Script Parse(const std::string& objects)
{
    TiXmlDocument document;
    document.Parse(("<demoproject><engine2D>" + objects + "</engine2D></demoproject>").c_str());
    EXPECT_FALSE(document.Error()) << document.ErrorDesc();
    return script2d::Parse2DScript(document);
}

std::string Format(const char* pattern, const char* first, const char* second = "")
{
    char text[512];
    std::snprintf(text, sizeof text, pattern, first, second);
    return text;
}

TEST(Engine2DReader, FlashTakesItsValuesAndTheNextFreeSlot)
{
    const Script script = Parse(
        R"(<object class="flash" name="white" fadein="0.25" fadeout="0.05" blendfunc="3"><color r="1" g="0.5" b="0.25"/></object>
           <object class="skin" name="between" z="4" file="a.k2d" texturefile="a.jpg"/>
           <object class="flash" name="second"/>)");
    ASSERT_EQ(script.objects.size(), 3u);
    const ObjectSetup& first = script.objects[0];
    EXPECT_EQ(first.kind, Kind::flash);
    EXPECT_EQ(first.slot, 0);
    EXPECT_EQ(first.name, "white");
    EXPECT_FLOAT_EQ(first.red, 1.0f);
    EXPECT_FLOAT_EQ(first.green, 0.5f);
    EXPECT_FLOAT_EQ(first.blue, 0.25f);
    EXPECT_TRUE(first.hasFadeIn && first.hasFadeOut && first.hasBlend);
    EXPECT_FLOAT_EQ(first.fadeIn, 0.25f);
    EXPECT_FLOAT_EQ(first.fadeOut, 0.05f);
    EXPECT_EQ(first.blend, 3);

    const ObjectSetup& second = script.objects[2];
    EXPECT_EQ(second.slot, 1) << "skins do not use flash slots";
    EXPECT_FALSE(second.hasFadeIn || second.hasFadeOut || second.hasBlend) << "absent: the defaults stay";
    EXPECT_FLOAT_EQ(second.red + second.green + second.blue, 3.0f) << "no <color>: white";
    EXPECT_TRUE(second.messages.empty());
}

TEST(Engine2DReader, AColourElementWithoutAChannelLeavesItOff)
{
    const Script script = Parse(R"(<object class="flash"><color r="0.8"/></object>)");
    ASSERT_EQ(script.objects.size(), 1u);
    EXPECT_FLOAT_EQ(script.objects[0].red, 0.8f);
    EXPECT_FLOAT_EQ(script.objects[0].green, 0.0f);
    EXPECT_FLOAT_EQ(script.objects[0].blue, 0.0f);
}

TEST(Engine2DReader, SkinFilesAndMessages)
{
    struct Case {
        const char* attributes;
        bool loadImage, pack, hasMask;
        std::vector<std::string> messages;
    } cases[] = {
        {R"(file="s.k2d" texturefile="b.jpg")", true, false, false, {}},
        {R"(file="s.k2d" texturefile="b.jpg" texturemaskfile="m.jpg" import="1")", true, true, true, {}},
        {R"(file="s.k2d" texturefile="b.jpg" import="2")", true, false, false, {}},
        {R"(texturefile="b.jpg" import="1")", false, true, false, {text2d::kNoSkinFile}},
        {R"(file="s.k2d")", false, false, false, {text2d::kNoSkinTexture}},
        {R"()", false, false, false, {text2d::kNoSkinFile, text2d::kNoSkinTexture}},
    };
    for (const Case& c : cases) {
        const Script script = Parse(std::string(R"(<object class="skin" name="sk" z="12" )") + c.attributes + "/>");
        ASSERT_EQ(script.objects.size(), 1u) << c.attributes;
        const ObjectSetup& skin = script.objects[0];
        EXPECT_EQ(skin.kind, Kind::skin) << c.attributes;
        EXPECT_EQ(skin.slot, 12) << c.attributes;
        EXPECT_EQ(skin.loadImage, c.loadImage) << c.attributes;
        EXPECT_EQ(skin.pack, c.pack) << c.attributes;
        EXPECT_EQ(skin.hasMask, c.hasMask) << c.attributes;
        EXPECT_EQ(skin.messages, c.messages) << c.attributes;
    }
}

TEST(Engine2DReader, SkinsOutsideTheSlotsAreIgnoredWithAMessage)
{
    struct Case {
        const char* z;  // null: no z attribute
        int slot;       // -1: ignored
    } cases[] = {{"0", 0}, {"32", 32}, {"33", -1}, {"-1", -1}, {"99999999999999999999", -1}, {nullptr, -1}};
    for (const Case& c : cases) {
        const std::string z = c.z ? std::string(" z=\"") + c.z + "\"" : "";
        const Script script = Parse(R"(<object class="skin" name="sk")" + z + R"( file="s.k2d" texturefile="b.jpg"/>)");
        ASSERT_EQ(script.objects.size(), 1u);
        const ObjectSetup& skin = script.objects[0];
        if (c.slot >= 0) {
            EXPECT_EQ(skin.kind, Kind::skin) << z;
            EXPECT_EQ(skin.slot, c.slot) << z;
        } else {
            EXPECT_EQ(skin.kind, Kind::ignored) << z;
            EXPECT_EQ(skin.messages, std::vector<std::string>{Format(text2d::kBadSkinSlot, "sk", c.z ? c.z : "")}) << z;
        }
    }
}

TEST(Engine2DReader, LayerValuesSlotsAndTheLayerCount)
{
    const Script script = Parse(
        R"(<object class="layer" name="trail"><layer z="3" xres="128" yres="64" blenda="13" blendb="7" blendc="1" blendd="2" blur="0.2" strenght="0.9"/></object>
           <object class="layer" name="plain"><layer z="1" xres="32" yres="32"/></object>
           <object class="layer" name="glowish"><layer z="16" xres="32" yres="32"/></object>
           <object class="layer" name="bare"/>)");
    ASSERT_EQ(script.objects.size(), 4u);
    const script2d::LayerSpec& trail = script.objects[0].layer;
    EXPECT_EQ(script.objects[0].slot, 3);
    EXPECT_EQ(trail.xres, 128);
    EXPECT_EQ(trail.yres, 64);
    EXPECT_EQ(trail.blenda, 13);  // mapped to factor indices by the render target
    EXPECT_EQ(trail.blendb, 7);
    EXPECT_EQ(trail.blendc, 1);
    EXPECT_EQ(trail.blendd, 2);
    EXPECT_FLOAT_EQ(trail.blur, 0.2f);
    EXPECT_FLOAT_EQ(trail.strength, 0.9f);

    const script2d::LayerSpec& plain = script.objects[1].layer;
    EXPECT_EQ(plain.blenda, 4);
    EXPECT_EQ(plain.blendb, 1);
    EXPECT_EQ(plain.blendc, 4);
    EXPECT_EQ(plain.blendd, 4);
    EXPECT_FLOAT_EQ(plain.blur, 0.03f);
    EXPECT_FLOAT_EQ(plain.strength, 0.6f);

    EXPECT_EQ(script.objects[2].kind, Kind::ignored) << "slot 16 is the glow layer's";
    EXPECT_EQ(script.objects[2].messages, std::vector<std::string>{Format(text2d::kBadLayerSlot, "glowish", "16")});
    EXPECT_EQ(script.objects[3].kind, Kind::ignored);
    EXPECT_EQ(script.objects[3].messages, std::vector<std::string>{Format(text2d::kNoLayerElement, "bare")});

    EXPECT_EQ(script.layerCount, 4) << "slots 0 to 3 are looked at each frame, so slot 3 takes part";
}

TEST(Engine2DReader, FlashesBeyondSixteenAreCountedButNotUsed)
{
    std::string objects;
    for (int i = 0; i < 18; ++i) objects += R"(<object class="flash" name="f)" + std::to_string(i) + R"("/>)";
    const Script script = Parse(objects);
    EXPECT_EQ(script.flashesInScript, 18);
    ASSERT_EQ(script.objects.size(), 16u);
    EXPECT_EQ(script.objects.back().slot, 15);
    EXPECT_EQ(script.objects.back().name, "f15");
}

TEST(Engine2DReader, SectionsAndObjectsItDoesNotKnowAreSkipped)
{
    struct Case {
        const char* document;
        std::size_t objects;
    } cases[] = {
        {"<demoproject/>", 0},
        {"<demoproject><engine2D/></demoproject>", 0},
        {"<other><engine2D><object class=\"flash\"/></engine2D></other>", 0},
        {"<demoproject><engine2D><object class=\"sprite\"/><object/><thing class=\"flash\"/>"
         "<!--object--><object class=\"flash\"/></engine2D></demoproject>",
         1},
    };
    for (const Case& c : cases) {
        TiXmlDocument document;
        document.Parse(c.document);
        ASSERT_FALSE(document.Error()) << c.document;
        const Script script = script2d::Parse2DScript(document);
        EXPECT_TRUE(script.loaded);
        EXPECT_EQ(script.objects.size(), c.objects) << c.document;
        EXPECT_EQ(script.layerCount, 0);
    }
}

TEST(Engine2DReader, NumbersThatAreNotFiniteCountAsZero)
{
    const Script script = Parse(R"(<object class="flash" fadein="1e999" fadeout="nan"><color r="inf" g="0.5" b="-1e999"/></object>)");
    ASSERT_EQ(script.objects.size(), 1u);
    const ObjectSetup& flash = script.objects[0];
    EXPECT_FLOAT_EQ(flash.fadeIn, 0.0f);
    EXPECT_FLOAT_EQ(flash.fadeOut, 0.0f);
    EXPECT_FLOAT_EQ(flash.red, 0.0f);
    EXPECT_FLOAT_EQ(flash.green, 0.5f);
    EXPECT_FLOAT_EQ(flash.blue, 0.0f);
}

TEST(Engine2DReader, AScriptThatCannotBeLoadedIsLoggedAndConfiguresNothing)
{
    struct Case {
        const char* name;
        const char* text;  // null: no file
    } cases[] = {
        {"broken", "<demoproject><engine2D><object class=\"flash\" name=\"x\"></engine2D></demoproject>"},
        {"empty", ""},
        {"missing", nullptr},
    };
    for (const Case& c : cases) {
        TempDir dir;
        ScopedChdir in(dir.path());
        if (c.text) dir.write("demotest.xml", c.text);
        TiXmlDocument expected("demotest.xml");
        ASSERT_FALSE(expected.LoadFile()) << c.name;

        Object2D flashes[script2d::kFlashSlots], skins[script2d::kSkinSlots], layers[script2d::kLayerSlots];
        EXPECT_EQ(script2d::Read2DScript("demotest.xml", {flashes, skins, layers}), -1) << c.name;
        EXPECT_EQ(dir.read("2d_XMLScriptError.LOG"),
                  std::string("Could not load test file 'demotest.xml'. Error='") + expected.ErrorDesc() + "'. Exiting.\n")
            << c.name;
        EXPECT_STREQ(flashes[0].name, "") << c.name;
    }
}

}  // namespace
