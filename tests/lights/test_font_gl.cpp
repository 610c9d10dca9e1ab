// The bitmap font: glyph placement in the 512 x 512 virtual screen, the GL_BLEND
// environment's colours, the statistics overlay's lines, and fonts that cannot be used.
#include "LightFixtures.h"

#include "VEK_Font.h"
#include "VEK_JpegReader.h"
#include "vekPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace lights;

namespace {
// Test font images: white ground (adds nothing), and in the cells of the chosen
// characters a dark bar over the glyph's first four columns (adds white).
const char* barCharacters = "";
std::uint32_t imageWidth = Font::kImageWidth, imageHeight = Font::kImageHeight;

void BarFont(TextureImage& image, const std::string& fileName)
{
    image.fileName = fileName;
    image.width = imageWidth;
    image.height = imageHeight;
    image.pixels.assign(std::size_t(imageWidth) * imageHeight * 3, 255);
    for (const char* c = barCharacters; *c; ++c) {
        const int g = *c - Font::kFirstChar;
        const int left = (g % 16) * 16;
        const int top = int(imageHeight) - 16 * (g / 16 + 1);   // row 0 is at the bottom
        for (int y = top; y < top + 16; ++y)
            for (int x = left; x < left + 4; ++x)
                for (int k = 0; k < 3; ++k) image.pixels[(std::size_t(y) * imageWidth + std::size_t(x)) * 3 + std::size_t(k)] = 0;
    }
    image.loaded = true;
}

class FontGL : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        barCharacters = "";
        imageWidth = Font::kImageWidth;
        imageHeight = Font::kImageHeight;
        glEnable(GL_TEXTURE_2D);
    }
    // Whether the bar's pixel row at height y is lit at x.
    static bool Lit(int x, int y) { return ReadPixel(x, y).r > 200; }
    static bool Dark(int x, int y) { return ReadPixel(x, y).r < 20; }
};
}  // namespace

