#include "VEK_FrameCapture.h"

#include <GL/gl.h>

#include <cstdio>

void FrameCapture::Frame(unsigned long long number, int width, int height)
{
    if (folder_.empty() || number % static_cast<unsigned long long>(every_) != 0 || width <= 0 || height <= 0) return;
    pixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels_.data());

    char name[64];
    std::snprintf(name, sizeof name, "/frame%06llu.ppm", number);
    const std::string path = folder_ + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "demo: cannot write %s\n", path.c_str());
        folder_.clear();   // one message, not one per frame
        return;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    // GL rows run bottom to top; a picture file's run top to bottom.
    for (int row = height - 1; row >= 0; --row)
        std::fwrite(pixels_.data() + static_cast<size_t>(row) * width * 3, 1, static_cast<size_t>(width) * 3, file);
    std::fclose(file);
}
