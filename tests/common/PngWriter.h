// Writes RGB pixels as a PNG file (uncompressed deflate blocks), so a rendered frame can
// be looked at. Rows are given top first.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace fixtures {

inline uint32_t Crc32(const unsigned char* data, std::size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline bool WritePng(const std::string& path, const unsigned char* rgb, uint32_t width, uint32_t height)
{
    auto put32 = [](std::vector<unsigned char>& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
    };
    std::vector<unsigned char> raw;  // each row: filter byte 0, then the pixels
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb + std::size_t(y) * width * 3, rgb + std::size_t(y + 1) * width * 3);
    }
    std::vector<unsigned char> zlib{0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        zlib.push_back(at + n >= raw.size() ? 1 : 0);
        zlib.push_back(static_cast<unsigned char>(n));
        zlib.push_back(static_cast<unsigned char>(n >> 8));
        zlib.push_back(static_cast<unsigned char>(~n));
        zlib.push_back(static_cast<unsigned char>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        if (raw.empty()) break;
    }
    put32(zlib, b << 16 | a);

    std::vector<unsigned char> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const std::vector<unsigned char>& body) {
        put32(png, uint32_t(body.size()));
        const std::size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), body.begin(), body.end());
        put32(png, Crc32(&png[start], png.size() - start));
    };
    std::vector<unsigned char> header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    chunk("IHDR", header);
    chunk("IDAT", zlib);
    chunk("IEND", {});
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    return bool(out);
}

}  // namespace fixtures
