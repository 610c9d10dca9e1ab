// Reads a video file back with the FFmpeg libraries, as a player would: every picture
// decoded (the ones asked for kept as RGB), every sound sample decoded, and what the
// container says the streams last.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct DecodedVideo {
    std::string error;                    // empty when the file was read
    std::string container;                // the demuxer's name
    std::string videoCodec, audioCodec;   // "" when the stream is missing
    int width = 0, height = 0;
    double fps = 0.0;                     // the stream's frame rate
    int64_t frames = 0;                   // pictures decoded
    double videoSeconds = 0.0;            // the video stream's duration
    std::vector<std::vector<unsigned char>> kept;   // RGB, rows top first, one per index asked for (in order)
    int audioRate = 0, audioChannels = 0;
    int64_t samples = 0;                  // sound samples decoded (per channel)
    double audioSeconds = 0.0;            // from the audio stream's first packet to the end of its last
    int64_t declaredSamples = -1;         // the audio stream's length as the container states it (-1: not stated)
    std::vector<float> firstChannel;      // the decoded samples of the first channel
};

// keep: the indices (from 0) of the pictures to keep.
DecodedVideo ReadVideo(const std::string& path, const std::set<int64_t>& keep);
