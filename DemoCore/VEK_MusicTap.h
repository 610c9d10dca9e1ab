// MusicTap: what each recorded frame hears. A decoder of its own reads the show's music
// along with the show's clock, so that a recording holds exactly the samples each frame
// lasts for, and it follows the music wherever the show moves it (a loop's restart).
#pragma once

#include "VEK_AudioDecoder.h"

#include <cstdint>
#include <string>
#include <vector>

class MusicTap {
public:
    bool Open(const char* path, std::string& error) { return decoder_.Open(path, 0, error); }
    int Rate() const { return decoder_.Rate(); }
    int Channels() const { return decoder_.Channels(); }

    // Appends `frames` frames of music heard from `position` (frames into the music) on.
    // Reading goes on where the last read ended while that is where the show's music is,
    // so rounding never drops or repeats a sample; past the end it is silence.
    void Read(uint64_t position, uint64_t frames, std::vector<int16_t>& samples);

    // Frames that recorded frame `index` (counted from 0) lasts for at `fps`: together
    // they add up to the frames of the whole recording's duration, with no drift.
    static uint64_t FramesOfPicture(uint64_t index, int rate, int fps)
    {
        return (index + 1) * uint64_t(rate) / uint64_t(fps) - index * uint64_t(rate) / uint64_t(fps);
    }

private:
    AudioDecoder decoder_;
};
