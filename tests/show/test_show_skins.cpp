// The bundled sample show as the player renders it headless: what is on screen comes
// from the script and its files only.
#include "DemoRun.h"
#include "SampleShow.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The plasma skin fills the screen from 0.5 s to 3.5 s. Each colour of its interference
// pattern, (0.5 + 0.5 sin t, 0.3 + 0.3 sin(t + 2), 0.6 + 0.4 sin(t + 4)), has a channel of
// at most 0.373 (95 of 255); JPEG rounding adds a few steps. A white or grey patch (a
// box of about 94 x 70 pixels once drew there) has all three channels high.
TEST(SampleShowFrames, PlasmaSkinShowsOnlyItsPattern)
{
    TempDir dir;
    ASSERT_TRUE(CopySampleShow(dir));
    // The show without its 3D section: the skin blends additively over the 3D view, and this
    // looks at the skin's own picture.
    std::string script = dir.read("demotest.xml");
    const std::size_t begin = script.find("<engine3D"), end = script.find("</engine3D>");
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    script.erase(begin, end + std::string("</engine3D>").size() - begin);
    { std::ofstream(dir / "demotest.xml") << script; }
    std::filesystem::create_directory(dir / "cap");
    const std::string play = "cd '" + dir.path().string() +
                             "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy '" VEK_TEST_BIN_DIR
                             "/demo' --no-dialog --window --batch --fixed-fps 250 --capture cap --capture-every 250"
                             " --frames 750 >demo.log 2>&1";
    ASSERT_EQ(std::system(play.c_str()), 0) << dir.read("demo.log");

    constexpr int kDarkestChannelLimit = 95 + 12;
    for (const char* name : {"frame000250.ppm", "frame000500.ppm", "frame000750.ppm"}) {
        const Frame frame = ReadPpm(dir / "cap" / name);
        ASSERT_EQ(frame.width, 800) << name;
        ASSERT_EQ(frame.height, 600) << name;
        int lit = 0, light = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                const unsigned char* p = frame.at(x, y);
                const int darkest = std::min({p[0], p[1], p[2]});
                const int brightest = std::max({p[0], p[1], p[2]});
                lit += brightest > 40;
                light += darkest > kDarkestChannelLimit;
            }
        EXPECT_GT(lit, 800 * 600 * 9 / 10) << name << ": the plasma skin covers the screen";
        EXPECT_EQ(light, 0) << name << ": pixels lighter than any colour of the pattern";
    }
}

}  // namespace
