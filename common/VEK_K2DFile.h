// The K2D container: complete JPEG files stored back to back behind a 28-byte text
// header, each followed by one 0xFF pad byte. Three layouts differ in what precedes the
// images (all integers little-endian):
//
//   A  skin          size S (int32), S JPEG bytes, 0xFF, then optionally a mask JPEG
//                    (no size field: it runs to the end of the file) and 0xFF
//   B  sequence      count (uint32, only the low byte is used), then per image:
//                    size (int32), JPEG bytes, 0xFF
//   C  named slots   reserved byte, count (uint8), then per record: name length L
//                    (uint8), L name bytes, slot (uint8), size (int32), JPEG bytes, 0xFF
//
// This file indexes a K2D file: it walks the record table, checks every count, size and
// offset against the file's real size, and decodes nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace k2d {

inline constexpr char kHeaderText[] = "5rb LayerText 2dEngine files";
inline constexpr long kHeaderSize = 28;          // the text above without its terminator
inline constexpr unsigned char kPadByte = 0xFF;  // follows every stored JPEG
inline constexpr int kMaxNameLength = 55;        // longer layout C names are cut to this
inline constexpr long kSkinBaseOffset = 32;      // header + size field

enum class Layout { skin, sequence, slots };

// One stored JPEG.
struct Record {
    long offset = 0;   // file position of the JPEG's first byte
    long size = 0;     // stored JPEG bytes; for a skin mask, the bytes up to the end of the file
    int slot = 0;      // layout C: the record's slot; A: 0 base, 1 mask; B: the image's index
    std::string name;  // layout C only, at most kMaxNameLength characters
    long nameLength = 0;  // layout C: the length stored in the file
};

// The record table of a file, or why it could not be read.
struct Index {
    std::vector<Record> records;
    uint32_t storedCount = 0;  // B: the 32-bit count field as stored; C: the count byte
    std::string error;         // empty when the table is sound
    bool ok() const { return error.empty(); }
};

// Size of an open file in bytes (its position is restored), -1 when it cannot be told.
long FileSize(std::FILE* file);

// Layout A. With withMask the mask is taken to start right after the base's pad byte,
// whatever it holds; a file that ends there has no mask record (not an error).
Index IndexSkin(std::FILE* file, bool withMask);
// Layout B. The count is the low byte of the stored 32-bit field.
Index IndexSequence(std::FILE* file);
// Layout C.
Index IndexSlots(std::FILE* file);
Index IndexFile(std::FILE* file, Layout layout, bool withMask = false);

const char* LayoutName(Layout layout);

}  // namespace k2d
