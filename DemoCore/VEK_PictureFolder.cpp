#include "VEK_PictureFolder.h"

#include "VEK_PngFile.h"

#include <sndfile.h>

#include <cstdio>

namespace {
constexpr const char* kAudioFile = "audio.wav";

class PictureFolder final : public FrameSink {
public:
    PictureFolder(std::string folder, const RecordFormat& format) : folder_(std::move(folder)), format_(format) {}
    ~PictureFolder() override
    {
        if (wav_) sf_close(wav_);
    }

    bool OpenAudio(std::string& error)
    {
        if (format_.audioRate <= 0) return true;
        SF_INFO info{};
        info.samplerate = format_.audioRate;
        info.channels = format_.audioChannels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        const std::string path = folder_ + "/" + kAudioFile;
        wav_ = sf_open(path.c_str(), SFM_WRITE, &info);
        if (!wav_) error = path + ": cannot be written (" + sf_strerror(nullptr) + ")";
        return wav_ != nullptr;
    }

    bool Write(const RecordedFrame& frame, std::string& error) override
    {
        char name[32];
        std::snprintf(name, sizeof name, "/frame%06llu.png", static_cast<unsigned long long>(frame.number));
        if (!WriteBottomUpPng(folder_ + name, frame.rgb.data(), frame.width, frame.height, error, true)) return false;
        ++pictures_;
        if (!wav_ || frame.samples.empty()) return true;
        const sf_count_t count = sf_count_t(frame.samples.size()) / format_.audioChannels;
        if (sf_writef_short(wav_, frame.samples.data(), count) != count) {
            error = folder_ + "/" + kAudioFile + ": cannot be written (" + sf_strerror(wav_) + ")";
            return false;
        }
        samples_ += count;
        return true;
    }

    bool Finish(std::string& error) override
    {
        if (!wav_) return true;
        const int code = sf_close(wav_);
        wav_ = nullptr;
        if (code != 0) error = folder_ + "/" + kAudioFile + ": cannot be completed";
        return code == 0;
    }

    std::string Summary() const override
    {
        char text[512];
        std::snprintf(text, sizeof text, "%s: %lld PNG pictures (%.2f s at %d fps), %s", folder_.c_str(),
                      static_cast<long long>(pictures_), double(pictures_) / format_.fps, format_.fps,
                      format_.audioRate > 0 ? "" : "no music");
        std::string summary = text;
        if (format_.audioRate > 0) {
            std::snprintf(text, sizeof text, "%s with %lld samples at %d Hz", kAudioFile,
                          static_cast<long long>(samples_), format_.audioRate);
            summary += text;
        }
        return summary;
    }

private:
    std::string folder_;
    RecordFormat format_;
    SNDFILE* wav_ = nullptr;
    long long pictures_ = 0;
    long long samples_ = 0;
};
}  // namespace

std::unique_ptr<FrameSink> OpenPictureFolder(const std::string& folder, const RecordFormat& format, std::string& error)
{
    auto sink = std::make_unique<PictureFolder>(folder, format);
    if (!sink->OpenAudio(error)) return nullptr;
    return sink;
}
