// Writes short sound files in every format the music reader takes, as the fuzzer's seeds.
#include "SoundFixtures.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make_music_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    struct Seed {
        const char* name;
        int format;
        int rate;
    };
    const Seed seeds[] = {
        {"seed.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000},
        {"seed.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000},
        {"seed.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 8000},
        {"seed.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 8000},
        {"seed.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 8000},
    };
    for (const Seed& seed : seeds) {
        const soundtest::Tone tone{seed.rate, 2, 0.1};
        if (!soundtest::WriteTone(dir + "/" + seed.name, seed.format, tone)) {
            std::fprintf(stderr, "make_music_seeds: cannot write %s\n", seed.name);
            return 1;
        }
    }
    return 0;
}
