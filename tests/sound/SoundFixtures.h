// Small sound files made at test time: tones written with libsndfile, helpers to run the
// command-line encoders, and measures of what came out.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace soundtest {

// A tone whose channels differ (channel c plays frequency x (1 + c/2)), so a channel
// mix-up shows.
struct Tone {
    int rate = 44100;
    int channels = 2;
    double seconds = 1.0;
    double frequency = 440.0;
    double amplitude = 0.5;

    int64_t Frames() const { return static_cast<int64_t>(std::llround(seconds * rate)); }
};

inline std::vector<int16_t> ToneSamples(const Tone& tone)
{
    std::vector<int16_t> samples(static_cast<size_t>(tone.Frames() * tone.channels));
    for (int64_t frame = 0; frame < tone.Frames(); ++frame)
        for (int c = 0; c < tone.channels; ++c) {
            const double hz = tone.frequency * (1.0 + 0.5 * c);
            const double value = tone.amplitude * std::sin(2.0 * M_PI * hz * double(frame) / tone.rate);
            samples[size_t(frame * tone.channels + c)] = static_cast<int16_t>(std::lround(value * 32767.0));
        }
    return samples;
}

// Writes the tone in a libsndfile format (SF_FORMAT_WAV | SF_FORMAT_PCM_16 and so on).
inline bool WriteTone(const std::string& path, int format, const Tone& tone)
{
    SF_INFO info{};
    info.samplerate = tone.rate;
    info.channels = tone.channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const std::vector<int16_t> samples = ToneSamples(tone);
    sf_count_t written = 0;
    const int subtype = format & SF_FORMAT_SUBMASK;
    if (subtype == SF_FORMAT_VORBIS || subtype == SF_FORMAT_OPUS || subtype == SF_FORMAT_MPEG_LAYER_III) {
        // Lossy encoders take floats; libsndfile 1.2's MP3 encoder garbles 16-bit input.
        std::vector<float> values(samples.begin(), samples.end());
        for (float& value : values) value /= 32767.0f;
        written = sf_writef_float(file, values.data(), tone.Frames());
    } else {
        written = sf_writef_short(file, samples.data(), tone.Frames());
    }
    sf_close(file);
    return written == tone.Frames();
}

// Every frame of a sound file as 16-bit samples, as libsndfile decodes it.
inline std::vector<int16_t> ReadAll(const std::string& path, SF_INFO* infoOut = nullptr)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<int16_t> samples(size_t(info.frames * info.channels));
    const sf_count_t got = sf_readf_short(file, samples.data(), info.frames);
    samples.resize(size_t(got * info.channels));
    sf_close(file);
    if (infoOut) *infoOut = info;
    return samples;
}

inline bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

inline double Rms(const int16_t* samples, size_t count)
{
    if (count == 0) return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(count));
}

// The frequency of one channel of a clean tone, from its upward zero crossings.
inline double ToneFrequency(const int16_t* samples, size_t frames, int channels, int channel, int rate)
{
    int crossings = 0;
    for (size_t f = 1; f < frames; ++f)
        if (samples[(f - 1) * channels + channel] < 0 && samples[f * channels + channel] >= 0) ++crossings;
    return frames ? crossings * double(rate) / double(frames) : 0.0;
}

}  // namespace soundtest
