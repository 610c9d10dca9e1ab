// The loading picture: a night sky with a glowing Lissajous figure, a ringed planet, the
// title and "LOADING", drawn here, stored as "escena/load.jpg" and packed into slot 0 of
// "escena/load.k2d", the named-slot file the player shows while the show loads.
#include "VEK_ContentGen.h"
#include "VEK_JpegWriter.h"
#include "VEK_K2DPack.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace contentgen {
namespace {
namespace fs = std::filesystem;

// A power-of-two texture; the player shows it at 266 x 428 on its 800 x 600 screen.
constexpr int kWidth = 256;
constexpr int kHeight = 512;
constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double r, g, b;
};

// Light accumulates in floating point and is clipped once at the end.
class Canvas {
public:
    Canvas() : light_(std::size_t(kWidth) * kHeight) {}

    Colour& at(int x, int y) { return light_[std::size_t(y) * kWidth + std::size_t(x)]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < kWidth && y < kHeight; }

    // A soft round glow, brightest at its centre.
    void Glow(double cx, double cy, double radius, Colour colour)
    {
        const int reach = int(std::ceil(radius * 3));
        for (int y = int(cy) - reach; y <= int(cy) + reach; ++y)
            for (int x = int(cx) - reach; x <= int(cx) + reach; ++x) {
                if (!inside(x, y)) continue;
                const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                const double w = std::exp(-d2 / (2 * radius * radius));
                Add(at(x, y), colour, w);
            }
    }

    std::vector<unsigned char> Rgb() const
    {
        std::vector<unsigned char> rgb;
        rgb.reserve(light_.size() * 3);
        for (const Colour& c : light_)
            for (double v : {c.r, c.g, c.b}) rgb.push_back(static_cast<unsigned char>(std::clamp(v, 0.0, 1.0) * 255 + 0.5));
        return rgb;
    }

    static void Add(Colour& to, Colour colour, double weight)
    {
        to.r += colour.r * weight;
        to.g += colour.g * weight;
        to.b += colour.b * weight;
    }

private:
    std::vector<Colour> light_;
};

void Sky(Canvas& canvas)
{
    for (int y = 0; y < kHeight; ++y) {
        const double t = double(y) / (kHeight - 1);
        const Colour colour{0.04 + 0.26 * t * t, 0.05 + 0.04 * t, 0.16 + 0.20 * t};
        for (int x = 0; x < kWidth; ++x) canvas.at(x, y) = colour;
    }
    uint32_t seed = 0x5EED1234u;  // the same stars every run
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return double(seed >> 8) / double(1u << 24);
    };
    for (int i = 0; i < 220; ++i) {
        const double x = next() * kWidth, y = next() * kHeight * 0.8, bright = 0.2 + 0.8 * next() * next();
        canvas.Glow(x, y, 0.6 + 0.5 * next(), {bright, bright, bright * 1.1});
    }
}

// A 3:2 Lissajous figure traced in glowing dots, shading from cyan to magenta.
void Figure(Canvas& canvas)
{
    const double cx = kWidth / 2.0, cy = 215, ax = 100, ay = 85;
    const int dots = 2400;
    for (int i = 0; i < dots; ++i) {
        const double t = 2 * kPi * i / dots;
        const double mix = 0.5 + 0.5 * std::sin(t * 2);
        const Colour colour{0.10 + 0.30 * mix, 0.35 - 0.2 * mix, 0.45};
        canvas.Glow(cx + ax * std::sin(3 * t + kPi / 2), cy + ay * std::sin(2 * t), 1.6, {colour.r * 0.5, colour.g * 0.5, colour.b * 0.5});
    }
}

