// The emitter's pool without drawing: loading, the rebirth sequence, what each set-up
// gives the first reborn particle, the path walk and freezing. A particle file with no
// images builds a pool without a GL context.
#include "ParticleFixtures.h"
#include "VEK_Particle_Emit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {
using particles::Draws;

// Updates a fresh pool needs before its particles are reborn: life 1.0 loses 0.2 five
// times (ending just above 0), and the sixth update takes it below 0.
constexpr int kUpdatesBeforeRebirth = 5;
// rand() calls: 2 per particle at load (size, shrink), 9 per rebirth.
constexpr int kLoadDraws = 2;
constexpr int kRebirthDraws = 9;

class EmitterMotion : public ::testing::Test {
protected:
    void SetUp() override { emptyFile = particles::WriteParticleFile(dir, "empty.k2d", {}); }
    // Loads a pool of count particles and runs it to its first rebirth.
    void RunToRebirth(ParticleEmitter& emitter, int count, const Vector3& position)
    {
        ASSERT_TRUE(emitter.Load(emptyFile.c_str(), count, 0, position));
        for (int i = 0; i <= kUpdatesBeforeRebirth; ++i) emitter.Update();
    }
    TempDir dir;
    std::string emptyFile;
};

TEST_F(EmitterMotion, LoadBuildsTheWholePoolAtTheEmitterPosition)
{
    ParticleEmitter emitter;
    emitter.SetSizes(20, 10);
    const auto d = Draws(3, 2 * kLoadDraws);
    ASSERT_TRUE(emitter.Load(emptyFile.c_str(), 2, 0, Vector3(4, 5, 6)));
    EXPECT_TRUE(emitter.Running());
    EXPECT_TRUE(emitter.Loaded());
    EXPECT_EQ(emitter.ParticleCount(), 2);
    EXPECT_EQ(emitter.TextureCount(), 0);
    float launchX, launchY;
    emitter.LaunchVelocity(launchX, launchY);
    EXPECT_EQ(launchX, 8120.0f);
    EXPECT_EQ(launchY, -5420.0f);
    for (int i = 0; i < 2; ++i) {
        const Particle& p = emitter.Particles()[i];
        EXPECT_TRUE(p.alive);
        EXPECT_FALSE(p.reborn);
        EXPECT_EQ(p.life, 1.0f);
        EXPECT_EQ(p.decay, 0.2f);
        EXPECT_EQ(p.size, float(d[2 * i] % 10));
        EXPECT_EQ(p.shrink, float(d[2 * i + 1] % 10) / 100.0f);
        EXPECT_EQ(p.r, 0.9f);
        EXPECT_EQ(p.g, 0.9f);
        EXPECT_EQ(p.b, 0.9f);
        EXPECT_EQ(p.x, 4.0f);
        EXPECT_EQ(p.y, 5.0f);
        EXPECT_EQ(p.z, 6.0f);
        EXPECT_EQ(p.vx, 0.0f);
        EXPECT_EQ(p.ax, 0.0f);
    }
}

