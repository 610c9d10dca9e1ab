#include "VEK_K2DImages.h"
#include "VEK_Format.h"

#include "VEK_JpegReader.h"
#include "VEK_K2DText.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace k2d {
namespace {

class ImageDecoder {
public:
    ImageDecoder(std::FILE* file, const char* fileName, const ReadLimits& limits, ReadResult& result)
        : file_(file), fileName_(fileName ? fileName : ""), limits_(limits), result_(result)
    {
    }

    void Take(const Record& record, int number)
    {
        if (limits_.slotCount > 0 && record.slot >= limits_.slotCount) {
            Problem(text::kBadSlot, number, record.slot, limits_.slotCount - 1);
            return;
        }
        Image image;
        image.record = number;
        image.slot = record.slot;
        if (ReadSize(record, image) && Decode(record, image)) result_.images.push_back(std::move(image));
    }

private:
    bool ReadSize(const Record& record, Image& image)
    {
        if (std::fseek(file_, record.offset, SEEK_SET) != 0 || !reader_.ReadHeader(file_)) {
            Problem(text::kUndecodable, image.record, reader_.LastMessage());
            return false;
        }
        image.width = reader_.Width();
        image.height = reader_.Height();
        const int required = limits_.requiredSide;
        if (required > 0 && (image.width != uint32_t(required) || image.height != uint32_t(required))) {
            Problem(text::kWrongSize, image.record, image.width, image.height, required, required);
            return false;
        }
        if (image.width > uint32_t(kMaxImageSide) || image.height > uint32_t(kMaxImageSide)) {
            Problem(text::kTooLarge, image.record, image.width, image.height, kMaxImageSide);
            return false;
        }
        if (!image.memory.Reserve(image.byteSize())) {
            Problem(text::kOverBudget, image.record, image.width, image.height,
                    unsigned(ImageBudget::Show().Cap() >> 20));
            return false;
        }
        return true;
    }

    bool Decode(const Record& record, Image& image)
    {
        // Not zeroed up front: decoding writes every byte, and only a damaged image
        // needs the rows it never reached blanked.
        image.pixels.reset(new unsigned char[image.byteSize()]);
        if (std::fseek(file_, record.offset, SEEK_SET) == 0 &&
            reader_.Decode(file_, image.pixels.get(), image.byteSize()))
            return true;
        const uint32_t rows = reader_.RowsDecoded();
        if (reader_.EndedEarly()) {
            Problem(text::kEndsEarly, image.record, reader_.LastMessage());
            return false;
        }
        if (rows == 0) {
            Problem(text::kUndecodable, image.record, reader_.LastMessage());
            return false;
        }
        const std::size_t decoded = std::min(std::size_t(rows) * image.width * 3, image.byteSize());
        std::memset(image.pixels.get() + decoded, 0, image.byteSize() - decoded);
        Problem(text::kPartlyDecoded, image.record, reader_.LastMessage());
        return true;
    }

    template <typename... Args>
    void Problem(const char* format, Args... args)
    {
        result_.problems.push_back(FormatText(format, fileName_, args...));
    }

    std::FILE* file_;
    const char* fileName_;
    const ReadLimits& limits_;
    ReadResult& result_;
    JpegReader reader_;
};
}  // namespace

ReadResult ReadImages(std::FILE* file, const char* fileName, Layout layout, bool withMask, const ReadLimits& limits)
{
    ReadResult result;
    const Index index = IndexFile(file, layout, withMask);
    if (!index.ok()) {
        result.damaged = true;
        result.problems.push_back(FormatText(text::kDamaged, fileName ? fileName : "", index.error.c_str()));
        return result;
    }
    const int stored = int(index.records.size());
    result.storedImages = stored;
    int taken = stored;
    if (taken > limits.maxImages) {
        taken = limits.maxImages;
        result.problems.push_back(FormatText(text::kTooMany, fileName ? fileName : "", stored, taken));
    }
    ImageDecoder decoder(file, fileName, limits, result);
    for (int i = 0; i < taken; ++i) decoder.Take(index.records[std::size_t(i)], i);
    return result;
}

}  // namespace k2d
