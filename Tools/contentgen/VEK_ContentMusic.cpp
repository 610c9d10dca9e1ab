// The show's music: a 60-second piece synthesised here and written with libsndfile as
// Ogg Vorbis to "music.ogg". 120 beats per minute, so a beat falls on every half second
// and a bar (four beats) on every 2 s; the show's events can be timed on that grid.
//
// Form, in bars: 0-1 pad alone; 2-9 kick, off-beat hats and bass join; 10-17 snare on
// beats 2 and 4 and a sixteenth-note arpeggio; 18-21 a break without drums but the hats;
// 22-27 everything again; 28-29 the pad and a last kick fade out.
// Chords, one per bar, round and round: A minor, F major, C major, G major.
#include "VEK_ContentGen.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <system_error>
#include <vector>

namespace contentgen {
namespace {
namespace fs = std::filesystem;

constexpr int kRate = 44100;
constexpr double kBeat = 0.5;    // seconds
constexpr double kBar = 4 * kBeat;
constexpr int kBars = 30;
constexpr double kLength = kBars * kBar;   // 60 s
constexpr double kPi = 3.14159265358979323846;
constexpr double kVorbisQuality = 0.5;     // libsndfile's 0 (smallest) .. 1 (best)

// MIDI note numbers of each bar's chord (root first).
constexpr int kChords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};

double NoteHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// A stereo buffer of the whole piece; voices add into it.
class Mix {
public:
    Mix() : left_(Frames()), right_(Frames()) {}
    static size_t Frames() { return static_cast<size_t>(kLength * kRate); }

    void Add(size_t frame, double value, double pan)   // pan -1 left .. 1 right
    {
        if (frame >= left_.size()) return;
        left_[frame] += static_cast<float>(value * std::sqrt(0.5 * (1.0 - pan)));
        right_[frame] += static_cast<float>(value * std::sqrt(0.5 * (1.0 + pan)));
    }

    // Gentle saturation, fades at both ends, then the loudest sample at 0.9.
    void Master()
    {
        float peak = 1e-6f;
        for (size_t i = 0; i < left_.size(); ++i) {
            const double t = double(i) / kRate;
            const double fade = std::min({1.0, t / 0.3, (kLength - t) / 3.0});
            left_[i] = static_cast<float>(std::tanh(left_[i]) * fade);
            right_[i] = static_cast<float>(std::tanh(right_[i]) * fade);
            peak = std::max({peak, std::fabs(left_[i]), std::fabs(right_[i])});
        }
        const float gain = 0.9f / peak;
        for (size_t i = 0; i < left_.size(); ++i) left_[i] *= gain, right_[i] *= gain;
    }

    std::vector<float> Interleaved() const
    {
        std::vector<float> out(left_.size() * 2);
        for (size_t i = 0; i < left_.size(); ++i) out[2 * i] = left_[i], out[2 * i + 1] = right_[i];
        return out;
    }

private:
    std::vector<float> left_, right_;
};

// A repeatable noise source (the piece is the same on every run).
class Noise {
public:
    double Next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return double(state_ >> 8) / double(1u << 23) - 1.0;
    }

private:
    uint32_t state_ = 0x5eed;
};

size_t FrameAt(double seconds) { return static_cast<size_t>(seconds * kRate); }

void Kick(Mix& mix, double at, double level)
{
    double phase = 0.0;
    for (size_t i = 0; i < FrameAt(0.35); ++i) {
        const double t = double(i) / kRate;
        phase += 2 * kPi * (45.0 + 75.0 * std::exp(-t * 30.0)) / kRate;   // the thump drops in pitch
        mix.Add(FrameAt(at) + i, level * std::exp(-t * 9.0) * std::sin(phase), 0.0);
    }
}

void Snare(Mix& mix, Noise& noise, double at)
{
    for (size_t i = 0; i < FrameAt(0.25); ++i) {
        const double t = double(i) / kRate;
        const double body = 0.25 * std::exp(-t * 25.0) * std::sin(2 * kPi * 185.0 * t);
        mix.Add(FrameAt(at) + i, body + 0.3 * std::exp(-t * 16.0) * noise.Next(), 0.1);
    }
}

void Hat(Mix& mix, Noise& noise, double at, double level)
{
    double previous = 0.0;
    for (size_t i = 0; i < FrameAt(0.06); ++i) {
        const double t = double(i) / kRate;
        const double white = noise.Next();
        mix.Add(FrameAt(at) + i, level * std::exp(-t * 70.0) * (white - previous), 0.35);   // bright: high-passed
        previous = white;
    }
}

