// Jumping in the running sample show (its authoring keys, in this process on the
// off-screen driver and the virtual clock): the 3D scenes go back with the show, so the
// picture after a jump is the picture a straight run has at that time.
#include "SampleShow.h"
#include "VEK_DemoEngine.h"
#include "VEK_FrameCapture.h"
#include "VEK_Player.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kJumpBackKey = 0xDB;   // [ : 5 s back

// The frame presented at a show time.
struct Shot {
    float position = -1.0f;
    Frame frame;
    bool Taken() const { return position >= 0.0f; }
};

Shot TakeShot(float position)
{
    Shot shot;
    shot.position = position;
    Frame& frame = shot.frame;
    plat::WindowSize(frame.width, frame.height);
    std::vector<unsigned char> bottomUp;
    ReadBackBuffer(frame.width, frame.height, bottomUp);
    const std::size_t stride = std::size_t(frame.width) * 3;
    for (int row = frame.height - 1; row >= 0; --row)
        frame.rgb.insert(frame.rgb.end(), bottomUp.begin() + std::ptrdiff_t(row * stride),
                         bottomUp.begin() + std::ptrdiff_t((row + 1) * stride));
    return shot;
}

// The share of the pixels that differ noticeably.
double ChangedShare(const Shot& a, const Shot& b)
{
    if (a.frame.rgb.size() != b.frame.rgb.size() || a.frame.rgb.empty()) return 1.0;
    return double(ChangedPixels(a.frame, b.frame)) / double(a.frame.width * a.frame.height);
}

class Watcher : public PlayerObserver {
public:
    // Frames at 15 and 17 s of the straight run, the jump back at 20 s, then the frame at
    // 17 s after the jump.
    void FrameReady(const DemoEngine& demo, uint64_t) override
    {
        const float now = demo.sound.Position();
        if (!jumped) {
            if (now >= 15.0f && !at15.Taken()) at15 = TakeShot(now);
            if (now >= 17.0f && !at17.Taken()) at17 = TakeShot(now);
            if (now >= 20.0f) {
                jumped = true;
                plat::PostKey(kJumpBackKey, true);
                plat::PostKey(kJumpBackKey, false);
            }
        } else if (now < 20.0f) {
            backAt = std::min(backAt, now);
            if (now < 17.0f || at17AfterJump.Taken()) return;
            at17AfterJump = TakeShot(now);
            plat::PostQuit();
        }
    }

    Shot at15, at17, at17AfterJump;
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