TEST_F(EmitterMotion, RebornInTheUpdateItsLifeFallsBelowZeroThenGainsOnceThenDecays)
{
    ParticleEmitter emitter;
    emitter.SetSizes(20, 10);
    emitter.SetBox(-5, 0, 2, 5, 10, 2);
    emitter.SetSpeedDivisors(1.99f, 3.99f, 0.99f);
    emitter.SetAcceleration(2, 0, 3.5f);
    emitter.SetTrace(10, 12, 1);  // first point (10 cos 0, 12 cos 0)
    const auto d = Draws(7, kLoadDraws + kRebirthDraws);
    ASSERT_TRUE(emitter.Load(emptyFile.c_str(), 1, 0, Vector3(100, 200, 300)));
    const Particle& p = emitter.Particles()[0];

    float size = p.size;
    for (int i = 0; i < kUpdatesBeforeRebirth; ++i) {
        emitter.Update();
        size -= p.shrink;
    }
    EXPECT_GT(p.life, 0.0f);
    EXPECT_LT(p.life, 0.001f);
    EXPECT_FALSE(p.reborn);
    EXPECT_EQ(p.size, size);
    EXPECT_EQ(p.x, 100.0f);  // no velocity yet

    emitter.Update();  // life falls below 0: reborn in this update
    const long long* r = &d[kLoadDraws];
    const float decay = float(r[2] % 100) / 1000.0f + 0.003f;
    EXPECT_TRUE(p.reborn);
    EXPECT_EQ(p.life, 1.0f);
    EXPECT_EQ(p.decay, decay);
    EXPECT_EQ(p.size, float(r[0] % 10));
    EXPECT_EQ(p.shrink, float(r[1] % 10) / 100.0f);
    const float x = 100.0f + float(r[3] % 10 - 5), y = 200.0f + float(r[4] % 10), z = 302.0f;
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.z, z);
    EXPECT_EQ(p.vx, 10.0f);
    EXPECT_EQ(p.vy, 12.0f);
    EXPECT_EQ(p.vz, 10.0f);
    const float ax = float(r[6] % 3), az = float(r[8] % 4);
    EXPECT_EQ(p.ax, ax);
    EXPECT_EQ(p.ay, 0.0f);
    EXPECT_EQ(p.az, az);
    EXPECT_EQ(p.r, 0.7f);
    EXPECT_EQ(p.g, 0.8f);
    EXPECT_EQ(p.b, 0.8f);

    emitter.Update();  // gains 0.01 without shrinking, moves, accelerates
    const float rebornSize = p.size;
    EXPECT_FALSE(p.reborn);
    EXPECT_EQ(p.life, 1.0f + 0.01f);
    EXPECT_EQ(p.size, float(r[0] % 10));
    EXPECT_FLOAT_EQ(p.x, x + 10.0f / 2000.0f);
    EXPECT_FLOAT_EQ(p.y, y + 12.0f / 4000.0f);
    EXPECT_FLOAT_EQ(p.z, z + 10.0f / 1000.0f);
    EXPECT_EQ(p.vx, 10.0f + ax);
    EXPECT_EQ(p.vz, 10.0f + az);

    emitter.Update();  // from now on loses its new decay and shrinks
    EXPECT_EQ(p.life, 1.0f + 0.01f - decay);
    EXPECT_EQ(p.size, rebornSize - p.shrink);
    EXPECT_FLOAT_EQ(p.x, x + 10.0f / 2000.0f + (10.0f + ax) / 2000.0f);
}

// A set-up and what its first reborn particle holds. r are the rebirth's draws in
// order: size, shrink, decay, box x, y, z, acceleration x, y, z.
struct SetupCase {
    const char* what;
    std::function<void(ParticleEmitter&)> setUp;
    std::function<void(Particle& expected, const long long* r)> expect;
};

// Without set-ups: sizes 0 and 0, box minimum 1 and no range, acceleration range 1.8
// (2 values once truncated), no trace.
Particle Unconfigured(const long long* r, const Vector3& at)
{
    Particle p;
    p.alive = true;
    p.reborn = true;
    p.life = 1.0f;
    p.decay = float(r[2] % 100) / 1000.0f + 0.003f;
    p.x = at.x + 1, p.y = at.y + 1, p.z = at.z + 1;
    p.ax = float(r[6] % 2), p.ay = float(r[7] % 2), p.az = float(r[8] % 2);
    p.r = 0.7f, p.g = 0.8f, p.b = 0.8f;
    return p;
}

