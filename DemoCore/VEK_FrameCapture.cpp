#include "VEK_FrameCapture.h"

#include <GL/gl.h>

#include <cstdio>

namespace {
std::string FramePath(const std::string& folder, unsigned long long number)
{
    char name[64];
    std::snprintf(name, sizeof name, "/frame%06llu.ppm", number);
    return folder + name;
}

class PpmFolder final : public FrameSink {
public:
    PpmFolder(std::string folder, long every) : folder_(std::move(folder)), every_(every > 0 ? every : 1) {}

    bool Write(const RecordedFrame& frame, std::string& error) override
    {
        if (frame.number % static_cast<unsigned long long>(every_) != 0) return true;
        const std::string path = FramePath(folder_, frame.number);
        if (!WriteBottomUpPpm(path, frame.rgb.data(), frame.width, frame.height)) {
            error = "cannot write " + path;
            return false;
        }
        ++pictures_;
        return true;
    }
    bool Finish(std::string&) override { return true; }
    std::string Summary() const override
    {
        return folder_ + ": " + std::to_string(pictures_) + " PPM pictures";
    }

private:
    std::string folder_;
    long every_;
    long long pictures_ = 0;
};
}  // namespace

void ReadBackBuffer(int width, int height, std::vector<unsigned char>& rgb)
{
    rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

bool WriteBottomUpPpm(const std::string& path, const unsigned char* rgb, int width, int height)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    // GL rows run bottom to top; a picture file's run top to bottom.
    const size_t stride = static_cast<size_t>(width) * 3;
    bool written = true;
    for (int row = height - 1; row >= 0 && written; --row)
        written = std::fwrite(rgb + static_cast<size_t>(row) * stride, 1, stride, file) == stride;
    return std::fclose(file) == 0 && written;
}

void FrameCapture::Frame(unsigned long long number, int width, int height)
{
    if (folder_.empty() || number % static_cast<unsigned long long>(every_) != 0 || width <= 0 || height <= 0) return;
    ReadBackBuffer(width, height, pixels_);
    const std::string path = FramePath(folder_, number);
    if (!WriteBottomUpPpm(path, pixels_.data(), width, height)) {
        std::fprintf(stderr, "demo: cannot write %s\n", path.c_str());
        folder_.clear();   // one message, not one per frame
    }
}

std::unique_ptr<FrameSink> OpenPpmFolder(const std::string& folder, long every)
{
    return std::make_unique<PpmFolder>(folder, every);
}
