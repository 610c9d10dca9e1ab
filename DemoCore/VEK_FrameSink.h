// FrameSink: where a recorded show's frames and music go (a video file, or PNG pictures
// with a WAV file). The recorder hands every frame to one sink, on a thread of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RecordedFrame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;   // width x height x 3, rows bottom first as OpenGL reads them
    std::vector<int16_t> samples;     // the music this frame lasts for, interleaved (empty without music)
    uint64_t number = 0;              // counted from 1
};

// What the recording holds, fixed before the first frame.
struct RecordFormat {
    int width = 0, height = 0;              // the frames as drawn
    int outputWidth = 0, outputHeight = 0;  // the pictures written (video: scaled to this)
    int fps = 0;
    int audioRate = 0;                      // 0: no music
    int audioChannels = 0;
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // False with the reason when the frame could not be written; the recording stops.
    virtual bool Write(const RecordedFrame& frame, std::string& error) = 0;
    // Completes the output after the last frame.
    virtual bool Finish(std::string& error) = 0;
    // One line on what was written, for the closing message.
    virtual std::string Summary() const = 0;
};
