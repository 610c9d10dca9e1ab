// AudioDecoder: reads a music file (WAV, FLAC, Ogg Vorbis, Opus, MP3 and the other
// formats libsndfile knows) as interleaved signed 16-bit frames, a chunk at a time.
//
// The decoder never delivers more than Frames() frames. When the data gives out early (a
// truncated or corrupt file, a header that promised more) it stops there: GaveOut() says
// so, GaveOutAt() is the frame it reached, and the position jumps to the length. Damage()
// gives the reason when that is damage: a library error, or more missing than an
// estimated length can be off by. Seeking never trusts the codec's own seek, which a damaged stream can crash:
// it decodes forward and discards, starting again from the top to go back.
#pragma once

#include <cstdint>
#include <string>

struct sf_private_tag;
struct SF_INFO;

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
    // Returns the frames written: fewer only at the end or where the data gave out, 0 once
    // at the end.
    uint64_t Read(int16_t* samples, uint64_t maxFrames);
    // Moves to a frame (clamped to the length). When the data gives out before it, the
    // decoder is at its end (GaveOut).
    void Seek(uint64_t frame);

    bool GaveOut() const { return dataEnded_; }
    uint64_t GaveOutAt() const { return endedAt_; }
    const std::string& Damage() const { return damage_; }   // empty: not damage

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
    bool OpenSource(SF_INFO& format);   // (re)opens the file from its start
    void GiveOut(uint64_t frame);
    void Rewind();

    static constexpr uint64_t kSkipChunkFrames = 4096;   // decoded and dropped per step
    static constexpr uint64_t kToleratedShortfallMs = 250;

    FileSource source_;
    sf_private_tag* file_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    uint64_t frames_ = 0;
    uint64_t position_ = 0;
    bool dataEnded_ = false;   // the data gave out before the length
    uint64_t endedAt_ = 0;     // the frame it reached
    std::string damage_;       // why it gave out
};
