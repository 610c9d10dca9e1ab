// The engine script: every key reaches its field on a small loaded scene.
#include "../engine/SceneFixtures.h"
#include "TempDir.h"
#include "VEK_EngineScript.h"
#include "VEK_Scene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <fstream>
#include <functional>

namespace {
std::unique_ptr<Scene> Loaded(const TempDir& dir)
{
    scenefile::SceneRecords records = fixtures::FullScene();
    records.objects.push_back(fixtures::Triangle("Tri"));
    records.materials.push_back(fixtures::MultiMaterial(std::uint32_t(records.materials.size()), "Multi", 3));
    records.cameras.push_back(fixtures::StillCamera("Camera02"));
    records.lights.push_back(fixtures::Omni("Omni01"));
    const auto bytes = fixtures::Bytes(records);
    std::ofstream(dir / "s.vek", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return LoadSceneFile((dir / "s.vek").string(), "S");
}

struct Case {
    const char* xml;                       // children and attributes of the scene element
    std::function<bool(Scene&)> reached;   // the field the key must reach
};

TEST(EngineScript, EveryKeyReachesItsField)
{
    TempDir dir;
    ScopedChdir in(dir.path());
    const std::string object = fixtures::FullScene().objects.front().name;
    const Case cases[] = {
        {R"(<scene near="1.5" far="900" showfps="0" fps="50"/>)",
         [](Scene& s) { return s.near == 1.5f && s.far == 900.0f && !s.showFps && s.updateRate == 50.0f; }},
        {R"(<scene><camera name="Camera02" current="" gravity="1" fov="40" walltest="0"/></scene>)",
         [](Scene& s) {
             Camera* c = s.findCamera("Camera02");
             return s.activeCamera == c && c->gravity && c->fov == 40.0f && !c->wallTest;
         }},
        {R"(<scene><camera name="Camera01" radius="13" jumpforce="2"/></scene>)",
         [](Scene& s) {
             Camera* c = s.findCamera("Camera01");
             return c->distance == 13.0f && c->halfDistance == 6.5f && c->nearDistance == 13.0f / 1.8f &&
                    c->jumpSpeed == 26.0f && c->collisionRadius[0] == 10.0f && c->collisionRadius[2] == 5.0f;
         }},
        {R"(<scene><camera name="Camera01" x="1" y="2" width="30" height="40"><hitcam p="3" q="4" speed="5"/>)"
         R"(<fogosity start="1" end="9" density="0.5" mode="2" r="0.2" g="0.3" b="0.4"/></camera></scene>)",
         [](Scene& s) {
             Camera* c = s.findCamera("Camera01");
             return c->viewport[2] == 30.0f && c->sweep.built && c->sweep.step == 5 && c->sweep.offsetY[0] == 4.0f &&
                    c->fogEnabled && c->fogEnd == 9.0f && c->fogMode == GL_EXP && c->fogColour[2] == 0.4f;
         }},
        {R"(<scene><camera name="Camera01" x="-100" y="2" width="30" height="40"/></scene>)",
         [](Scene& s) { return s.findCamera("Camera01")->viewport[2] == 512.0f; }},
        {R"(<scene><camera name="Camera01" radius="10"><gravityforce x="5" y="10" z="15"/><fogosity mode="3"/></camera></scene>)",
         [](Scene& s) {
             Camera* c = s.findCamera("Camera01");
             const Vector3& g = c->gravityVector;   // divided by the half distance, 5
             return g.x == 1.0f && g.y == 2.0f && g.z == 3.0f && c->fogEnabled && c->fogMode == GL_LINEAR;
         }},
        {R"(<scene><light name="Omni01" attenuation="0.3" attenuationmode="3" glowstep="2" useflare="0" flaresize="7")"
         R"( infsize="1"><blocklight incstep="1" decstep="2" limitsup="3"/><ambient r="0.1" g="0.2" b="0.3"/></light></scene>)",
         [](Scene& s) {
             OmniLight* l = s.findOmniLight("Omni01");
             return l->baseAttenuation == 0.3f && l->currentAttenuation == 0.3f &&
                    l->attenuationMode == GL_LINEAR_ATTENUATION && l->glowStep == 2.0f && !l->glowEnabled &&
                    l->glowMax == 7.0f && l->glowMin == 1.0f && l->blockLight && l->limitSup == 3.0f &&
                    l->colours.ambient[1] == 0.2f && l->colours.ambient[3] == 1.0f;
         }},
        {R"(<scene><light name="Omni01" anglecut="30" angleexp="2"><diffuse r="0.4" g="0.5" b="0.6"/>)"
         R"(<specular r="0.7" g="0.8" b="0.9"/></light></scene>)",
         [](Scene& s) {
             OmniLight* l = s.findOmniLight("Omni01");
             return l->spotCutoff == 30.0f && l->spotExponent == 2.0f && l->colours.diffuse[2] == 0.6f &&
                    l->colours.specular[0] == 0.7f && l->colours.specular[3] == 1.0f;
         }},
        {R"(<scene><material name="Plain" alpha="1"><ambient r="0.1" g="0.2" b="0.3"/><specular r="0.4" g="0.5" b="0.6"/>)"
         R"(</material></scene>)",
         [](Scene& s) {
             Material* m = s.findMaterial("Plain");
             return m->alpha && m->colours.ambient[2] == 0.3f && m->colours.specular[1] == 0.5f;
         }},
        {R"(<scene><material name="Multi"><submaterial name="Multi_sub2" shiny="5" env="1" combine="4" emission="0.5">)"
         R"(<diffuse r="0.1" g="0.1" b="0.1"/><ambient r="0.2" g="0.2" b="0.2"/><specular r="0.3" g="0.3" b="0.3"/>)"
         R"(</submaterial></material></scene>)",
         [](Scene& s) {
             Material* m = s.findMaterial("Multi");
             Material* sub = m->slot(2);
             return sub && sub->name == "Multi_sub2" && sub->shiny == 5.0f && sub->env && sub->combine == 4 &&
                    sub->emission == 0.5f && sub->colours.diffuse[0] == 0.1f && sub->colours.ambient[0] == 0.2f &&
                    sub->colours.specular[0] == 0.3f && !m->env && m->combine == 0;
         }},
        {R"(<scene><material name="Multi" shiny="9" blendfunc="4" use="0" env="1" opacity="0.5" bump="1" multipass="1")"
         R"( glossalpha="1" glossbump="1" combine="2" twoside="0" faceted="1" emission="0.7"><wire r="1" g="0" b="0" size="3"/>)"
         R"(<diffuse r="0.5" g="0.5" b="0.5"/></material></scene>)",
         [](Scene& s) {
             Material* m = s.findMaterial("Multi");
             return m->shiny == 9.0f && m->blendfunc == 4 && !m->enabled && m->env && m->opacity == 0.5f && m->bump &&
                    m->multipass && m->glossalpha && m->glossbump && m->combine == 2 && m->twoside && m->faceted &&
                    m->emission == 0.7f && m->wire && m->wireSize == 3.0f && m->baseColours.ambient[0] == 1.0f &&
                    m->colours.diffuse[0] == 0.5f;
         }},
        {R"(<scene><material name="Multi"><submaterial name="Multi_sub1" opacity="0.25" blendfunc="3"><txt2rgba r="1" g="2" b="3" a="4"/></submaterial>)"
         R"(<submaterial name="none" shiny="77"/></material></scene>)",
         [](Scene& s) {
             Material* m = s.findMaterial("Multi");
             Material* sub = nullptr;
             for (std::uint32_t slot = 1; slot < m->subMaterialCount; ++slot)
                 if (m->slot(slot) && m->slot(slot)->name == "Multi_sub1") sub = m->slot(slot);
             return sub && sub->opacity == 0.25f && sub->subMaterialBlend == 3 && sub->blendfunc == 0 &&
                    sub->txt2rgba[3] == 4.0f && m->shiny == 77.0f;
         }},
        {R"(<scene><object name="Tri" impostor="0" S="4" D="5"><particle maxparts="7" gx="1" gy="2" gz="3" maxsize="9" minsize="2")"
         R"( spawn="0.5" userays="1" minx="-1" miny="-2" minz="-3" maxx="1" maxy="2" maxz="3" sx="1" sy="1" sz="1" r="0.1" g="0.2" b="0.3"/></object></scene>)",
         [](Scene& s) {
             SceneObject* o = s.findObject("Tri");
             const ParticleEmitter& e = o->emitter;
             return o->impostor && o->S == 4 && o->D == 5 && o->isEmitter && e.Spawn() == 0.5f && e.Rays() && !e.Loaded();
         }},
        {R"(<scene><object name="Tri"><particle longeva="3" tracex="20" tracey="30" mode="1" filename="none.k2d"/></object></scene>)",
         [](Scene& s) {
             const ParticleEmitter& e = s.findObject("Tri")->emitter;
             return e.Path() != nullptr && !e.Loaded() && e.ParticleCount() == 0;   // nothing is loaded here
         }},
    };
    for (const Case& c : cases) {
        auto scene = Loaded(dir);
        ASSERT_TRUE(scene);
        TiXmlDocument document;
        document.Parse(c.xml);
        ASSERT_TRUE(document.RootElement()) << c.xml;
        ScriptLog log((dir / "log.txt").string());
        ApplyScript(*scene, *document.RootElement(), log, ScriptOptions{false, {}});
        EXPECT_TRUE(c.reached(*scene)) << c.xml;
        EXPECT_EQ(log.lines(), 0) << c.xml;
    }
}

TEST(EngineScript, RegionsFollowTheirAttributesAndDefaults)
{
    TempDir dir;
    ScopedChdir in(dir.path());
    auto scene = Loaded(dir);
    const std::string object = fixtures::FullScene().objects.front().name;
    TiXmlDocument document;
    const std::string xml = "<scene><object name=\"" + object +
                            "\"><animregion name=\"r1\"/><animregion name=\"r2\" start=\"2\" end=\"5\" nloops=\"3\" forward=\"0\"/></object></scene>";
    document.Parse(xml.c_str());
    ScriptLog log((dir / "log.txt").string());
    ApplyScript(*scene, *document.RootElement(), log, ScriptOptions{false, {}});
    AnimController* controller = scene->findObject(object)->controller;
    ASSERT_TRUE(controller);
    auto* r1 = controller->regions.findAs<AnimRegion>("r1");
    auto* r2 = controller->regions.findAs<AnimRegion>("r2");
    ASSERT_TRUE(r1 && r2);
    EXPECT_EQ(r1->start, 0u);
    EXPECT_EQ(r1->end, 100u);
    EXPECT_TRUE(r1->looping);
    EXPECT_TRUE(r1->forward);
    EXPECT_EQ(r2->loops, 3);
    EXPECT_FALSE(r2->forward);
}
}  // namespace