// A plucked note: a few harmonics, decaying.
void Pluck(Mix& mix, double at, double length, double hz, double level, double decay, double pan)
{
    for (size_t i = 0; i < FrameAt(length); ++i) {
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.004);
        const double tone = std::sin(2 * kPi * hz * t) + 0.3 * std::sin(4 * kPi * hz * t) + 0.1 * std::sin(6 * kPi * hz * t);
        mix.Add(FrameAt(at) + i, level * attack * std::exp(-t * decay) * tone, pan);
    }
}

// A soft chord held for a bar: detuned voices, slow swell, spread across the stereo field.
void Pad(Mix& mix, double at, const int (&chord)[3], double level)
{
    for (int n = 0; n < 3; ++n)
        for (int voice = 0; voice < 2; ++voice) {
            const double hz = NoteHz(chord[n]) * (voice ? 1.003 : 0.997);
            const double pan = voice ? 0.5 : -0.5;
            for (size_t i = 0; i < FrameAt(kBar); ++i) {
                const double t = double(i) / kRate;
                const double swell = std::sin(kPi * t / kBar);
                double tone = 0.0;
                for (int h = 1; h <= 4; ++h) tone += std::sin(2 * kPi * hz * h * t) / (h * h);
                mix.Add(FrameAt(at) + i, level * swell * tone, pan);
            }
        }
}

void Compose(Mix& mix)
{
    Noise noise;
    for (int bar = 0; bar < kBars; ++bar) {
        const double start = bar * kBar;
        const int(&chord)[3] = kChords[bar % 4];
        const bool groove = bar >= 2 && bar < 28;
        const bool drums = groove && (bar < 18 || bar >= 22);
        const bool full = (bar >= 10 && bar < 18) || (bar >= 22 && bar < 28);
        Pad(mix, start, chord, full ? 0.05 : 0.07);
        for (int beat = 0; beat < 4; ++beat) {
            const double at = start + beat * kBeat;
            if (drums) Kick(mix, at, 0.9);
            if (full && beat % 2 == 1) Snare(mix, noise, at);
            if (groove || bar < 2) Hat(mix, noise, at + kBeat / 2, groove ? 0.18 : 0.08);
        }
        if (groove)
            for (int eighth = 0; eighth < 8; ++eighth)   // root, octave up on the off-beats
                Pluck(mix, start + eighth * kBeat / 2, 0.24, NoteHz(chord[0] - 24 + (eighth % 2) * 12), 0.28, 7.0, 0.0);
        if (full)
            for (int step = 0; step < 16; ++step) {   // up and down the chord, two octaves
                static constexpr int kOrder[8] = {0, 1, 2, 3, 4, 3, 2, 1};
                const int index = kOrder[step % 8];
                const int note = chord[index % 3] + 12 * (index / 3) + 12;
                Pluck(mix, start + step * kBeat / 4, 0.2, NoteHz(note), 0.07, 14.0, step % 2 ? 0.4 : -0.4);
            }
    }
    Kick(mix, 28 * kBar, 0.7);   // the last downbeat
}

bool WriteOgg(const fs::path& path, const std::vector<float>& frames)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "vekcontent: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    double quality = kVorbisQuality;
    sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    // Written a block at a time: libvorbis, behind libsndfile, crashes on one very large write.
    constexpr sf_count_t kBlock = 8192;
    const sf_count_t count = static_cast<sf_count_t>(frames.size() / 2);
    sf_count_t written = 0;
    while (written < count) {
        const sf_count_t block = std::min(kBlock, count - written);
        if (sf_writef_float(file, frames.data() + 2 * written, block) != block) break;
        written += block;
    }
    if (written != count) std::fprintf(stderr, "vekcontent: %s: %s\n", path.c_str(), sf_strerror(file));
    sf_close(file);
    return written == count;
}

bool MakeMusic(const fs::path& show)
{
    Mix mix;
    Compose(mix);
    mix.Master();
    // Written beside the final name and moved there whole, so a failed run never
    // leaves a broken music file for the player.
    const fs::path part = show / "music.ogg.part";
    if (!WriteOgg(part, mix.Interleaved())) {
        std::error_code ignored;
        fs::remove(part, ignored);
        return false;
    }
    std::error_code error;
    fs::rename(part, show / "music.ogg", error);
    if (error) std::fprintf(stderr, "vekcontent: cannot create %s: %s\n", (show / "music.ogg").c_str(), error.message().c_str());
    return !error;
}
}  // namespace

VEK_CONTENT_STEP(60, "music music.ogg", MakeMusic);

}  // namespace contentgen