// A lit sphere with a tilted ring in front of and behind it.
void Planet(Canvas& canvas)
{
    const double cx = kWidth / 2.0, cy = 372, radius = 46;
    const double lightX = -0.55, lightY = -0.6, lightZ = 0.58;
    auto ring = [&](bool front) {
        for (int i = 0; i < 1600; ++i) {
            const double a = 2 * kPi * i / 1600;
            const double rx = std::cos(a) * 88, ry = std::sin(a) * 20;
            const double x = cx + rx * 0.97 - ry * 0.25, y = cy + rx * 0.22 + ry * 0.97;
            if ((std::sin(a) > 0) != front) continue;
            canvas.Glow(x, y, 1.1, {0.16, 0.12, 0.07});
        }
    };
    ring(false);
    for (int y = int(cy - radius); y <= int(cy + radius); ++y)
        for (int x = int(cx - radius); x <= int(cx + radius); ++x) {
            const double nx = (x - cx) / radius, ny = (y - cy) / radius, r2 = nx * nx + ny * ny;
            if (r2 > 1.0 || !canvas.inside(x, y)) continue;
            const double nz = std::sqrt(1.0 - r2);
            const double lit = std::max(0.0, nx * lightX + ny * lightY + nz * lightZ);
            const double bands = 0.5 + 0.5 * std::sin(ny * 11.0 + nx * 2.0);
            const double edge = std::min(1.0, (1.0 - r2) * 8.0);  // soft limb
            const Colour surface{0.95 - 0.25 * bands, 0.55 + 0.15 * bands, 0.35 + 0.25 * bands};
            Colour& pixel = canvas.at(x, y);
            const double w = edge, shade = 0.08 + 0.92 * lit;
            pixel = {pixel.r * (1 - w) + surface.r * shade * w, pixel.g * (1 - w) + surface.g * shade * w,
                     pixel.b * (1 - w) + surface.b * shade * w};
        }
    canvas.Glow(cx - 20, cy - 22, 30, {0.05, 0.04, 0.02});
    ring(true);
}

// 5 x 7 letters, one row a byte, bit 4 the leftmost pixel.
struct Letter {
    char c;
    unsigned char rows[7];
};
constexpr Letter kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
};

const Letter* FindLetter(char c)
{
    for (const Letter& letter : kFont)
        if (letter.c == c) return &letter;
    return nullptr;
}

// Text centred on a row, each font pixel a glowing square dot of `scale` pixels.
void Text(Canvas& canvas, const char* text, int top, int scale, Colour colour)
{
    const int length = int(std::char_traits<char>::length(text));
    const int width = length * 6 * scale - scale;
    const int left = (kWidth - width) / 2;
    for (int i = 0; i < length; ++i) {
        const Letter* letter = FindLetter(text[i]);
        if (!letter) continue;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column) {
                if (!(letter->rows[row] & (0x10 >> column))) continue;
                const double x = left + (i * 6 + column + 0.5) * scale, y = top + (row + 0.5) * scale;
                canvas.Glow(x, y, scale * 0.9, {colour.r * 0.35, colour.g * 0.35, colour.b * 0.35});
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx) {
                        const int px = left + (i * 6 + column) * scale + dx, py = top + row * scale + dy;
                        if (canvas.inside(px, py)) Canvas::Add(canvas.at(px, py), colour, 0.8);
                    }
            }
    }
}

bool MakeLoadingScreen(const fs::path& show)
{
    Canvas canvas;
    Sky(canvas);
    Figure(canvas);
    Planet(canvas);
    Text(canvas, "VEK", 38, 9, {0.55, 0.85, 1.0});
    Text(canvas, "LOADING", 462, 3, {1.0, 0.9, 0.75});

    const fs::path jpeg = show / "escena" / "load.jpg";
    const fs::path k2dFile = show / "escena" / "load.k2d";
    const std::vector<unsigned char> rgb = canvas.Rgb();
    if (!WriteJpegFile(jpeg.string(), rgb.data(), kWidth, kHeight, JpegWriteOptions{92})) return false;
    const k2d::PackStatus status = k2d::WriteSlots(k2dFile.c_str(), {{"loading", 0, jpeg.string()}});
    if (!status.ok()) std::fprintf(stderr, "vekcontent: cannot write %s\n", k2dFile.c_str());
    return status.ok();
}
}  // namespace

VEK_CONTENT_STEP(20, "loading picture escena/load.k2d", MakeLoadingScreen);

}  // namespace contentgen