TEST_F(FontGL, PrintsEachGlyphTenUnitsRightOfTheLast)
{
    barCharacters = "AB";
    Font font("font.bin", BarFont);
    ASSERT_TRUE(font.usable());
    font.print(100, 200, "%s", "AB");
    DumpFrame("font_ab");
    // One virtual unit is one pixel of this 512 x 512 viewport. The bars cover glyph
    // columns 0 .. 3: x 100 .. 104 for A and 110 .. 114 for B.
    const int row = 208;
    EXPECT_TRUE(Lit(102, row));
    EXPECT_TRUE(Dark(107, row));
    EXPECT_TRUE(Lit(112, row));
    EXPECT_TRUE(Dark(118, row));
    EXPECT_TRUE(Dark(97, row));
    // The glyph quad is 16 units tall from the pen's y.
    EXPECT_TRUE(Lit(102, 202));
    EXPECT_TRUE(Lit(102, 214));
    EXPECT_TRUE(Dark(102, 197));
    EXPECT_TRUE(Dark(102, 219));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(FontGL, GlyphsAddTheirColourInTheBlendEnvironmentWhateverWasSetBefore)
{
    barCharacters = "A";
    Font font("font.bin", BarFont);
    // Glyphs are added (GL_ONE, GL_ONE): a dark texel adds (1 - 0) white, the white ground 0.
    glClearColor(0.25f, 0.5f, 0.125f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    font.print(50, 50, "A");
    EXPECT_TRUE(Near(ReadPixel(52, 58), 1, 1, 1));
    EXPECT_TRUE(Near(ReadPixel(58, 58), 0.25f, 0.5f, 0.125f));
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_DECAL);
}

TEST_F(FontGL, VirtualScreenFollowsTheViewport)
{
    barCharacters = "A";
    Font font("font.bin", BarFont);
    // A 256 x 256 viewport at (256, 0): a virtual unit is half a pixel.
    glViewport(256, 0, 256, 256);
    font.print(100, 200, "A");
    glViewport(0, 0, kSide, kSide);
    EXPECT_TRUE(Lit(256 + 51, 104));
    EXPECT_TRUE(Dark(256 + 56, 104));
    EXPECT_TRUE(Dark(102, 208));
}

TEST_F(FontGL, NullFormatAndCharactersOutsideTheFontDrawNothing)
{
    barCharacters = "A";
    Font font("font.bin", BarFont);
    font.print(100, 200, nullptr);
    font.print(100, 200, "%c%c", 1, 200);
    for (int x = 95; x < 130; x += 3) EXPECT_TRUE(Dark(x, 208)) << x;
}

TEST_F(FontGL, OverlayPrintsEveryLineWithItsValue)
{
    OverlayStats stats;
    stats.fpsShown = 59.9f;
    stats.objectCount = 123;
    stats.faceTotal = 45678;
    stats.cpuPolyLoad = 0;
    stats.lightCount = 3;
    stats.materialCount = 12;
    const char* expected[kOverlayLines] = {
        "vek'3D'Engine'v.0.018'Alpha", "Frames'per'second'59", "Loaded'Objects'123", "Total'Polys'Loaded'45678",
        "CPU'Poly'Load'0",             "Loaded'Lights'3",      "Loaded'Materials'12",
    };
    const int rows[kOverlayLines] = {1, 16, 32, 48, 64, 80, 96};
    char text[256];
    for (int i = 0; i < kOverlayLines; ++i) {
        EXPECT_EQ(formatStatisticsLine(stats, i, text, sizeof text), rows[i]);
        EXPECT_STREQ(text, expected[i]);
    }

    // Every printable character carries a bar, so each line lights one bar per character:
    // at x = 16 + 10 k for k below the line's length, and nothing after it.
    static std::string all;
    all.clear();
    for (int c = 33; c < 127; ++c) all += char(c);
    barCharacters = all.c_str();
    Font font("font.bin", BarFont);
    drawStatistics(font, stats);
    DumpFrame("overlay");
    for (int i = 0; i < kOverlayLines; ++i) {
        const int y = rows[i] + 8;
        const int length = int(std::strlen(expected[i]));
        EXPECT_TRUE(Lit(kOverlayX + 10 * (length - 1) + 2, y)) << expected[i];
        EXPECT_TRUE(Dark(kOverlayX + 10 * length + 2, y)) << expected[i];
    }
}

TEST_F(FontGL, MissingOrWrongSizedImageLeavesAFontThatPrintsNothing)
{
    {
        Messages messages;
        Font font("font.bin");   // the engine's decoder; there is no Data/font.bin here
        EXPECT_FALSE(font.usable());
        ASSERT_EQ(messages.all().size(), 1u);
        EXPECT_EQ(messages.all()[0].text, "vek engine: Fatal Error,Cannont Find texture bitmap file Data/font.bin");
        font.print(100, 200, "AB");
        drawStatistics(font, OverlayStats{});
    }
    {
        barCharacters = "A";
        imageWidth = 128;
        Messages messages;
        Font font("font.bin", BarFont);
        EXPECT_FALSE(font.usable());
        ASSERT_EQ(messages.all().size(), 1u);
        EXPECT_EQ(messages.all()[0].text, "vek engine: the font image 'font.bin' is 128 x 128 pixels; it must be 256 x 128.");
        font.print(100, 200, "A");
    }
    for (int x = 95; x < 130; x += 3) EXPECT_TRUE(Dark(x, 208)) << x;
    // Drawing goes on.
    DrawSquare({0, 0, 0}, 1, 0, 0, 1);
    EXPECT_TRUE(Near(ReadPixel(kSide / 2, kSide / 2), 0, 0, 1));
}

namespace {
// Decodes Data/<file> of the working folder as the engine does, without its messages.
void DecodeDataFile(TextureImage& image, const std::string& fileName)
{
    image = TextureImage{};
    std::FILE* file = std::fopen(("Data/" + fileName).c_str(), "rb");
    if (!file) return;
    JpegReader reader;
    if (reader.ReadHeader(file) && std::fseek(file, 0, SEEK_SET) == 0) {
        image.pixels.resize(reader.ByteSize());
        image.width = reader.Width();
        image.height = reader.Height();
        image.loaded = reader.Decode(file, image.pixels.data(), image.pixels.size());
    }
    std::fclose(file);
}

// Lit pixels of the glyph printed at (x, y), by row from the bottom: its 16 rows and the
// 10 columns of its advance (the quads of neighbours overlap the rest).
std::array<int, 16> LitRows(int x, int y)
{
    std::array<int, 16> rows{};
    for (int v = 0; v < 16; ++v)
        for (int u = 0; u < Font::kAdvance; ++u) {
            unsigned char rgba[4];
            glReadPixels(x + u, y + v, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
            rows[std::size_t(v)] += rgba[0] > 128;
        }
    return rows;
}
}  // namespace

TEST_F(FontGL, GeneratedFontPrintsUprightGlyphsOnOneBaseline)
{
    const std::string command = std::string(VEK_TEST_BIN_DIR) + "/vekcontent . >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Font font("font.bin", DecodeDataFile);
    ASSERT_TRUE(font.usable());
    font.print(40, 300, "Hg_^ vek'3D'Engine");
    DumpFrame("font_generated");
    const auto capital = LitRows(40, 300), descender = LitRows(50, 300), underscore = LitRows(60, 300),
               caret = LitRows(70, 300), space = LitRows(80, 300);
    auto lowest = [](const std::array<int, 16>& rows) {
        for (int v = 0; v < 16; ++v)
            if (rows[std::size_t(v)] > 0) return v;
        return 16;
    };
    auto highest = [](const std::array<int, 16>& rows) {
        for (int v = 15; v >= 0; --v)
            if (rows[std::size_t(v)] > 0) return v;
        return -1;
    };
    // The capital stands on the baseline; g and _ go below it, ^ stays in the upper half.
    EXPECT_GT(lowest(capital), 0);
    EXPECT_LT(lowest(descender), lowest(capital));
    EXPECT_LT(lowest(underscore), lowest(capital));
    EXPECT_GT(lowest(caret), 8);
    EXPECT_GT(highest(capital), 10);
    EXPECT_EQ(highest(space), -1);
}

TEST_F(FontGL, GeneratedFontShowsGapsBetweenTheOverlaysWords)
{
    const std::string command = std::string(VEK_TEST_BIN_DIR) + "/vekcontent . >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Font font("font.bin", DecodeDataFile);
    ASSERT_TRUE(font.usable());
    OverlayStats stats;
    stats.fpsShown = 42;
    drawStatistics(font, stats);
    DumpFrame("overlay_generated");
    // The first two lines, character by character: a visible glyph has lit pixels in the
    // 10 units of its advance, a word gap (the captions' apostrophe) none.
    const struct {
        const char* text;
        int y;
    } lines[] = {{"vek'3D'Engine'v.0.018'Alpha", 1}, {"Frames'per'second'42", 16}};
    for (const auto& line : lines)
        for (int i = 0; line.text[i]; ++i) {
            const auto rows = LitRows(kOverlayX + Font::kAdvance * i, line.y);
            int lit = 0;
            for (int count : rows) lit += count;
            if (line.text[i] == '\'')
                EXPECT_EQ(lit, 0) << line.text << ", character " << i;
            else
                EXPECT_GT(lit, 0) << line.text << ", character " << i;
        }
}
