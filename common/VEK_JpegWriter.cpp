#include "VEK_JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {
struct WriteErrors {
    jpeg_error_mgr base;  // first, so libjpeg's pointer to it is a pointer to this
    std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<WriteErrors*>(info->err)->jump, 1);
}

void Configure(jpeg_compress_struct& info, uint32_t width, uint32_t height, const JpegWriteOptions& options)
{
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (options.greyscale) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&info);
    info.restart_in_rows = options.restartRows;
}

// Holds no C++ objects across the jump; the output buffer comes from malloc.
bool Encode(const unsigned char* rgb, uint32_t width, uint32_t height, const JpegWriteOptions& options,
            unsigned char** out, unsigned long* size)
{
    jpeg_compress_struct info;
    WriteErrors errors;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpBack;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    Configure(info, width, height, options);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb + std::size_t(info.next_scanline) * width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}
}  // namespace

std::vector<unsigned char> EncodeJpeg(const unsigned char* rgb, uint32_t width, uint32_t height,
                                      const JpegWriteOptions& options)
{
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<unsigned char> jpeg;
    if (Encode(rgb, width, height, options, &buffer, &size)) jpeg.assign(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

bool WriteJpegFile(const std::string& path, const unsigned char* rgb, uint32_t width, uint32_t height,
                   const JpegWriteOptions& options)
{
    const std::vector<unsigned char> jpeg = EncodeJpeg(rgb, width, height, options);
    if (jpeg.empty()) {
        std::fprintf(stderr, "%s: the image could not be encoded\n", path.c_str());
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(jpeg.data(), 1, jpeg.size(), file) == jpeg.size();
    if (file && std::fclose(file) != 0) ok = false;
    if (!ok) std::perror(path.c_str());
    return ok;
}
