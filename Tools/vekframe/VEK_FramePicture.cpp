#include "VEK_FramePicture.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

namespace {
constexpr int kMaxSide = 16384;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// One header number after white space and comments; -1 when there is none.
long HeaderNumber(std::FILE* file)
{
    int c = std::fgetc(file);
    while (c == '#' || std::isspace(c)) {
        if (c == '#')
            while (c != '\n' && c != EOF) c = std::fgetc(file);
        c = std::fgetc(file);
    }
    long value = -1;
    while (c != EOF && std::isdigit(c)) {
        value = (value < 0 ? 0 : value) * 10 + (c - '0');
        if (value > 1000000) return -1;
        c = std::fgetc(file);
    }
    if (value >= 0 && !std::isspace(c)) return -1;   // one white-space byte ends every number
    return value;
}
}  // namespace

bool ReadPpmPicture(const std::string& path, FramePicture& picture, std::string& error)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return error = "cannot read " + path, false;
    char magic[2] = {};
    if (std::fread(magic, 1, 2, file.get()) != 2 || magic[0] != 'P' || magic[1] != '6')
        return error = path + " is not a binary PPM picture", false;
    const long width = HeaderNumber(file.get()), height = HeaderNumber(file.get()), maximum = HeaderNumber(file.get());
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || maximum != 255)
        return error = path + ": the PPM header is not one of 1 to 16384 pixels a side with 8-bit channels", false;
    picture.width = int(width);
    picture.height = int(height);
    picture.rgb.resize(std::size_t(width) * std::size_t(height) * 3);
    if (std::fread(picture.rgb.data(), 1, picture.rgb.size(), file.get()) != picture.rgb.size())
        return error = path + " ends before its last pixel", false;
    return true;
}

bool CropPicture(const FramePicture& in, int x, int y, int w, int h, FramePicture& out)
{
    if (x < 0 || y < 0 || w < 1 || h < 1 || x > in.width - w || y > in.height - h) return false;
    out.width = w;
    out.height = h;
    out.rgb.resize(std::size_t(w) * std::size_t(h) * 3);
    for (int row = 0; row < h; ++row)
        std::copy_n(&in.rgb[(std::size_t(y + row) * std::size_t(in.width) + std::size_t(x)) * 3], std::size_t(w) * 3,
                    &out.rgb[std::size_t(row) * std::size_t(w) * 3]);
    return true;
}

FramePicture ShrinkPicture(const FramePicture& in, int width)
{
    if (width >= in.width || width < 1) return in;
    FramePicture out;
    out.width = width;
    out.height = std::max(1, int((long long)in.height * width / in.width));
    out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
    for (int y = 0; y < out.height; ++y) {
        const int top = int((long long)y * in.height / out.height);
        const int bottom = std::max(top + 1, int((long long)(y + 1) * in.height / out.height));
        for (int x = 0; x < out.width; ++x) {
            const int left = int((long long)x * in.width / out.width);
            const int right = std::max(left + 1, int((long long)(x + 1) * in.width / out.width));
            unsigned long sum[3] = {};
            for (int sy = top; sy < bottom; ++sy)
                for (int sx = left; sx < right; ++sx)
                    for (int c = 0; c < 3; ++c) sum[c] += in.rgb[(std::size_t(sy) * std::size_t(in.width) + std::size_t(sx)) * 3 + std::size_t(c)];
            const unsigned long count = (unsigned long)(bottom - top) * (unsigned long)(right - left);
            for (int c = 0; c < 3; ++c)
                out.rgb[(std::size_t(y) * std::size_t(out.width) + std::size_t(x)) * 3 + std::size_t(c)] =
                    static_cast<unsigned char>((sum[c] + count / 2) / count);
        }
    }
    return out;
}
