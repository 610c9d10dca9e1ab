// vekframe as the picture script runs it: a captured PPM frame into a PNG, cut and made
// smaller by averaging; bad command lines and damaged frames refused with their reason.
#include "DemoRun.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

namespace {

DemoRun Vekframe(const TempDir& dir, const std::string& arguments) { return RunTool(dir.path(), "vekframe", arguments); }

std::string Ppm(int width, int height, const std::vector<unsigned char>& rgb)
{
    return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" + std::string(rgb.begin(), rgb.end());
}

std::vector<unsigned char> ReadPng(const std::string& path, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    width = int(image.width);
    height = int(image.height);
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    return rgb;
}

// A 4 x 2 frame: left half grey levels 10, 20 (top) and 30, 40 (bottom), right half red.
std::vector<unsigned char> Fixture()
{
    std::vector<unsigned char> rgb;
    const int grey[2][2] = {{10, 20}, {30, 40}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) rgb.insert(rgb.end(), 3, static_cast<unsigned char>(grey[y][x]));
        for (int x = 0; x < 2; ++x) rgb.insert(rgb.end(), {200, 0, 0});
    }
    return rgb;
}

TEST(Vekframe, CutsShrinksAndKeepsRowsTopFirst)
{
    TempDir dir;
    dir.write("in.ppm", Ppm(4, 2, Fixture()));
    struct Case {
        const char* options;
        int width, height;
        std::vector<unsigned char> rgb;
    } cases[] = {
        {"", 4, 2, Fixture()},
        {"--crop 0,0,2,2", 2, 2, {10, 10, 10, 20, 20, 20, 30, 30, 30, 40, 40, 40}},
        {"--crop 0,1,4,1", 4, 1, {30, 30, 30, 40, 40, 40, 200, 0, 0, 200, 0, 0}},
        {"--width 2", 2, 1, {25, 25, 25, 200, 0, 0}},               // each pixel the mean of a 2 x 2 block
        {"--crop 0,0,2,2 --width 1", 1, 1, {25, 25, 25}},
        {"--width 9", 4, 2, Fixture()},                              // never larger
    };
    for (const Case& c : cases) {
        const DemoRun run = Vekframe(dir, std::string("in.ppm out.png ") + c.options);
        ASSERT_EQ(run.exitCode, 0) << c.options << run.output;
        int width = 0, height = 0;
        EXPECT_EQ(ReadPng((dir / "out.png").string(), width, height), c.rgb) << c.options;
        EXPECT_EQ(width, c.width) << c.options;
        EXPECT_EQ(height, c.height) << c.options;
    }
}

TEST(Vekframe, RefusesBadArgumentsAndDamagedFrames)
{
    TempDir dir;
    const std::string good = Ppm(4, 2, Fixture());
    dir.write("in.ppm", good);
    dir.write("cut.ppm", good.substr(0, good.size() - 5));
    dir.write("text.ppm", "P3\n4 2\n255\n1 2 3\n");
    dir.write("huge.ppm", "P6\n99999 99999\n255\n");
    dir.write("deep.ppm", "P6\n4 2\n65535\n");
    dir.write("sign.ppm", "P6\n-4 2\n255\n");
    const struct {
        const char* arguments;
        int exitCode;
        const char* says;
    } cases[] = {
        {"", 2, "usage: vekframe"},
        {"in.ppm", 2, "usage: vekframe"},
        {"in.ppm out.png --crop 1,2,3", 2, "bad argument --crop"},
        {"in.ppm out.png --crop 1,2,3,4,5", 2, "bad argument --crop"},
        {"in.ppm out.png --width 0", 2, "bad argument --width"},
        {"in.ppm out.png --width", 2, "bad argument --width"},
        {"in.ppm out.png --bogus 1", 2, "bad argument --bogus"},
        {"missing.ppm out.png", 1, "cannot read missing.ppm"},
        {"cut.ppm out.png", 1, "cut.ppm ends before its last pixel"},
        {"text.ppm out.png", 1, "text.ppm is not a binary PPM picture"},
        {"huge.ppm out.png", 1, "huge.ppm: the PPM header"},
        {"deep.ppm out.png", 1, "deep.ppm: the PPM header"},
        {"sign.ppm out.png", 1, "sign.ppm: the PPM header"},
        {"in.ppm out.png --crop 2,0,3,2", 1, "does not lie inside the 4 x 2 picture"},
        {"in.ppm no/such/folder/out.png", 1, "cannot write no/such/folder/out.png"},
    };
    for (const auto& c : cases) {
        const DemoRun run = Vekframe(dir, c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.arguments << "\n" << run.output;
    }
    EXPECT_EQ(Vekframe(dir, "--help").exitCode, 0);
}

}  // namespace
