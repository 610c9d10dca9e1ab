#include "VEK_K2DFile.h"
#include "VEK_Format.h"

#include <cstdarg>

namespace k2d {
namespace {
// What is wrong with a damaged file, for the readers' messages and `k2d list`.
namespace text {
constexpr const char* kNoSize = "the size of the file cannot be measured";
constexpr const char* kEndsInHeader = "the file ends inside its %s (it has %ld bytes)";
constexpr const char* kBadSize = "image %d claims %ld bytes";
constexpr const char* kPastEnd = "image %d (%ld bytes at offset %ld) runs past the end of the file (%ld bytes)";
constexpr const char* kRecordPastEnd = "record %d runs past the end of the file (%ld bytes)";
}  // namespace text


// Reads fields of the record table, never past the file's real end.
class Cursor {
public:
    Cursor(std::FILE* file, long size) : file_(file), size_(size) {}

    long position() const { return position_; }
    long size() const { return size_; }
    bool Has(long bytes) const { return bytes >= 0 && position_ <= size_ - bytes; }

    bool Skip(long bytes)
    {
        if (!Has(bytes)) return false;
        position_ += bytes;
        return true;
    }
    bool Read(void* out, long bytes)
    {
        if (!Has(bytes) || std::fseek(file_, position_, SEEK_SET) != 0) return false;
        if (bytes > 0 && std::fread(out, 1, std::size_t(bytes), file_) != std::size_t(bytes)) return false;
        position_ += bytes;
        return true;
    }
    bool ReadByte(unsigned& value)
    {
        unsigned char byte = 0;
        if (!Read(&byte, 1)) return false;
        value = byte;
        return true;
    }
    bool ReadUint32(uint32_t& value)
    {
        unsigned char bytes[4];
        if (!Read(bytes, 4)) return false;
        value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
        return true;
    }
    bool ReadInt32(long& value)
    {
        uint32_t raw = 0;
        if (!ReadUint32(raw)) return false;
        value = static_cast<int32_t>(raw);
        return true;
    }

private:
    std::FILE* file_;
    long size_;
    long position_ = 0;
};

// Takes the JPEG of `size` bytes at the cursor as record `number`, and moves past it and
// its pad byte. The pad byte after the last image may be missing without harm.
bool TakeImage(Cursor& cursor, int number, long size, Record& record, Index& index)
{
    if (size <= 0) {
        index.error = FormatText(text::kBadSize, number, size);
        return false;
    }
    if (!cursor.Has(size)) {
        index.error = FormatText(text::kPastEnd, number, size, cursor.position(), cursor.size());
        return false;
    }
    record.offset = cursor.position();
    record.size = size;
    index.records.push_back(record);
    cursor.Skip(size);
    cursor.Skip(1);
    return true;
}

// Marks the index as damaged; the records read before the fault stay for inspection.
Index& Broken(Index& index, std::string error)
{
    index.error = std::move(error);
    return index;
}

// Opens the cursor past the header and the fixed fields that follow it.
bool Start(const char* fixedFields, long fixedSize, Cursor& cursor, Index& index)
{
    if (cursor.size() < 0) {
        index.error = text::kNoSize;
        return false;
    }
    if (!cursor.Has(kHeaderSize + fixedSize)) {
        index.error = FormatText(text::kEndsInHeader, fixedFields, cursor.size());
        return false;
    }
    cursor.Skip(kHeaderSize);
    return true;
}
}  // namespace

long FileSize(std::FILE* file)
{
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return size;
}

Index IndexSkin(std::FILE* file, bool withMask)
{
    Index index;
    Cursor cursor(file, FileSize(file));
    if (!Start("header and image size", 4, cursor, index)) return index;
    long size = 0;
    cursor.ReadInt32(size);
    Record base;
    if (!TakeImage(cursor, 0, size, base, index)) return index;
    // The mask is optional in the container: a file that ends after its base image (and
    // pad byte) holds a skin without one, whatever the caller expected.
    if (!withMask || !cursor.Has(1)) return index;
    Record mask;
    mask.slot = 1;
    mask.offset = cursor.position();
    mask.size = cursor.size() - mask.offset;
    index.records.push_back(mask);
    return index;
}

Index IndexSequence(std::FILE* file)
{
    Index index;
    Cursor cursor(file, FileSize(file));
    if (!Start("header and image count", 4, cursor, index)) return index;
    cursor.ReadUint32(index.storedCount);
    const int count = int(index.storedCount & 0xFF);
    for (int i = 0; i < count; ++i) {
        long size = 0;
        if (!cursor.ReadInt32(size)) return Broken(index, FormatText(text::kRecordPastEnd, i, cursor.size()));
        Record record;
        record.slot = i;
        if (!TakeImage(cursor, i, size, record, index)) return index;
    }
    return index;
}

Index IndexSlots(std::FILE* file)
{
    Index index;
    Cursor cursor(file, FileSize(file));
    if (!Start("header and record count", 2, cursor, index)) return index;
    unsigned reserved = 0, count = 0;
    cursor.ReadByte(reserved);
    cursor.ReadByte(count);
    index.storedCount = count;
    for (int i = 0; i < int(count); ++i) {
        Record record;
        unsigned nameLength = 0, slot = 0;
        char name[256];
        long size = 0;
        if (!cursor.ReadByte(nameLength) || !cursor.Read(name, nameLength) || !cursor.ReadByte(slot) ||
            !cursor.ReadInt32(size))
            return Broken(index, FormatText(text::kRecordPastEnd, i, cursor.size()));
        record.nameLength = nameLength;
        record.name.assign(name, nameLength > unsigned(kMaxNameLength) ? unsigned(kMaxNameLength) : nameLength);
        record.slot = int(slot);
        if (!TakeImage(cursor, i, size, record, index)) return index;
    }
    return index;
}

Index IndexFile(std::FILE* file, Layout layout, bool withMask)
{
    switch (layout) {
    case Layout::skin: return IndexSkin(file, withMask);
    case Layout::sequence: return IndexSequence(file);
    case Layout::slots: return IndexSlots(file);
    }
    Index index;
    return Broken(index, "unknown layout");
}

const char* LayoutName(Layout layout)
{
    switch (layout) {
    case Layout::skin: return "A (skin)";
    case Layout::sequence: return "B (image sequence)";
    case Layout::slots: return "C (named slots)";
    }
    return "?";
}

}  // namespace k2d
