// The engine data files the content generator writes: the font's glyph grid as the font
// code reads it, the two glow images and the lens-flare set.
#include "TempDir.h"
#include "VEK_JpegReader.h"
#include "VEK_K2DImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {
struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<unsigned char> rgb;
    int at(int x, int y) const { return rgb[(std::size_t(y) * width + std::size_t(x)) * 3]; }   // red
};

bool Decode(const std::filesystem::path& path, Picture& picture)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    JpegReader reader;
    bool ok = reader.ReadHeader(file);
    if (ok) {
        picture.width = reader.Width();
        picture.height = reader.Height();
        picture.rgb.resize(reader.ByteSize());
        ok = std::fseek(file, 0, SEEK_SET) == 0 && reader.Decode(file, picture.rgb.data(), picture.rgb.size());
    }
    std::fclose(file);
    return ok;
}

class EngineContent : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        show = new TempDir;
        const std::string command = std::string(VEK_TEST_BIN_DIR) + "/vekcontent '" + show->path().string() + "' >/dev/null";
        generated = std::system(command.c_str()) == 0;
    }
    static void TearDownTestSuite()
    {
        delete show;
        show = nullptr;
    }

protected:
    void SetUp() override { ASSERT_TRUE(generated); }
    static TempDir* show;
    static bool generated;
};
TempDir* EngineContent::show = nullptr;
bool EngineContent::generated = false;

// The font grid: character 32 + g in column g % 16, row g / 16 counted from the bottom of
// the stored image, each glyph upside down. Offset v counts rows from a glyph's visual top.
int GlyphPixel(const Picture& font, int character, int column, int v)
{
    const int g = character - 32;
    const int cellBottomRow = 128 - 16 * (g / 16);   // one past the cell's last stored row
    return font.at((g % 16) * 16 + column, cellBottomRow - 1 - v);
}

// Dark pixels of a glyph in visual rows [top, bottom).
int DarkPixels(const Picture& font, int character, int top, int bottom, int columns = 16)
{
    int dark = 0;
    for (int v = top; v < bottom; ++v)
        for (int x = 0; x < columns; ++x) dark += GlyphPixel(font, character, x, v) < 128;
    return dark;
}
}  // namespace

TEST_F(EngineContent, FontHasEveryGlyphInItsCellDarkOnWhite)
{
    Picture font;
    ASSERT_TRUE(Decode(show->path() / "Data" / "font.bin", font));
    ASSERT_EQ(font.width, 256u);
    ASSERT_EQ(font.height, 128u);
    // The space and the apostrophe, the overlay captions' word gap, are empty cells.
    EXPECT_EQ(DarkPixels(font, ' ', 0, 16), 0);
    EXPECT_EQ(DarkPixels(font, '\'', 0, 16), 0);
    for (int c = 33; c < 127; ++c) {
        if (c == '\'') continue;
        // Drawn: the top 15 rows of a cell and the 10-unit advance from its left edge.
        EXPECT_GT(DarkPixels(font, c, 0, 15, 10), 3) << "character " << char(c);
        EXPECT_EQ(DarkPixels(font, c, 15, 16), 0) << "character " << char(c) << " reaches the row that is not drawn";
        EXPECT_EQ(DarkPixels(font, c, 0, 16) - DarkPixels(font, c, 0, 16, 11), 0) << "character " << char(c) << " spills right";
    }
    // Upright when drawn: the caret sits high in the cell, the underscore low, and
    // letters share one baseline that the descender of g passes.
    EXPECT_GT(DarkPixels(font, '^', 0, 6), 0);
    EXPECT_EQ(DarkPixels(font, '^', 8, 16), 0);
    auto lowestRow = [&](int c) {
        int lowest = -1;
        for (int v = 0; v < 16; ++v)
            if (DarkPixels(font, c, v, v + 1) > 0) lowest = v;
        return lowest;
    };
    EXPECT_EQ(lowestRow('H'), lowestRow('x'));
    EXPECT_GT(lowestRow('g'), lowestRow('H'));
    EXPECT_GT(lowestRow('_'), lowestRow('H'));
    EXPECT_EQ(DarkPixels(font, '_', 0, lowestRow('H')), 0);
}

TEST_F(EngineContent, GlowImagesAreARadialGlowAndAStarOnBlack)
{
    Picture glow, star;
    ASSERT_TRUE(Decode(show->path() / "Data" / "raw1.bin", glow));
    ASSERT_TRUE(Decode(show->path() / "Data" / "raw2.bin", star));
    for (const Picture* picture : {&glow, &star}) {
        ASSERT_EQ(picture->width, 128u);
        ASSERT_EQ(picture->height, 128u);
        EXPECT_GT(picture->at(64, 64), 230);
        for (int corner : {0, 127}) EXPECT_LT(picture->at(corner, corner), 8);
    }
    // The glow falls off the same way in every direction.
    EXPECT_NEAR(glow.at(64 + 30, 64), glow.at(64, 64 - 30), 8);
    EXPECT_GT(glow.at(64 + 10, 64), glow.at(64 + 30, 64));
    // The star is bright along its long rays and dark between them.
    EXPECT_GT(star.at(64 + 40, 64), 60);
    EXPECT_LT(star.at(64 + 28, 64 + 28), 20);
    EXPECT_LT(star.at(64 + 40, 64 + 15), 20);
}

TEST_F(EngineContent, LensFlareSetFillsTheSlotsTheFlaresUse)
{
    const auto path = show->path() / "escena" / "lens.k2d";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    const k2d::ReadResult result = k2d::ReadImages(file, path.c_str(), k2d::Layout::slots, false, k2d::ReadLimits{5, 12, 128});
    std::fclose(file);
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    ASSERT_EQ(result.images.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(result.images[std::size_t(i)].slot, i);
        const k2d::Image& image = result.images[std::size_t(i)];
        // Drawn additively with clamped edges: the border is black.
        EXPECT_LT(image.pixels[0], 8) << "slot " << i;
        EXPECT_LT(image.pixels[image.byteSize() - 1], 8) << "slot " << i;
    }
}
