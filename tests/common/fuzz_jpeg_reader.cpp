// libFuzzer target: JpegReader on any bytes, header first, then a decode into a buffer of
// exactly the announced size (AddressSanitizer catches any write past it).
#include "VEK_JpegReader.h"

#include <cstdint>
#include <cstdio>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    JpegReader reader;
    // Bounded like the K2D readers, so a hostile header cannot ask for gigabytes.
    if (reader.ReadHeader(file) && reader.Width() <= 4096 && reader.Height() <= 4096) {
        std::unique_ptr<unsigned char[]> pixels(new unsigned char[reader.ByteSize()]);
        std::rewind(file);
        reader.Decode(file, pixels.get(), reader.ByteSize());
    }
    std::fclose(file);
    return 0;
}