TEST_F(EmitterMotion, EachSetUpShapesTheFirstRebornParticle)
{
    const Vector3 at(10, -20, 30);
    const std::vector<SetupCase> cases = {
        {"nothing set up", [](ParticleEmitter&) {}, [](Particle&, const long long*) {}},
        {"box offsets: random mod range plus minimum",
         [](ParticleEmitter& e) { e.SetBox(-5, 0, 2, 5, 10, 2); },
         [&](Particle& p, const long long* r) {
             p.x = at.x + float(r[3] % 10 - 5), p.y = at.y + float(r[4] % 10), p.z = at.z + 2;
         }},
        {"box with its minimum above its maximum",
         [](ParticleEmitter& e) { e.SetBox(10, 7, -3, 4, 7, -9); },
         [&](Particle& p, const long long* r) {
             p.x = at.x + float(r[3] % 6 + 10), p.y = at.y + 7, p.z = at.z + float(r[5] % 6 - 3);
         }},
        {"launch velocity: the path's first point (mode 1)", [](ParticleEmitter& e) { e.SetTrace(10, 12, 1); },
         [](Particle& p, const long long*) { p.vx = 10, p.vy = 12, p.vz = 10; }},
        {"launch velocity: amplitudes truncated (mode 3)", [](ParticleEmitter& e) { e.SetTrace(7.9f, 4.2f, 3); },
         [](Particle& p, const long long*) { p.vx = 7, p.vy = 0, p.vz = 7; }},
        {"acceleration ranges: random mod (range + 1, truncated)",
         [](ParticleEmitter& e) { e.SetAcceleration(2, 0, 3.5f); },
         [](Particle& p, const long long* r) { p.ax = float(r[6] % 3), p.ay = 0, p.az = float(r[8] % 4); }},
        {"negative acceleration ranges", [](ParticleEmitter& e) { e.SetAcceleration(-1, -3, -1.5f); },
         [](Particle& p, const long long* r) { p.ax = 0, p.ay = float(r[7] % -2), p.az = 0; }},
        {"sizes truncated", [](ParticleEmitter& e) { e.SetSizes(20.7f, 10.2f); },
         [](Particle& p, const long long* r) { p.size = float(r[0] % 10), p.shrink = float(r[1] % 10) / 100.0f; }},
        {"maximum size equal to minimum size: no shrink", [](ParticleEmitter& e) { e.SetSizes(8, 8); },
         [](Particle& p, const long long* r) { p.size = float(r[0] % 8), p.shrink = 0; }},
        {"maximum size below minimum size", [](ParticleEmitter& e) { e.SetSizes(4, 10); },
         [](Particle& p, const long long* r) { p.size = float(r[0] % 10), p.shrink = float(r[1] % 6) / 100.0f; }},
        {"speed divisors and colour do not change a rebirth",
         [](ParticleEmitter& e) { e.SetSpeedDivisors(5, 5, 5), e.SetColour(0.1f, 0.2f, 0.3f), e.SetSpawn(3); },
         [](Particle&, const long long*) {}},
    };
    for (const SetupCase& c : cases) {
        SCOPED_TRACE(c.what);
        ParticleEmitter emitter;
        c.setUp(emitter);
        const auto d = Draws(11, kLoadDraws + kRebirthDraws);
        RunToRebirth(emitter, 1, at);
        Particle expected = Unconfigured(&d[kLoadDraws], at);
        c.expect(expected, &d[kLoadDraws]);
        const Particle& p = emitter.Particles()[0];
        EXPECT_EQ(p.reborn, expected.reborn);
        EXPECT_EQ(p.life, expected.life);
        EXPECT_EQ(p.decay, expected.decay);
        EXPECT_EQ(p.size, expected.size);
        EXPECT_EQ(p.shrink, expected.shrink);
        EXPECT_EQ(p.x, expected.x);
        EXPECT_EQ(p.y, expected.y);
        EXPECT_EQ(p.z, expected.z);
        EXPECT_EQ(p.vx, expected.vx);
        EXPECT_EQ(p.vy, expected.vy);
        EXPECT_EQ(p.vz, expected.vz);
        EXPECT_EQ(p.ax, expected.ax);
        EXPECT_EQ(p.ay, expected.ay);
        EXPECT_EQ(p.az, expected.az);
        EXPECT_EQ(p.r, expected.r);
        EXPECT_EQ(p.g, expected.g);
        EXPECT_EQ(p.b, expected.b);
    }
}

