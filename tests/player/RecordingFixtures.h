// A 3-second show for the recording tests, made in the test: a skin (a colour gradient,
// so a picture turned over shows) fading in from the start, and music that is silent
// until 1.2 s of music time, 1 s into the show, where a tone sets in.
#pragma once

#include "../common/ImageFixtures.h"
#include "DemoRun.h"
#include "TempDir.h"

#include <png.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace recording {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr double kMusicSeconds = 3.2;
constexpr double kOnsetSeconds = 1.2;
constexpr double kShowStart = 0.2;   // a start time of 0 starts the music at 0.2 s
constexpr int kWidth = 800, kHeight = 600;

inline std::vector<int16_t> Music()
{
    const int frames = int(std::lround(kMusicSeconds * kRate));
    const int onset = int(std::lround(kOnsetSeconds * kRate));
    std::vector<int16_t> samples(size_t(frames) * kChannels, 0);
    for (int frame = onset; frame < frames; ++frame)
        for (int c = 0; c < kChannels; ++c)
            samples[size_t(frame) * kChannels + c] =
                int16_t(std::lround(16000.0 * std::sin(2.0 * M_PI * 440.0 * (1 + c) * (frame - onset) / kRate)));
    return samples;
}

inline bool WriteMusic(const std::string& path)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = kChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const std::vector<int16_t> samples = Music();
    const sf_count_t frames = sf_count_t(samples.size() / kChannels);
    const bool written = sf_writef_short(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

// The first frame (counted in the show, from its start) whose first channel passes half
// the tone's height.
inline int64_t FirstLoud(const std::vector<float>& firstChannel, float threshold = 0.25f)
{
    for (size_t i = 0; i < firstChannel.size(); ++i)
        if (std::fabs(firstChannel[i]) > threshold) return int64_t(i);
    return -1;
}

inline std::vector<float> FirstChannelOfShow()
{
    const std::vector<int16_t> music = Music();
    std::vector<float> first;
    for (size_t frame = size_t(std::lround(kShowStart * kRate)); frame * kChannels < music.size(); ++frame)
        first.push_back(music[frame * kChannels] / 32768.0f);
    return first;
}

inline void WriteShow(const TempDir& dir)
{
    dir.write("ramp.jpg", fixtures::GradientJpeg(256, 256));
    WriteMusic((dir / "music.wav").string());
    dir.write("demotest.xml",
              "<demoproject><engineDEMO name=\"recorded\" mp3=\"1\" mp3name=\"music.wav\" v=\"0\" h=\"0\" loadactions=\"1\">"
              "<FX type=\"2d\" class=\"skin\" name=\"ramp\" start=\"0.2\" end=\"9\" fadein=\"0.01\" fadeout=\"0.01\" "
              "blendfunc=\"3\" maxalpha=\"1\"/>"
              "</engineDEMO><engine2D>"
              "<object class=\"skin\" name=\"ramp\" z=\"3\" file=\"ramp.k2d\" texturefile=\"ramp.jpg\" import=\"1\" "
              "blendfunc=\"3\"><color r=\"1\" g=\"1\" b=\"1\"/></object>"
              "</engine2D></demoproject>");
}

using Picture = std::vector<unsigned char>;   // RGB, rows top first

inline Picture ReadPng(const std::filesystem::path& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    Picture rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) || image.width != kWidth ||
        image.height != kHeight)
        return {};
    return rgb;
}

inline double MeanDifference(const Picture& a, const Picture& b)
{
    if (a.size() != b.size() || a.empty()) return 1e9;
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return sum / double(a.size());
}

}  // namespace recording
