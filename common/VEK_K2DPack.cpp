#include "VEK_K2DPack.h"

#include "VEK_K2DFile.h"
#include "VEK_K2DText.h"
#include "vekPlatform.h"

#include <cstdint>
#include <cstdio>
#include <limits>

namespace k2d {
namespace {
using Bytes = std::vector<unsigned char>;

// The whole content of a file; false when it cannot be opened or read, or is too large
// for the 32-bit size field.
bool ReadWholeFile(const char* path, Bytes& bytes)
{
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) return false;
    const long size = FileSize(file);
    bool ok = size >= 0 && size <= std::numeric_limits<int32_t>::max();
    if (ok) {
        bytes.resize(std::size_t(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    return ok;
}

bool ReadInputs(const std::vector<const char*>& paths, std::vector<Bytes>& contents, PackStatus& status)
{
    contents.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!ReadWholeFile(paths[i], contents[i])) {
            status = {PackResult::inputFailed, int(i)};
            return false;
        }
    }
    return true;
}

void PutUint32(Bytes& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

// An image as stored: its bytes and the pad byte.
void PutImage(Bytes& out, const Bytes& jpeg)
{
    out.insert(out.end(), jpeg.begin(), jpeg.end());
    out.push_back(kPadByte);
}

void PutHeader(Bytes& out) { out.insert(out.end(), kHeaderText, kHeaderText + kHeaderSize); }

PackStatus WriteOutput(const char* outPath, const Bytes& bytes)
{
    std::FILE* out = outPath ? std::fopen(outPath, "wb") : nullptr;
    if (!out) return {PackResult::outputFailed, -1};
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) {
        std::remove(outPath);
        return {PackResult::outputFailed, -1};
    }
    return {};
}
}  // namespace

PackStatus WriteSkin(const char* outPath, const char* basePath, const char* maskPath)
{
    std::vector<const char*> paths{basePath};
    if (maskPath) paths.push_back(maskPath);
    std::vector<Bytes> inputs;
    PackStatus status;
    if (!ReadInputs(paths, inputs, status)) return status;
    Bytes out;
    PutHeader(out);
    PutUint32(out, uint32_t(inputs[0].size()));
    for (const Bytes& jpeg : inputs) PutImage(out, jpeg);  // the mask has no size field
    return WriteOutput(outPath, out);
}

PackStatus WriteSequence(const char* outPath, const std::vector<std::string>& inputs)
{
    if (inputs.size() > 255) return {PackResult::badEntry, 255};
    std::vector<const char*> paths;
    for (const std::string& input : inputs) paths.push_back(input.c_str());
    std::vector<Bytes> contents;
    PackStatus status;
    if (!ReadInputs(paths, contents, status)) return status;
    Bytes out;
    PutHeader(out);
    PutUint32(out, uint32_t(contents.size()));
    for (const Bytes& jpeg : contents) {
        PutUint32(out, uint32_t(jpeg.size()));
        PutImage(out, jpeg);
    }
    return WriteOutput(outPath, out);
}

PackStatus WriteSlots(const char* outPath, const std::vector<SlotEntry>& entries)
{
    if (entries.size() > 255) return {PackResult::badEntry, 255};
    std::vector<const char*> paths;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SlotEntry& entry = entries[i];
        if (entry.name.size() > std::size_t(kMaxNameLength) || entry.slot < 0 || entry.slot > 255)
            return {PackResult::badEntry, int(i)};
        paths.push_back(entry.path.c_str());
    }
    std::vector<Bytes> contents;
    PackStatus status;
    if (!ReadInputs(paths, contents, status)) return status;
    Bytes out;
    PutHeader(out);
    out.push_back(0);  // reserved
    out.push_back(static_cast<unsigned char>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out.push_back(static_cast<unsigned char>(entries[i].name.size()));
        out.insert(out.end(), entries[i].name.begin(), entries[i].name.end());
        out.push_back(static_cast<unsigned char>(entries[i].slot));
        PutUint32(out, uint32_t(contents[i].size()));
        PutImage(out, contents[i]);
    }
    return WriteOutput(outPath, out);
}

bool PackSkin(const char* outPath, const char* basePath, const char* maskPath)
{
    const PackStatus status = WriteSkin(outPath, basePath, maskPath);
    if (status.ok()) return true;
    const char* message = text::kPackSkinOutputFailed;
    if (status.result == PackResult::inputFailed)
        message = status.failedInput == 0 ? text::kPackBaseFailed : text::kPackMaskFailed;
    plat::ShowMessage(text::kPackCaption, message);
    return false;
}

bool PackParticleAnimation(const std::vector<std::string>& inputs, const char* outPath)
{
    const PackStatus status = WriteSequence(outPath, inputs);
    if (status.ok()) return true;
    // Every input of the sequence is a "base" image in the packer's own words.
    const bool inputFault = status.result == PackResult::inputFailed;
    plat::ShowMessage(text::kPackCaption, inputFault ? text::kPackBaseFailed : text::kPackSequenceOutputFailed);
    return false;
}

}  // namespace k2d