TEST_F(EmitterMotion, EachRebirthTakesTheNextPointOfThePath)
{
    ParticleEmitter emitter;
    emitter.SetTrace(30, 40, 2);
    RunToRebirth(emitter, 3, Vector3());
    LissaPath path;
    path.Fill(30, 40, 0, 2);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        float x, y;
        path.PointAt(0, i, x, y);
        const Particle& p = emitter.Particles()[i];
        EXPECT_EQ(p.vx, x);
        EXPECT_EQ(p.vy, y);
        EXPECT_EQ(p.vz, x);
    }
    float launchX, launchY, x, y;
    emitter.LaunchVelocity(launchX, launchY);
    path.PointAt(0, 2, x, y);
    EXPECT_EQ(launchX, x);
    EXPECT_EQ(launchY, y);
    EXPECT_EQ(emitter.Path()->Position(0), 3);
}

TEST_F(EmitterMotion, StoppedPoolDoesNotMoveAndGoesOnWhenStarted)
{
    ParticleEmitter emitter;
    emitter.SetTrace(10, 12, 1);
    RunToRebirth(emitter, 4, Vector3(1, 2, 3));
    std::vector<Particle> before(emitter.Particles(), emitter.Particles() + 4);
    emitter.SetRunning(false);
    EXPECT_FALSE(emitter.Running());
    for (int i = 0; i < 10; ++i) emitter.Update();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(std::memcmp(&before[i], &emitter.Particles()[i], sizeof(Particle)), 0) << i;

    emitter.SetRunning(true);
    emitter.Update();
    EXPECT_NE(emitter.Particles()[0].x, before[0].x);
    EXPECT_EQ(emitter.Particles()[0].life, before[0].life + 0.01f);
}

TEST_F(EmitterMotion, PoolSizeComesFromTheParticleCount)
{
    struct Case {
        int count;
        int pool;
    };
    for (const Case c : {Case{0, 0}, Case{-3, 0}, Case{1, 1}, Case{ParticleEmitter::kMaxParticles + 5, ParticleEmitter::kMaxParticles}}) {
        SCOPED_TRACE(c.count);
        ParticleEmitter emitter;
        EXPECT_EQ(emitter.Load(emptyFile.c_str(), c.count, 0, Vector3()), c.pool > 0);
        EXPECT_EQ(emitter.ParticleCount(), c.pool);
        EXPECT_EQ(emitter.Particles() != nullptr, c.pool > 0);
        emitter.Update();  // an empty pool updates as a no-op
    }
}

TEST_F(EmitterMotion, LoadingAgainReplacesThePool)
{
    ParticleEmitter emitter;
    ASSERT_TRUE(emitter.Load(emptyFile.c_str(), 5, 0, Vector3()));
    emitter.SetRunning(false);
    ASSERT_TRUE(emitter.Load(emptyFile.c_str(), 2, 0, Vector3(7, 7, 7)));
    EXPECT_TRUE(emitter.Running());
    EXPECT_EQ(emitter.ParticleCount(), 2);
    EXPECT_EQ(emitter.Particles()[1].x, 7.0f);
}

TEST_F(EmitterMotion, MissingFileReportsOnceAndLeavesNoPool)
{
    gltest::Messages messages;
    ParticleEmitter emitter;
    EXPECT_FALSE(emitter.Load((dir / "missing.k2d").c_str(), 100, 0, Vector3()));
    ASSERT_EQ(messages.all().size(), 1u);
    EXPECT_EQ(messages.all()[0].caption, "K2D Loading ERROR");
    EXPECT_EQ(messages.all()[0].text, "K2D Particle_Sys File Not Founde.");
    EXPECT_EQ(emitter.Particles(), nullptr);
    EXPECT_EQ(emitter.ParticleCount(), 0);
    emitter.Update();
    EXPECT_EQ(messages.all().size(), 1u);
}

}  // namespace
