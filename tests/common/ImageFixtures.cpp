#include "ImageFixtures.h"

#include "VEK_JpegWriter.h"
#include "VEK_K2DFile.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <jpeglib.h>

namespace fixtures {

std::vector<unsigned char> Gradient(uint32_t width, uint32_t height, unsigned char blue)
{
    std::vector<unsigned char> rgb(std::size_t(width) * height * 3);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            unsigned char* p = &rgb[(std::size_t(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(width > 1 ? 40 + 170 * x / (width - 1) : 128);
            p[1] = static_cast<unsigned char>(height > 1 ? 30 + 180 * y / (height - 1) : 128);
            p[2] = blue;
        }
    return rgb;
}

std::vector<unsigned char> Solid(uint32_t width, uint32_t height, unsigned char r, unsigned char g, unsigned char b)
{
    std::vector<unsigned char> rgb(std::size_t(width) * height * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
    return rgb;
}

const char* KindName(Kind kind)
{
    switch (kind) {
    case Kind::baseline: return "baseline";
    case Kind::progressive: return "progressive";
    case Kind::greyscale: return "greyscale";
    case Kind::restartMarkers: return "restart markers";
    case Kind::cmykAdobe: return "CMYK (Adobe)";
    }
    return "?";
}

namespace {
struct Errors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};
[[noreturn]] void Jump(j_common_ptr info) { std::longjmp(reinterpret_cast<Errors*>(info->err)->jump, 1); }

// libjpeg's encoder takes CMYK only as given; Adobe's convention stores 255 - ink.
bool EncodeCmyk(const std::vector<unsigned char>& rgb, uint32_t width, uint32_t height, int quality,
                unsigned char** out, unsigned long* size)
{
    std::vector<unsigned char> cmyk(std::size_t(width) * height * 4);
    for (std::size_t i = 0, j = 0; i < rgb.size(); i += 3, j += 4) {
        cmyk[j] = rgb[i];  // inverted cyan = red when there is no black ink
        cmyk[j + 1] = rgb[i + 1];
        cmyk[j + 2] = rgb[i + 2];
        cmyk[j + 3] = 255;  // inverted: no black
    }
    jpeg_compress_struct info;
    Errors errors;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = Jump;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);  // CMYK input: stored as CMYK with an Adobe marker
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &cmyk[std::size_t(info.next_scanline) * width * 4];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}
}  // namespace

Bytes Jpeg(const std::vector<unsigned char>& rgb, uint32_t width, uint32_t height, Kind kind, int quality)
{
    if (kind == Kind::cmykAdobe) {
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        Bytes jpeg;
        if (EncodeCmyk(rgb, width, height, quality, &buffer, &size)) jpeg.assign(reinterpret_cast<char*>(buffer), size);
        std::free(buffer);
        if (jpeg.empty()) throw std::runtime_error("CMYK encoding failed");
        return jpeg;
    }
    JpegWriteOptions options;
    options.quality = quality;
    options.progressive = kind == Kind::progressive;
    options.greyscale = kind == Kind::greyscale;
    options.restartRows = kind == Kind::restartMarkers ? 1 : 0;
    const std::vector<unsigned char> jpeg = EncodeJpeg(rgb.data(), width, height, options);
    if (jpeg.empty()) throw std::runtime_error("JPEG encoding failed");
    return Bytes(jpeg.begin(), jpeg.end());
}

Bytes GradientJpeg(uint32_t width, uint32_t height, Kind kind)
{
    return Jpeg(Gradient(width, height), width, height, kind);
}

int MaxDifference(const unsigned char* a, const unsigned char* b, std::size_t bytes)
{
    int most = 0;
    for (std::size_t i = 0; i < bytes; ++i) most = std::max(most, std::abs(int(a[i]) - int(b[i])));
    return most;
}

K2DBuilder::K2DBuilder() : bytes_(k2d::kHeaderText, std::size_t(k2d::kHeaderSize)) {}

K2DBuilder& K2DBuilder::Byte(int value)
{
    bytes_.push_back(static_cast<char>(value & 0xFF));
    return *this;
}

K2DBuilder& K2DBuilder::Int32(int64_t value)
{
    for (int shift = 0; shift < 32; shift += 8) Byte(int((value >> shift) & 0xFF));
    return *this;
}

K2DBuilder& K2DBuilder::Raw(const Bytes& bytes)
{
    bytes_ += bytes;
    return *this;
}

K2DBuilder& K2DBuilder::Image(const Bytes& jpeg) { return Raw(jpeg).Byte(0xFF); }

K2DBuilder& K2DBuilder::SizedImage(const Bytes& jpeg) { return Int32(int64_t(jpeg.size())).Image(jpeg); }

K2DBuilder& K2DBuilder::SlotRecord(const std::string& name, int slot, const Bytes& jpeg)
{
    return Byte(int(name.size())).Raw(name).Byte(slot).SizedImage(jpeg);
}

Bytes SkinFile(const Bytes& base, const Bytes* mask)
{
    K2DBuilder file;
    file.SizedImage(base);
    if (mask) file.Image(*mask);
    return file.bytes();
}

Bytes SequenceFile(const std::vector<Bytes>& images, int64_t storedCount)
{
    K2DBuilder file;
    file.Int32(storedCount < 0 ? int64_t(images.size()) : storedCount);
    for (const Bytes& image : images) file.SizedImage(image);
    return file.bytes();
}

Bytes SlotsFile(const std::vector<std::pair<int, Bytes>>& slotImages, int reserved)
{
    K2DBuilder file;
    file.Byte(reserved).Byte(int(slotImages.size()));
    for (const auto& [slot, jpeg] : slotImages) file.SlotRecord("slot" + std::to_string(slot), slot, jpeg);
    return file.bytes();
}

MemoryFile::MemoryFile(const Bytes& bytes) : bytes_(bytes)
{
    // fmemopen cannot open an empty buffer; an empty temporary file stands in.
    file_ = bytes_.empty() ? std::tmpfile() : fmemopen(bytes_.data(), bytes_.size(), "rb");
    if (!file_) throw std::runtime_error("cannot open a memory stream");
}

MemoryFile::~MemoryFile() { std::fclose(file_); }

MessageCapture::MessageCapture() { plat::SetMessageHook(Hook, this); }
MessageCapture::~MessageCapture() { plat::SetMessageHook(nullptr, nullptr); }

void MessageCapture::Hook(const char* caption, const char* text, void* self)
{
    static_cast<MessageCapture*>(self)->messages_.push_back({caption ? caption : "", text ? text : ""});
}

bool MessageCapture::Saw(const std::string& caption, const std::string& text) const
{
    for (const Message& message : messages_)
        if (message.caption == caption && message.text == text) return true;
    return false;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace fixtures
