// Feeds arbitrary bytes to the music reader as a file: it must open or refuse them
// without reading or writing outside its buffers, and decode what it opens.
#include "VEK_AudioDecoder.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int fd = memfd_create("music", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (write(fd, data, size) == static_cast<ssize_t>(size)) {
        AudioDecoder decoder;
        std::string error;
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        if (decoder.Open(path.c_str(), size > 64 ? data[0] : 0, error)) {
            std::vector<int16_t> samples(4096 * static_cast<size_t>(decoder.Channels()));
            // A header may promise hours of sound: decode a bounded amount from two places.
            for (int chunk = 0; chunk < 8 && decoder.Read(samples.data(), 4096) > 0; ++chunk) {
            }
            // Seeking decodes forward, so the distance is bounded too.
            decoder.Seek(std::min<uint64_t>(decoder.Frames() / 2, 16 * 4096));
            decoder.Read(samples.data(), 4096);
        }
    }
    close(fd);
    return 0;
}
