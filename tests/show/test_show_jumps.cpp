// Jumping in the running sample show (its authoring keys, in this process on the
// off-screen driver and the virtual clock): the 3D scenes go back with the show, so the
// picture after a jump is the picture a straight run has at that time.
#include "SampleShow.h"
#include "VEK_DemoEngine.h"
#include "VEK_Player.h"
#include "vekPlatform.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kJumpBackKey = 0xDB;   // [ : 5 s back

struct Frame {
    float position = -1.0f;
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool Taken() const { return position >= 0.0f; }
};

Frame ReadFrame(float position)
{
    Frame frame;
    frame.position = position;
    plat::WindowSize(frame.width, frame.height);
    frame.rgb.resize(std::size_t(frame.width) * std::size_t(frame.height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

// The share of pixels whose colour differs by more than a faint flicker.
double ChangedShare(const Frame& a, const Frame& b)
{
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 1.0;
    std::size_t changed = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3)
        changed += std::abs(a.rgb[i] - b.rgb[i]) + std::abs(a.rgb[i + 1] - b.rgb[i + 1]) +
                       std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > 24;
    return double(changed) / double(a.rgb.size() / 3);
}

class Watcher : public PlayerObserver {
public:
    // Frames at 15 and 17 s of the straight run, the jump back at 20 s, then the frame at
    // 17 s after the jump.
    void FrameReady(const DemoEngine& demo, uint64_t) override
    {
        const float now = demo.sound.Position();
        if (!jumped) {
            if (now >= 15.0f && !at15.Taken()) at15 = ReadFrame(now);
            if (now >= 17.0f && !at17.Taken()) at17 = ReadFrame(now);
            if (now >= 20.0f) {
                jumped = true;
                plat::PostKey(kJumpBackKey, true);
                plat::PostKey(kJumpBackKey, false);
            }
        } else if (now < 20.0f) {
            backAt = std::min(backAt, now);
            if (now < 17.0f || at17AfterJump.Taken()) return;
            at17AfterJump = ReadFrame(now);
            plat::PostQuit();
        }
    }

    Frame at15, at17, at17AfterJump;
    bool jumped = false;
    float backAt = 99.0f;   // the first time shown after the jump
};

TEST(SampleShowJumps, AJumpBackShowsTheScenesAsAStraightRunHasThem)
{
    TempDir dir;
    ASSERT_TRUE(CopySampleShow(dir));
    ASSERT_NE(dir.read("demotest.xml").find("interactive=\"1\""), std::string::npos) << "the authoring keys are on";

    PlayerOptions options;
    options.showDialog = false;
    options.window = true;
    options.batch = true;
    options.fixedFps = 20;
    options.frames = 2000;
    options.directory = dir.path().string();
    options.watch = true;   // the scene the jump converts again is no edit of the author's
    PlayerReport report;
    Watcher watcher;
    testing::internal::CaptureStderr();
    const int exitCode = RunPlayer(options, &report, &watcher);
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(exitCode, 0) << errors;
    EXPECT_EQ(errors.find("read again"), std::string::npos) << errors;

    EXPECT_NEAR(watcher.backAt, 15.0f, 0.1f);
    ASSERT_TRUE(watcher.at17AfterJump.Taken()) << "the show came back to 17 s after the jump at 20 s";
    EXPECT_FLOAT_EQ(watcher.at17AfterJump.position, watcher.at17.position);
    // The hall's camera moves: two seconds change much of the picture, so a scene still
    // running five seconds ahead after the jump could not pass for the straight run.
    EXPECT_GT(ChangedShare(watcher.at15, watcher.at17), 0.05);
    EXPECT_LT(ChangedShare(watcher.at17AfterJump, watcher.at17), 0.005);
}

}  // namespace
