// Pictures, JPEG files and K2D files for the image tests, all made in the test.
#pragma once

#include "vekPlatform.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fixtures {

using Bytes = std::string;

// width x height RGB whose colour follows position: red grows to the right, green down,
// blue is fixed. Smooth, so JPEG keeps it within a few levels.
std::vector<unsigned char> Gradient(uint32_t width, uint32_t height, unsigned char blue = 96);
// One colour everywhere.
std::vector<unsigned char> Solid(uint32_t width, uint32_t height, unsigned char r, unsigned char g, unsigned char b);

enum class Kind { baseline, progressive, greyscale, restartMarkers, cmykAdobe };
const char* KindName(Kind kind);
// A JPEG file of the picture, written by libjpeg-turbo's encoder. cmykAdobe stores the
// picture as Adobe's inverted CMYK (K = 0, so the colours stay as they are).
Bytes Jpeg(const std::vector<unsigned char>& rgb, uint32_t width, uint32_t height, Kind kind = Kind::baseline,
           int quality = 95);
Bytes GradientJpeg(uint32_t width, uint32_t height, Kind kind = Kind::baseline);

// Largest difference of one channel between two pictures of the same size.
int MaxDifference(const unsigned char* a, const unsigned char* b, std::size_t bytes);

// K2D files put together field by field, so a test can write any value.
class K2DBuilder {
public:
    K2DBuilder();  // starts with the 28-byte header
    K2DBuilder& Byte(int value);
    K2DBuilder& Int32(int64_t value);  // low 32 bits, little-endian
    K2DBuilder& Raw(const Bytes& bytes);
    K2DBuilder& Image(const Bytes& jpeg);  // the JPEG and its 0xFF pad byte
    // Layout B or C record: size field, JPEG, pad.
    K2DBuilder& SizedImage(const Bytes& jpeg);
    K2DBuilder& SlotRecord(const std::string& name, int slot, const Bytes& jpeg);
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
};
Bytes SkinFile(const Bytes& base, const Bytes* mask = nullptr);
Bytes SequenceFile(const std::vector<Bytes>& images, int64_t storedCount = -1);
Bytes SlotsFile(const std::vector<std::pair<int, Bytes>>& slotImages, int reserved = 0);

// A read-only stream over bytes held in memory, closed with the object.
class MemoryFile {
public:
    explicit MemoryFile(const Bytes& bytes);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::FILE* get() const { return file_; }

private:
    Bytes bytes_;
    std::FILE* file_ = nullptr;
};

// Collects every message box shown while it lives.
class MessageCapture {
public:
    struct Message {
        std::string caption, text;
    };
    MessageCapture();
    ~MessageCapture();
    const std::vector<Message>& messages() const { return messages_; }
    bool Saw(const std::string& caption, const std::string& text) const;
    void Clear() { messages_.clear(); }

private:
    static void Hook(const char* caption, const char* text, void* self);
    std::vector<Message> messages_;
};

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

}  // namespace fixtures
