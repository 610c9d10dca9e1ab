// libFuzzer targets for the K2D readers, one per layout (FUZZ_LAYOUT picks it): the
// record table and every image decoded within the limits of each reader that uses the
// layout. Only the texture upload is left out, since it needs a GL context.
#include "VEK_K2DImages.h"
#include "VEK_K2DTextures.h"

#include <cstdint>
#include <cstdio>

namespace {
void ReadWith(const uint8_t* data, size_t size, k2d::Layout layout, bool withMask, const k2d::ReadLimits& limits)
{
    std::FILE* file = size ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : std::tmpfile();
    if (!file) return;
    const k2d::ReadResult result = k2d::ReadImages(file, "fuzz.k2d", layout, withMask, limits);
    for (const k2d::Image& image : result.images) {
        // Touch the first and last byte, as the texture upload reads the whole buffer.
        volatile unsigned char edge = image.pixels[0];
        edge = image.pixels[image.byteSize() - 1];
        (void)edge;
    }
    std::fclose(file);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
#if FUZZ_LAYOUT == 0
    ReadWith(data, size, k2d::Layout::skin, false, {2, 0, 0});
    ReadWith(data, size, k2d::Layout::skin, true, {2, 0, 0});
#elif FUZZ_LAYOUT == 1
    ReadWith(data, size, k2d::Layout::sequence, false, {k2d::kMaxParticleImages, 0, 0});
#else
    ReadWith(data, size, k2d::Layout::slots, false, {k2d::kSpriteSlots, k2d::kSpriteSlots, 0});
    ReadWith(data, size, k2d::Layout::slots, false,
             {k2d::kLensFlareImages, k2d::kLensFlareTextures, k2d::kLensFlareSide});
#endif
    return 0;
}
