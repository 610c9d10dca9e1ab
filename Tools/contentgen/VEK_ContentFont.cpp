// The engine's bitmap font "Data/font.bin": the characters 32 to 126 drawn with FreeType
// from DejaVu Sans Mono Bold (Debian's fonts-dejavu-core) into a 256 x 128 JPEG.
//
// The engine's glyph grid: 16 columns by 8 rows of 16 x 16 cells, character 32 + g in
// column g % 16 and row g / 16, row 0 at the bottom of the stored image and every glyph
// upside down (the engine's texture coordinate t grows towards a glyph's top). The font
// is drawn with the GL_BLEND texture environment, which adds (1 - texel): glyphs are
// dark on a white ground. Only the upper 15 rows of a cell show (the engine samples
// 0.12 of the image's height per row of cells), and the pen advances 10 pixels per
// character: the largest pixel size whose glyphs fit 15 rows is used, on a baseline as
// far down as the tallest glyph allows.
//
// The apostrophe's cell stays empty, like the space's: the engine prints only its
// statistics overlay with this font, and the overlay's fixed captions separate their
// words with apostrophes ("Frames'per'second").
#include "VEK_ContentGen.h"
#include "VEK_JpegWriter.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <vector>

namespace contentgen {
namespace {
namespace fs = std::filesystem;

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
constexpr int kWidth = 256, kHeight = 128;
constexpr int kCell = 16, kColumns = 16, kGlyphs = 95, kFirstChar = 32;
constexpr int kVisibleRows = 15;
constexpr int kWordGap = '\'';          // drawn as a gap
constexpr int kLargestPixelSize = 18;   // DejaVu Sans Mono advances 0.6 em: 10 pixels at 16 or 17
constexpr int kSmallestPixelSize = 10;

// Coverage of the upright sheet, 0 .. 255, row 0 at the top.
using Sheet = std::vector<unsigned char>;

void DrawGlyph(Sheet& sheet, const FT_GlyphSlot slot, int cellLeft, int cellTop, int baseline)
{
    const FT_Bitmap& bitmap = slot->bitmap;
    // Centred in the 10-pixel advance, which starts at the cell's left edge.
    const int left = cellLeft + (10 - int(slot->advance.x >> 6)) / 2 + slot->bitmap_left;
    const int top = cellTop + baseline - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row)
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = left + int(column), y = top + int(row);
            // Each glyph stays inside its own cell.
            if (x < cellLeft || x >= cellLeft + kCell || y < cellTop || y >= cellTop + kCell) continue;
            unsigned char& pixel = sheet[std::size_t(y) * kWidth + std::size_t(x)];
            pixel = std::max(pixel, bitmap.buffer[row * unsigned(bitmap.pitch) + column]);
        }
}

struct Extent {
    int ascent = 0, descent = 0;   // rows above and below the baseline over all glyphs
};

bool Measure(FT_Face face, Extent& extent)
{
    extent = {};
    for (int g = 0; g < kGlyphs; ++g) {
        if (FT_Load_Char(face, FT_ULong(kFirstChar + g), FT_LOAD_RENDER) != 0) {
            std::fprintf(stderr, "vekcontent: the font has no glyph for character %d\n", kFirstChar + g);
            return false;
        }
        const FT_GlyphSlot slot = face->glyph;
        if (slot->bitmap.rows == 0) continue;
        extent.ascent = std::max(extent.ascent, slot->bitmap_top);
        extent.descent = std::max(extent.descent, int(slot->bitmap.rows) - slot->bitmap_top);
    }
    return true;
}

// The largest size whose glyphs all fit the visible rows; false when none does.
bool ChooseSize(FT_Face face, Extent& extent)
{
    for (int size = kLargestPixelSize; size >= kSmallestPixelSize; --size) {
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0 || !Measure(face, extent)) return false;
        if (extent.ascent + extent.descent <= kVisibleRows && (face->glyph->advance.x >> 6) <= 10) return true;
    }
    std::fprintf(stderr, "vekcontent: the font's glyphs do not fit %d rows\n", kVisibleRows);
    return false;
}

bool DrawSheet(Sheet& sheet)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "vekcontent: FreeType does not start\n");
        return false;
    }
    FT_Face face = nullptr;
    bool ok = FT_New_Face(library, kFontFile, 0, &face) == 0;
    if (!ok) std::fprintf(stderr, "vekcontent: cannot open the font %s (package fonts-dejavu-core)\n", kFontFile);
    Extent extent;
    ok = ok && ChooseSize(face, extent);
    for (int g = 0; ok && g < kGlyphs; ++g) {
        if (kFirstChar + g == kWordGap) continue;
        ok = FT_Load_Char(face, FT_ULong(kFirstChar + g), FT_LOAD_RENDER) == 0;
        if (ok) DrawGlyph(sheet, face->glyph, (g % kColumns) * kCell, (g / kColumns) * kCell, extent.ascent);
    }
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}

// The stored image: the sheet upside down, dark glyphs on white.
std::vector<unsigned char> StoredImage(const Sheet& sheet)
{
    std::vector<unsigned char> rgb(std::size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char value = 255 - sheet[std::size_t(kHeight - 1 - y) * kWidth + std::size_t(x)];
            for (int c = 0; c < 3; ++c) rgb[(std::size_t(y) * kWidth + std::size_t(x)) * 3 + std::size_t(c)] = value;
        }
    return rgb;
}

bool MakeFont(const fs::path& show)
{
    Sheet sheet(std::size_t(kWidth) * kHeight, 0);
    if (!DrawSheet(sheet)) return false;
    const std::vector<unsigned char> rgb = StoredImage(sheet);
    return WriteJpegFile((show / "Data" / "font.bin").string(), rgb.data(), kWidth, kHeight, JpegWriteOptions{95});
}
}  // namespace

VEK_CONTENT_STEP(40, "engine font Data/font.bin", MakeFont);

}  // namespace contentgen
