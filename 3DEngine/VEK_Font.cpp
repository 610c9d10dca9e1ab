#include "VEK_Font.h"

#include "VEK_Textures.h"
#include "vekPlatform.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kFontCaption = "K3D Loading ERROR";
constexpr const char* kFontWrongSize = "vek engine: the font image '%s' is %u x %u pixels; it must be 256 x 128.";

constexpr std::size_t kTextCapacity = 256;
constexpr float kGlyphAlpha = 0.6f;
constexpr int kCell = 16;   // glyph quad side, virtual-screen units

struct OverlayRow {
    int y;
    const char* format;
};
constexpr OverlayRow kOverlayRows[kOverlayLines] = {
    {1, "vek'3D'Engine'v.0.018'Alpha"},  {16, "Frames'per'second'%d"}, {32, "Loaded'Objects'%d"},
    {48, "Total'Polys'Loaded'%d"},       {64, "CPU'Poly'Load'%d"},     {80, "Loaded'Lights'%d"},
    {96, "Loaded'Materials'%d"},
};

int overlayValue(const OverlayStats& stats, int i)
{
    switch (i) {
    case 1: return int(stats.fpsShown);
    case 2: return int(stats.objectCount);
    case 3: return int(stats.faceTotal);
    case 4: return int(stats.cpuPolyLoad);
    case 5: return int(stats.lightCount);
    case 6: return int(stats.materialCount);
    default: return 0;
    }
}
}  // namespace

Font::Font(const char* fileName, Decoder decode)
{
    if (!decode) decode = LoadTexture;
    if (decode && fileName) decode(image, fileName);
    const bool rightSize = image.width == kImageWidth && image.height == kImageHeight &&
                           image.pixels.size() >= std::size_t(kImageWidth) * kImageHeight * 3;
    if (image.loaded && !rightSize) {
        char message[256];
        std::snprintf(message, sizeof message, kFontWrongSize, fileName, image.width, image.height);
        plat::ShowMessage(kFontCaption, message);
    }
    usable_ = image.loaded && rightSize;
    upload();
    compileGlyphs();
}

Font::~Font()
{
    if (displayListBase) glDeleteLists(displayListBase, kGlyphs);
    if (texture) glDeleteTextures(1, &texture);
}

void Font::upload()
{
    glGenTextures(1, &texture);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    // Only an image of exactly the font's size is handed over: the upload reads
    // 256 x 128 x 3 bytes.
    if (usable_) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, kImageWidth, kImageHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    }
    glBindTexture(GL_TEXTURE_2D, texture);
}

void Font::compileGlyphs()
{
    displayListBase = glGenLists(kGlyphs);
    for (int g = 0; g < kGlyphs; ++g) {
        const float s0 = float(g % 16) / 16;
        const float t1 = 1 - float(g / 16) / 8;
        const float t0 = t1 - 0.12f;
        glNewList(displayListBase + GLuint(g), GL_COMPILE);
        glBegin(GL_QUADS);
        glColor4f(1, 1, 1, kGlyphAlpha);
        glTexCoord2f(s0, t0);
        glVertex2i(0, 0);
        glTexCoord2f(s0 + 0.0625f, t0);
        glVertex2i(kCell, 0);
        glTexCoord2f(s0 + 0.0625f, t1);
        glVertex2i(kCell, kCell);
        glTexCoord2f(s0, t1);
        glVertex2i(0, kCell);
        glEnd();
        glTranslated(kAdvance, 0, 0);
        glEndList();
    }
}

void Font::print(int x, int y, const char* format, ...) const
{
    if (!format) return;
    char text[kTextCapacity];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    printText(x, y, text);
}

void Font::printText(int x, int y, const char* text) const
{
    if (!text || !usable_) return;
    // Characters outside 32 .. 126 would call lists outside the font's range.
    unsigned char glyphs[kTextCapacity];
    std::size_t length = 0;
    for (; text[length] && length + 1 < kTextCapacity; ++length) {
        const unsigned char c = static_cast<unsigned char>(text[length]);
        glyphs[length] = c >= kFirstChar && c < kFirstChar + kGlyphs ? c : ' ';
    }
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The texture environment belongs to the texture unit, not to the texture: the font's
    // is set for its own drawing and the caller's put back afterwards.
    GLint previousEnv = GL_MODULATE;
    GLfloat previousColour[4] = {0, 0, 0, 0};
    static constexpr GLfloat kBlack[4] = {0, 0, 0, 0};
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &previousEnv);
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, previousColour);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, kBlack);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, kScreen, 0, kScreen, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(x, y, 0);
    glListBase(displayListBase - kFirstChar);
    glCallLists(GLsizei(length), GL_UNSIGNED_BYTE, glyphs);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, previousEnv);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, previousColour);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

int formatStatisticsLine(const OverlayStats& stats, int i, char* text, std::size_t size)
{
    if (i < 0 || i >= kOverlayLines || !text || size == 0) return 0;
    std::snprintf(text, size, kOverlayRows[i].format, overlayValue(stats, i));
    return kOverlayRows[i].y;
}

void drawStatistics(const Font& font, const OverlayStats& stats)
{
    char text[kTextCapacity];
    for (int i = 0; i < kOverlayLines; ++i) {
        const int y = formatStatisticsLine(stats, i, text, sizeof text);
        font.printText(kOverlayX, y, text);
    }
}
