#include "K2DListing.h"

namespace k2dtool {
namespace {
bool StartsWithJpegMarker(std::FILE* file, long offset)
{
    unsigned char marker[2] = {0, 0};
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(marker, 1, 2, file) == 2 && marker[0] == 0xFF &&
           marker[1] == 0xD8;
}

// The table must end at the end of the file, with or without the last pad byte.
bool CoversFile(const k2d::Index& index, long fileSize)
{
    const long end = index.records.back().offset + index.records.back().size;
    return end == fileSize || end + 1 == fileSize;
}

std::string Check(std::FILE* file, const k2d::Index& index, long fileSize, bool maskRunsToEnd)
{
    if (!index.ok()) return index.error;
    for (const k2d::Record& record : index.records)
        if (!StartsWithJpegMarker(file, record.offset))
            return "record " + std::to_string(record.slot) + " does not start like a JPEG";
    if (index.records.empty()) {
        // An empty sequence or slot file is the header and its count fields alone.
        return fileSize <= 32 ? std::string() : "it stores no images but has more bytes";
    }
    if (!maskRunsToEnd && !CoversFile(index, fileSize)) return "its records do not account for the whole file";
    return {};
}

void AddReason(std::string& reasons, k2d::Layout layout, const std::string& why)
{
    if (!reasons.empty()) reasons += '\n';
    reasons += std::string("  layout ") + k2d::LayoutName(layout) + ": " + why;
}
}  // namespace

std::optional<Guess> GuessLayout(std::FILE* file, std::string& reasons)
{
    const long size = k2d::FileSize(file);
    reasons.clear();

    // Layout A: a base image, and a mask when more than its pad byte follows.
    k2d::Index skin = k2d::IndexSkin(file, false);
    std::string why = Check(file, skin, size, false);
    if (why.empty()) return Guess{k2d::Layout::skin, false, skin};
    if (skin.ok() && StartsWithJpegMarker(file, skin.records[0].offset)) {
        k2d::Index masked = k2d::IndexSkin(file, true);
        why = Check(file, masked, size, true);
        if (why.empty()) return Guess{k2d::Layout::skin, true, masked};
    }
    AddReason(reasons, k2d::Layout::skin, why);

    for (k2d::Layout layout : {k2d::Layout::sequence, k2d::Layout::slots}) {
        k2d::Index index = k2d::IndexFile(file, layout);
        why = Check(file, index, size, false);
        if (why.empty()) return Guess{layout, false, index};
        AddReason(reasons, layout, why);
    }
    return std::nullopt;
}

}  // namespace k2dtool
