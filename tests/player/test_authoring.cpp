// Authoring a show in the running player, in this process on the off-screen driver and
// the virtual clock: starting at a later time, pausing and stepping, jumping, the time
// bar, and reading the script again when it is saved (--watch).
#include "../sound/SoundFixtures.h"
#include "TempDir.h"
#include "VEK_DemoEngine.h"
#include "VEK_Player.h"
#include "VEK_PngFile.h"
#include "VEK_ScriptWatch.h"
#include "vekEngineFW.h"
#include "vekPlatform.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSpace = 0x20, kPeriod = 0xBE, kLeftBracket = 0xDB, kTab = 0x09, kShift = 0x10;
constexpr int kWidth = 800, kHeight = 600;

// Presses and releases a key; the loop sees the press when it next looks for messages.
void Press(int key)
{
    plat::PostKey(key, true);
    plat::PostKey(key, false);
}

void PressWithShift(int key)
{
    plat::PostKey(kShift, true);
    Press(key);
    plat::PostKey(kShift, false);
}

using Pixels = std::vector<unsigned char>;

// rows [y, y + rows) of the back buffer, counted from the bottom.
Pixels ReadRows(int y, int rows)
{
    Pixels rgb(size_t(kWidth) * size_t(rows) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, y, kWidth, rows, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// Writes the back buffer as <name>.png into $VEK_DUMP_FRAMES when that is set.
void DumpFrame(const std::string& name)
{
    const char* folder = std::getenv("VEK_DUMP_FRAMES");
    if (!folder || !*folder) return;
    std::filesystem::create_directories(folder);
    std::string error;
    const Pixels frame = ReadRows(0, kHeight);
    WriteBottomUpPng((std::filesystem::path(folder) / (name + ".png")).string(), frame.data(), kWidth, kHeight, error);
}

std::array<int, 3> CentrePixel()
{
    const Pixels row = ReadRows(kHeight / 2, 1);
    const unsigned char* p = &row[size_t(kWidth / 2) * 3];
    return {p[0], p[1], p[2]};
}

// Calls back for every frame; `step` returns false to end the show.
class Watcher : public PlayerObserver {
public:
    explicit Watcher(std::function<bool(const DemoEngine&, uint64_t)> step) : step_(std::move(step)) {}
    void FrameReady(const DemoEngine& demo, uint64_t frame) override
    {
        if (!ended_ && !step_(demo, frame)) {
            ended_ = true;
            plat::PostQuit();
        }
    }

private:
    std::function<bool(const DemoEngine&, uint64_t)> step_;
    bool ended_ = false;
};

// What events and fades stand at: the state a start time must reproduce.
struct ShowState {
    float position = 0.0f;
    int cursor = 0;
    std::vector<int> fired;
    std::vector<int> flashOn;
    std::vector<float> alpha;
    std::vector<float> holdTime;
    bool layersMode = false;

    static ShowState Of(const DemoEngine& demo)
    {
        ShowState state;
        state.position = demo.sound.Position();
        state.cursor = demo.events.cursor;
        for (int i = 0; i < demo.events.count; ++i) state.fired.push_back(demo.events.entries[i].fired);
        for (int slot = 0; slot < 6; ++slot) {
            state.flashOn.push_back(demo.flashEnabled[slot]);
            state.alpha.push_back(demo.flashes[slot].alpha);
            state.holdTime.push_back(demo.flashes[slot].holdTime);
        }
        state.layersMode = demo.layersMode;
        return state;
    }
};

class Authoring : public ::testing::Test {
protected:
    void SetUp() override
    {
        soundtest::Tone tone;
        tone.seconds = 20.0;
        ASSERT_TRUE(soundtest::WriteTone((dir / "music.wav").string(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
        options.showDialog = false;
        options.window = true;
        options.batch = true;
        options.fixedFps = 100;
        options.directory = dir.path().string();
    }
    void TearDown() override
    {
        std::filesystem::current_path(home);
        for (int key : {kSpace, kPeriod, kLeftBracket, kTab, kShift}) plat::KeyTable()[key] = 0;
    }

    // A show whose flashes (slots 0 to 5: a .. f) fill the screen (the band is set) and
    // fade by `events`.
    void WriteShow(const std::string& events, const std::string& flashColour = "r=\"1\" g=\"0\" b=\"0\"",
                   const std::string& attributes = "")
    {
        std::string flashes;
        for (const char* name : {"a", "b", "c", "d", "e", "f"})
            flashes += std::string("<object class=\"flash\" name=\"") + name +
                       "\" blendfunc=\"3\"><color " + flashColour + "/></object>";
        dir.write("demotest.xml", "<demoproject><engineDEMO name=\"authoring\" mp3=\"1\" mp3name=\"music.wav\" v=\"0\" "
                                  "h=\"0\" loadactions=\"1\" " + attributes + ">" + events +
                                      "</engineDEMO><engine2D>" + flashes + "</engine2D></demoproject>");
    }

    // Plays until `step` says stop (or the frame limit); returns the exit code.
    int Play(std::function<bool(const DemoEngine&, uint64_t)> step, long frameLimit = 20000)
    {
        options.frames = frameLimit;
        report = PlayerReport{};
        Watcher watcher(std::move(step));
        return RunPlayer(options, &report, &watcher);
    }

    std::filesystem::path home = std::filesystem::current_path();
    TempDir dir;
    PlayerOptions options;
    PlayerReport report;
};

constexpr const char* kFadingEvents =
    "<FX type=\"2d\" class=\"flash\" name=\"a\" start=\"1\" end=\"30\" fadein=\"0.01\" fadeout=\"0.01\" maxalpha=\"0.8\"/>"
    "<FX type=\"2d\" class=\"r2txt\" start=\"5\"/>"
    "<FX type=\"2d\" class=\"flash\" name=\"b\" start=\"10\" end=\"11\" fadein=\"0.02\" fadeout=\"0.005\"/>"
    "<FX type=\"2d\" class=\"flash\" name=\"c\" start=\"12.4\" end=\"12.4\" fadein=\"0.004\" fadeout=\"0.01\"/>"
    "<FX type=\"2d\" class=\"flash\" name=\"d\" start=\"12.8\" end=\"12.8\" fadein=\"0.01\" fadeout=\"0.01\"/>"
    "<FX type=\"2d\" class=\"flash\" name=\"e\" start=\"14\" end=\"14\" fadein=\"0.01\" fadeout=\"0.01\"/>";

TEST_F(Authoring, AStartTimeReachesTheEventsAndFadesOfARunFromTheStart)
{
    WriteShow(kFadingEvents);
    auto stateAt13 = [&](double start) {
        options.startSeconds = start;
        ShowState state;
        float firstPosition = 0.0f;
        EXPECT_EQ(Play([&](const DemoEngine& demo, uint64_t frame) {
                      if (frame == 1) firstPosition = demo.sound.Position();
                      if (demo.sound.Position() < 13.0f) return true;
                      state = ShowState::Of(demo);
                      return false;
                  }),
                  0);
        std::filesystem::current_path(home);
        return std::make_pair(state, firstPosition);
    };
    const auto [fromStart, startedAt] = stateAt13(-1.0);
    const auto [fromLater, laterStartedAt] = stateAt13(12.5);

    EXPECT_FLOAT_EQ(startedAt, 0.2f);
    EXPECT_NEAR(laterStartedAt, 12.5f, 0.004f) << "the first frame shows the start time";
    EXPECT_FLOAT_EQ(fromLater.position, fromStart.position);
    EXPECT_EQ(fromLater.cursor, fromStart.cursor);
    EXPECT_EQ(fromStart.cursor, 5) << "a, r2txt, b, c and d have fired by 13 s";
    EXPECT_EQ(fromLater.fired, fromStart.fired);
    EXPECT_EQ(fromLater.flashOn, fromStart.flashOn);
    EXPECT_EQ(fromLater.layersMode, fromStart.layersMode);
    for (int slot = 0; slot < 6; ++slot) {
        EXPECT_FLOAT_EQ(fromLater.alpha[size_t(slot)], fromStart.alpha[size_t(slot)]) << "flash " << slot;
        EXPECT_FLOAT_EQ(fromLater.holdTime[size_t(slot)], fromStart.holdTime[size_t(slot)]) << "flash " << slot;
    }
    // Fades caught mid-way, not just on or off.
    EXPECT_GE(fromStart.alpha[0], 0.8f) << "a holds";
    EXPECT_GT(fromStart.alpha[2], 0.0f) << "c is fading in";
    EXPECT_LT(fromStart.alpha[2], 1.0f) << "c is fading in";
}

TEST_F(Authoring, PauseHoldsTheMusicAndThePictureAndAStepMovesOneFrame)
{
    WriteShow("<FX type=\"2d\" class=\"flash\" name=\"a\" start=\"0.3\" end=\"30\" fadein=\"0.01\" fadeout=\"0.01\"/>",
              "r=\"1\" g=\"1\" b=\"1\"", "interactive=\"1\"");
    std::map<uint64_t, std::pair<float, std::array<int, 3>>> seen;   // frame -> position, centre pixel
    EXPECT_EQ(Play([&](const DemoEngine& demo, uint64_t frame) {
                  seen[frame] = {demo.sound.Position(), CentrePixel()};
                  if (frame == 100 || frame == 150) Press(kSpace);
                  if (frame == 130) {   // two steps: the update tick runs at most every other frame
                      Press(kPeriod);
                      Press(kPeriod);
                  }
                  return frame < 170;
              }),
              0);
    // Frames 101 .. 130: paused (the press is seen before frame 101 is drawn).
    const auto held = seen.at(102);
    for (uint64_t frame = 102; frame <= 130; ++frame) {
        EXPECT_EQ(seen.at(frame).first, held.first) << "the music stands at frame " << frame;
        EXPECT_EQ(seen.at(frame).second, held.second) << "the picture stands at frame " << frame;
    }
    EXPECT_GT(held.second[0], 0) << "the flash is showing";
    // The steps: a frame (1/100 s) each, with their own picture, then held again.
    const auto stepped = seen.at(132);
    EXPECT_NEAR(stepped.first - held.first, 0.02f, 0.0001f);
    EXPECT_NE(stepped.second, held.second) << "the flash fades on by the step";
    for (uint64_t frame = 132; frame <= 150; ++frame) EXPECT_EQ(seen.at(frame), stepped) << frame;
    // Playing again: on from where it stood.
    EXPECT_NEAR(seen.at(152).first - stepped.first, 0.01f, 0.0001f);
    EXPECT_NEAR(seen.at(170).first - seen.at(152).first, 0.18f, 0.0001f);
}

TEST_F(Authoring, JumpingBackReArmsTheEventsAfterTheNewTime)
{
    WriteShow("<FX type=\"2d\" class=\"flash\" name=\"a\" start=\"1\" end=\"1\" fadein=\"0.05\" fadeout=\"0.01\"/>"
              "<FX type=\"2d\" class=\"flash\" name=\"b\" start=\"2\" end=\"2\" fadein=\"0.05\" fadeout=\"0.01\"/>",
              "r=\"1\" g=\"1\" b=\"1\"", "interactive=\"1\"");
    std::vector<std::pair<float, int>> cursors;   // position, events fired, at each change
    enum class Stage { toShortJump, afterShortJump, toFarJump, afterFarJump } stage = Stage::toShortJump;
    ShowState afterShortJump;
    EXPECT_EQ(Play([&](const DemoEngine& demo, uint64_t) {
                  const float now = demo.sound.Position();
                  if (cursors.empty() || cursors.back().second != demo.events.cursor)
                      cursors.emplace_back(now, demo.events.cursor);
                  switch (stage) {
                  case Stage::toShortJump:
                      if (now < 2.5f) return true;
                      PressWithShift(kLeftBracket);   // back 1 s, to 1.5 s
                      stage = Stage::afterShortJump;
                      return true;
                  case Stage::afterShortJump:
                      afterShortJump = ShowState::Of(demo);
                      stage = Stage::toFarJump;
                      return true;
                  case Stage::toFarJump:
                      if (now < 2.5f) return true;
                      Press(kLeftBracket);   // back 5 s: to the start
                      stage = Stage::afterFarJump;
                      return true;
                  case Stage::afterFarJump: return now < 2.5f;
                  }
                  return false;
              }),
              0);
    ASSERT_FALSE(afterShortJump.fired.empty()) << "the short jump was seen";
    EXPECT_NEAR(afterShortJump.position, 1.5f, 0.01f);
    EXPECT_EQ(afterShortJump.cursor, 1) << "the event at 1 s counts as fired, the one at 2 s waits again";
    EXPECT_EQ(afterShortJump.fired, (std::vector<int>{1, 0}));
    EXPECT_EQ(afterShortJump.flashOn[0], 1) << "a is still fading out at 1.5 s";
    EXPECT_EQ(afterShortJump.flashOn[1], 0);

    // Each event fired again after each jump that went back past it.
    std::vector<int> order;
    for (const auto& [position, cursor] : cursors) order.push_back(cursor);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 1, 2, 0, 1, 2}));
}

TEST_F(Authoring, TheTimeBarTogglesAndCoversOnlyTheBottomOfTheFrame)
{
    WriteShow("<FX type=\"2d\" class=\"flash\" name=\"a\" start=\"0.2\" end=\"30\" fadein=\"1\" fadeout=\"0.01\"/>",
              "r=\"0\" g=\"0\" b=\"1\"", "interactive=\"1\"");
    constexpr int kBarRows = 60;
    std::map<uint64_t, std::pair<Pixels, Pixels>> seen;   // frame -> bottom rows, the rest
    EXPECT_EQ(Play([&](const DemoEngine&, uint64_t frame) {
                  if (frame == 20 || frame == 40) Press(kTab);
                  if (frame == 10 || frame == 30 || frame == 50)
                      seen[frame] = {ReadRows(0, kBarRows), ReadRows(kBarRows, kHeight - kBarRows)};
                  if (frame == 30) DumpFrame("time_bar");
                  return frame < 50;
              }),
              0);
    const auto& before = seen.at(10);
    const auto& shown = seen.at(30);
    const auto& after = seen.at(50);
    EXPECT_NE(shown.first, before.first) << "the bar is drawn at the bottom";
    EXPECT_EQ(shown.second, before.second) << "and nowhere else";
    EXPECT_EQ(after.first, before.first) << "the second press hides it";
}

TEST_F(Authoring, WithoutInteractiveOrWatchTheAuthoringKeysDoNothing)
{
    WriteShow("<FX type=\"2d\" class=\"flash\" name=\"a\" start=\"0.3\" end=\"30\" fadein=\"0.002\" fadeout=\"0.01\"/>");
    float at110 = 0.0f, at100 = 0.0f;
    EXPECT_EQ(Play([&](const DemoEngine& demo, uint64_t frame) {
                  if (frame == 100) {
                      at100 = demo.sound.Position();
                      Press(kSpace);
                      Press(kLeftBracket);
                  }
                  if (frame == 110) at110 = demo.sound.Position();
                  return frame < 110;
              }),
              0);
    EXPECT_NEAR(at110 - at100, 10 * 0.01f, 0.0001f);
}

// --watch: the script is read again at the next frame after it is saved.
TEST_F(Authoring, ASavedScriptChangesTheNextFrameAndABrokenOneKeepsTheLastGood)
{
    const std::string events =
        "<FX type=\"2d\" class=\"flash\" name=\"a\" start=\"0.2\" end=\"60\" fadein=\"1\" fadeout=\"0.01\" maxalpha=\"1\"/>";
    WriteShow(events);
    options.watch = true;
    std::map<uint64_t, std::array<int, 3>> centre;
    std::map<uint64_t, float> positions;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Play([&](const DemoEngine& demo, uint64_t frame) {
                  centre[frame] = CentrePixel();
                  positions[frame] = demo.sound.Position();
                  if (frame == 100) WriteShow(events, "r=\"0\" g=\"1\" b=\"0\"");   // saved: green now
                  if (frame == 200) dir.write("demotest.xml", "<demoproject><engineDEMO name=\"broken\"");
                  return frame < 300;
              }),
              0);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(centre.at(100), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(centre.at(101), (std::array<int, 3>{0, 255, 0})) << "the next frame shows the saved colour";
    EXPECT_NEAR(positions.at(101) - positions.at(100), 0.01f, 0.0001f) << "the music went on from where it was";
    EXPECT_EQ(centre.at(300), (std::array<int, 3>{0, 255, 0})) << "the broken script changed nothing";
    EXPECT_NEAR(positions.at(300) - positions.at(200), 1.0f, 0.001f) << "the show played on";
    EXPECT_NE(errors.find("demo: demotest.xml cannot be read ("), std::string::npos) << errors;
    EXPECT_NE(dir.read("demosys_XMLScriptError.LOG").find("Could not load test file 'demotest.xml'. Error="),
              std::string::npos);
}

// An ASE scene saved while the show plays is converted and loaded again at the next
// frame; the scene file the conversion writes is not taken for another change.
TEST_F(Authoring, ASavedAseSceneIsConvertedAndLoadedAgain)
{
    const std::string ase = TempDir::ReadFile(VEK_TEST_SOURCE_DIR "/tests/import/fixtures/gaps.ase");
    ASSERT_NE(ase.find("\"Gappy\""), std::string::npos);
    dir.write("scene.ase", ase);
    dir.write("demotest.xml", "<demoproject><engineDEMO name=\"scenes\" mp3=\"1\" mp3name=\"music.wav\"/>"
                              "<engine3D><scene name=\"room\" file=\"scene.vek\" ASE=\"scene.ase\" import=\"1\"/>"
                              "</engine3D></demoproject>");
    options.watch = true;
    std::map<uint64_t, std::pair<int, int>> kinds;   // frame -> what "Gappy" and "Gappo" are to the engine
    testing::internal::CaptureStderr();
    EXPECT_EQ(Play([&](const DemoEngine&, uint64_t frame) {
                  kinds[frame] = {vekGetThingType("Gappy"), vekGetThingType("Gappo")};
                  if (frame == 5) {
                      std::string renamed = ase;
                      for (size_t at = 0; (at = renamed.find("Gappy", at)) != std::string::npos;) renamed[at + 4] = 'o';
                      dir.write("scene.ase", renamed);
                  }
                  return frame < 20;
              }),
              0);
    const std::string errors = testing::internal::GetCapturedStderr();
    const int controller = kinds.at(5).first;
    EXPECT_NE(controller, 0) << "the object's animation is known to the engine by its name";
    EXPECT_EQ(kinds.at(5).second, 0);
    EXPECT_EQ(kinds.at(6), std::make_pair(0, controller)) << "the next frame has the renamed object";
    EXPECT_EQ(kinds.at(20), std::make_pair(0, controller));
    size_t reloads = 0;
    for (size_t at = 0; (at = errors.find("read again", at)) != std::string::npos; ++at) ++reloads;
    EXPECT_EQ(reloads, 1u) << errors;
    EXPECT_NE(errors.find("demo: demotest.xml read again at "), std::string::npos) << errors;
    EXPECT_NE(errors.find(", with its scenes"), std::string::npos) << errors;
}

TEST(ScriptWatchFiles, TheScriptAndTheFilesItNamesByKind)
{
    TempDir dir;
    ScopedChdir in(dir.path());
    for (const char* file : {"music.ogg", "escena/skin.k2d", "Data/skin.jpg", "escena/room.vek", "escena/room.ase",
                             "escena/sparks.k2d", "Data/spark.jpg"})
        dir.write(file, "x");
    dir.write("demotest.xml",
              "<demoproject><engineDEMO name=\"x\" mp3=\"1\" mp3name=\"music.ogg\" loadactions=\"1\"/>"
              "<engine2D><object class=\"skin\" name=\"s\" z=\"1\" file=\"./escena/skin.k2d\" texturefile=\"Data/skin.jpg\" "
              "texturemaskfile=\"Data/missing.jpg\"/></engine2D>"
              "<engine3D><scene name=\"room\" file=\"escena/room.vek\" ASE=\"escena/room.ase\" import=\"1\">"
              "<object name=\"Sparks\"><particle filename=\"escena/sparks.k2d\"><texture import=\"1\">"
              "<texturefile file=\"Data/spark.jpg\"/></texture></particle></object></scene></engine3D></demoproject>");
    using Kind = ScriptWatch::Kind;
    const std::map<std::string, Kind> expected = {
        {"demotest.xml", Kind::script},      {"music.ogg", Kind::music},          {"escena/skin.k2d", Kind::others},
        {"Data/skin.jpg", Kind::others},     {"escena/room.vek", Kind::scenes},   {"escena/room.ase", Kind::scenes},
        {"escena/sparks.k2d", Kind::scenes}, {"Data/spark.jpg", Kind::scenes},
    };
    EXPECT_EQ(ScriptWatch::NamedFiles("demotest.xml"), expected) << "paths normalised; missing files and numbers left out";

    dir.write("demotest.xml", "<demoproject><engineDEMO");   // no longer parses: only the script itself
    EXPECT_EQ(ScriptWatch::NamedFiles("demotest.xml"), (std::map<std::string, Kind>{{"demotest.xml", Kind::script}}));
}

}  // namespace
