#include "VEK_MusicTap.h"

namespace {
// The show's music position and the tap's may differ by rounding; further apart, the
// show has moved its music.
constexpr uint64_t kRoundingFrames = 2;
}

void MusicTap::Read(uint64_t position, uint64_t frames, std::vector<int16_t>& samples)
{
    const uint64_t at = decoder_.Position();
    const uint64_t apart = position > at ? position - at : at - position;
    if (apart > kRoundingFrames) decoder_.Seek(position);
    const size_t start = samples.size();
    const size_t channels = size_t(decoder_.Channels());
    samples.resize(start + frames * channels, 0);   // silence where no music is read
    uint64_t done = 0;
    while (done < frames) {
        const uint64_t got = decoder_.Read(samples.data() + start + done * channels, frames - done);
        if (got == 0) break;
        done += got;
    }
}
