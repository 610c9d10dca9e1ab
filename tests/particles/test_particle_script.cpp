// The script's particle element: which keys are read, which groups apply, and the
// emitter it starts (a file without images, so no GL context is needed).
#include "ParticleFixtures.h"
#include "VEK_Particle_Emit.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>

namespace {

// Parses one element and hands it to a check while the document lives.
template <typename Check>
void WithElement(const std::string& xml, Check check)
{
    TiXmlDocument document;
    document.Parse(xml.c_str());
    ASSERT_FALSE(document.Error()) << document.ErrorDesc();
    ASSERT_NE(document.RootElement(), nullptr);
    check(*document.RootElement());
}

TEST(ParticleScript, ReadsEveryKeyOfAFullElement)
{
    WithElement(R"(<particle maxparts="300" longeva="2.5" gx="1.5" gy="2" gz="3" maxsize="9.5" minsize="4"
                 spawn="0.4" userays="1" minx="-1" miny="-2" minz="-3" maxx="1" maxy="2" maxz="3"
                 sx="4" sy="5" sz="6" r="0.1" g="0.2" b="0.3" tracex="10" tracey="20" mode="2" filename="a.k2d">
                 <texture import="1"><texturefile file="one.jpg"/><texturefile file="two.jpg"/></texture></particle>)",
                [](const TiXmlElement& e) {
                    const ParticleSettings s = ReadParticleSettings(e);
                    EXPECT_EQ(s.maxParts, 300);
                    EXPECT_FLOAT_EQ(s.longeva, 2.5f);
                    EXPECT_TRUE(s.hasAcceleration && s.hasSizes && s.hasSpawn && s.hasRays && s.hasBox && s.hasSpeed &&
                                s.hasColour && s.hasTrace);
                    EXPECT_FLOAT_EQ(s.gx, 1.5f);
                    EXPECT_FLOAT_EQ(s.gz, 3);
                    EXPECT_FLOAT_EQ(s.maxSize, 9.5f);
                    EXPECT_FLOAT_EQ(s.minSize, 4);
                    EXPECT_FLOAT_EQ(s.spawn, 0.4f);
                    EXPECT_TRUE(s.rays);
                    EXPECT_EQ(s.minZ, -3);
                    EXPECT_EQ(s.maxY, 2);
                    EXPECT_FLOAT_EQ(s.sy, 5);
                    EXPECT_FLOAT_EQ(s.b, 0.3f);
                    EXPECT_FLOAT_EQ(s.traceY, 20);
                    EXPECT_EQ(s.mode, 2);
                    EXPECT_EQ(s.fileName, "a.k2d");
                    EXPECT_TRUE(s.import);
                    EXPECT_EQ(s.textureFiles, (std::vector<std::string>{"one.jpg", "two.jpg"}));
                });
}

TEST(ParticleScript, GroupsApplyOnlyWithTheirFirstKey)
{
    WithElement(R"(<particle gy="2" minsize="3" maxy="4" sy="5" g="6" tracey="7" mode="1"/>)",
                [](const TiXmlElement& e) {
                    const ParticleSettings s = ReadParticleSettings(e);
                    EXPECT_FALSE(s.hasAcceleration || s.hasSizes || s.hasBox || s.hasSpeed || s.hasColour || s.hasTrace);
                    EXPECT_FALSE(s.hasSpawn || s.hasRays);
                    EXPECT_FLOAT_EQ(s.longeva, 0.01f);
                    EXPECT_EQ(s.fileName, "");
                    EXPECT_FALSE(s.import);
                });
    WithElement(R"(<particle minx="3" gx="1"/>)", [](const TiXmlElement& e) {
        const ParticleSettings s = ReadParticleSettings(e);
        EXPECT_TRUE(s.hasBox);
        EXPECT_EQ(s.minX, 3);
        EXPECT_EQ(s.maxZ, 0);  // a missing key of a present group reads as 0
        EXPECT_TRUE(s.hasAcceleration);
        EXPECT_FLOAT_EQ(s.gy, 0);
    });
}

TEST(ParticleScript, TextureListKeepsAtMostSixteenFilesAndImportMeansOne)
{
    std::string files;
    for (int i = 0; i < 20; ++i) files += "<texturefile file=\"f" + std::to_string(i) + ".jpg\"/>";
    WithElement("<particle><texture import=\"2\">" + files + "</texture></particle>", [](const TiXmlElement& e) {
        const ParticleSettings s = ReadParticleSettings(e);
        EXPECT_FALSE(s.import);
        ASSERT_EQ(s.textureFiles.size(), 16u);
        EXPECT_EQ(s.textureFiles.front(), "f0.jpg");
        EXPECT_EQ(s.textureFiles.back(), "f15.jpg");
    });
}

TEST(ParticleScript, ConfiguredEmitterStartsWithTheElementsSetUps)
{
    TempDir dir;
    const std::string file = particles::WriteParticleFile(dir, "empty.k2d", {});
    // Box of no range at 3, zero acceleration and sizes: every rebirth is fixed.
    WithElement(R"(<particle maxparts="2" minx="3" miny="3" minz="3" maxx="3" maxy="3" maxz="3" gx="-1" gy="-1"
                 gz="-1" maxsize="0" minsize="0" tracex="10" tracey="12" mode="1" userays="1" filename=")" +
                    file + R"("/>)",
                [](const TiXmlElement& e) {
                    ParticleEmitter emitter;
                    ASSERT_TRUE(ConfigureEmitter(emitter, ReadParticleSettings(e), Vector3(100, 0, 0)));
                    EXPECT_TRUE(emitter.Rays());
                    EXPECT_EQ(emitter.ParticleCount(), 2);
                    for (int i = 0; i < 6; ++i) emitter.Update();
                    const Particle& p = emitter.Particles()[0];
                    EXPECT_TRUE(p.reborn);
                    EXPECT_EQ(p.x, 103.0f);
                    EXPECT_EQ(p.y, 3.0f);
                    EXPECT_EQ(p.vx, 10.0f);
                    EXPECT_EQ(p.vy, 12.0f);
                    EXPECT_EQ(p.ax, 0.0f);
                    EXPECT_EQ(p.size, 0.0f);
                });
}

TEST(ParticleScript, WithoutAFileNameTheEmitterIsNotStarted)
{
    gltest::Messages messages;
    WithElement(R"(<particle maxparts="10" tracex="1" tracey="1" mode="1"/>)", [](const TiXmlElement& e) {
        ParticleEmitter emitter;
        EXPECT_FALSE(ConfigureEmitter(emitter, ReadParticleSettings(e), Vector3()));
        EXPECT_FALSE(emitter.Loaded());
        EXPECT_FALSE(emitter.Running());
        EXPECT_EQ(emitter.Particles(), nullptr);
    });
    EXPECT_TRUE(messages.all().empty());
}

}  // namespace
