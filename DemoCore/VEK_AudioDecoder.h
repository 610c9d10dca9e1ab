// AudioDecoder: reads a music file (WAV, FLAC, Ogg Vorbis, Opus, MP3 and the other
// formats libsndfile knows) as interleaved signed 16-bit frames, a chunk at a time.
//
// The decoder always delivers exactly Frames() frames: when the data ends early
// (a truncated or corrupt file, a header that promised more) the rest is silence, and
// data beyond the promised length is never returned. Players can therefore rely on the
// position reaching the length exactly.
#pragma once

#include <cstdint>
#include <string>

struct sf_private_tag;

class AudioDecoder {
public:
    AudioDecoder() = default;
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens the file whose audio data starts fileOffset bytes in. On failure returns
    // false with a short reason in `error` and leaves the decoder closed.
    bool Open(const char* path, uint64_t fileOffset, std::string& error);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    int Rate() const { return rate_; }            // frames per second
    int Channels() const { return channels_; }
    uint64_t Frames() const { return frames_; }   // decoded length in frames
    uint64_t Position() const { return position_; }
    bool AtEnd() const { return position_ >= frames_; }

    // Writes up to maxFrames frames into samples (maxFrames x Channels() values).
    // Returns the frames written: fewer only at the end, 0 once at the end.
    uint64_t Read(int16_t* samples, uint64_t maxFrames);
    // Moves to a frame (clamped to the length). Where the data cannot be reached the
    // rest of the stream is silence.
    void Seek(uint64_t frame);

    // Limits that keep a file playable on the output device and its length in bytes of
    // 16-bit PCM within 32 bits.
    static constexpr int kMaxChannels = 8;
    static constexpr int kMinRate = 1000;
    static constexpr int kMaxRate = 384000;

    // The file as libsndfile sees it: the bytes from the offset to the end.
    struct FileSource {
        int fd = -1;
        uint64_t base = 0;    // where the audio data starts in the file
        uint64_t size = 0;    // bytes from base to the end of the file
        uint64_t offset = 0;  // read position relative to base
    };

private:
    bool Fail(std::string& error, const std::string& why);

    FileSource source_;
    sf_private_tag* file_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    uint64_t frames_ = 0;
    uint64_t position_ = 0;
    bool dataEnded_ = false;   // the file gave out; the rest is silence
};
