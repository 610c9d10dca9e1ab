#include "VEK_PngFile.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
}  // namespace

bool WriteBottomUpPng(const std::string& path, const unsigned char* rgb, int width, int height, std::string& error,
                      bool fast)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return error = "cannot write " + path, false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return error = "out of memory writing " + path, false;
    }
    // libpng takes non-const rows but only reads them.
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    const std::size_t stride = std::size_t(width) * 3;
    for (int y = 0; y < height; ++y) rows[std::size_t(y)] = const_cast<png_bytep>(rgb + stride * std::size_t(height - 1 - y));
    // libpng reports failures by jumping back here; nothing with a destructor is created
    // between this point and the calls that may jump.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return error = "failed writing " + path, false;
    }
    png_init_io(png, file.get());
    if (fast) {
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    }
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_rows(png, rows.data(), png_uint_32(height));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) return error = "failed writing " + path, false;
    return true;
}
