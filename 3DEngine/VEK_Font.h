// The engine's bitmap font and the statistics overlay printed with it.
//
// The font image is 256 x 128 pixels: 16 columns and 8 rows of 16 x 16 cells holding the
// characters 32 (space) to 126 (tilde) in order, the first row at the bottom of the
// stored image and each glyph stored upside down (texture t grows towards the glyph's
// top). It is drawn with the GL_BLEND texture environment against a black environment
// colour, so the glyphs are dark on a light ground in the image and come out light, added
// to the picture.
#pragma once

#include "VEK_TextureImage.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <string>

class Font {
public:
    static constexpr int kGlyphs = 95;         // characters 32 .. 126
    static constexpr int kFirstChar = 32;
    static constexpr int kImageWidth = 256;
    static constexpr int kImageHeight = 128;
    static constexpr int kAdvance = 10;        // pen advance per glyph, virtual-screen units
    static constexpr int kScreen = 512;        // the virtual screen is kScreen x kScreen units

    // Decodes the image into image (from the Data/ directory), creates the texture and the
    // 95 display lists. decode is the texture decoder; null means the engine's own
    // (LoadTexture, which reports a missing file). A missing or wrong-sized image leaves
    // the font unusable: print then draws nothing.
    using Decoder = void (*)(TextureImage& image, const std::string& fileName);
    explicit Font(const char* fileName, Decoder decode = nullptr);
    ~Font();   // deletes the display lists and the texture
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool usable() const { return usable_; }

    // Draws the formatted text (at most 255 characters) with its lower-left corner at
    // (x, y) of the virtual screen, whose origin is the viewport's lower-left corner.
    // A null format draws nothing.
    void print(int x, int y, const char* format, ...) const __attribute__((format(printf, 4, 5)));
    // The same for text that is already formatted.
    void printText(int x, int y, const char* text) const;

    GLuint texture = 0;
    GLuint displayListBase = 0;
    TextureImage image;

private:
    void upload();
    void compileGlyphs();

    bool usable_ = false;
};

// The values the statistics overlay shows.
struct OverlayStats {
    float fpsShown = 0;                  // shown truncated to an integer
    std::uint32_t objectCount = 0;       // from the scene file's header
    std::uint32_t faceTotal = 0;
    std::uint32_t cpuPolyLoad = 0;
    std::uint32_t lightCount = 0;
    std::uint32_t materialCount = 0;
};

inline constexpr int kOverlayLines = 7;
inline constexpr int kOverlayX = 16;
// Line i of the overlay (0 .. 6, bottom up) into text; returns the line's y in the
// virtual screen.
int formatStatisticsLine(const OverlayStats& stats, int i, char* text, std::size_t size);
// Prints the overlay; the render cycle calls it after the scene, outside its matrices.
void drawStatistics(const Font& font, const OverlayStats& stats);
