// AudioStream: one music file playing. A thread of its own decodes ahead into a ring
// that the audio callback drains, so the callback never waits for the file and a long
// file starts at once instead of being decoded whole first.
//
// Lengths and positions are counted in bytes of decoded 16-bit PCM (frames x channels
// x 2). The position never passes the length and reaches it exactly when the music has
// played to its end.
#pragma once

#include "VEK_AudioDecoder.h"
#include "VEK_AudioRing.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class AudioStream {
public:
    // Where the sound goes and what the position follows.
    enum class Output {
        device,  // the platform's audio output; the position counts the frames it took
        clock,   // silent; the position follows the platform clock (virtual or real)
        pull,    // silent; the owner takes frames with Pull (tests, offline rendering)
    };

    // Opens the file whose audio starts fileOffset bytes in, paused at its start. Returns
    // null with the reason in `error` when it cannot be played. When the device output
    // cannot be opened the stream runs on the clock instead (see GetOutput).
    static std::unique_ptr<AudioStream> Open(const char* path, uint64_t fileOffset, Output output,
                                             std::string& error);
    ~AudioStream();
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    void Play();   // starts, or goes on after the end once the position was moved back

    // While the stream follows the clock it is silent and its position moves with the
    // platform clock from where it stood, as the clock output's does: a paused show
    // (the clock held), a show stepped or moved without being heard. When it stops
    // following, the sound goes on from the position reached.
    void FollowClock(bool follow);
    bool FollowsClock() const { return output_ == Output::clock || following_; }

    uint32_t LengthBytes() const { return static_cast<uint32_t>(frames_ * BytesPerFrame()); }
    uint32_t PositionBytes() const { return static_cast<uint32_t>(PositionFrames() * BytesPerFrame()); }
    // Moves to a byte position, rounded down to a whole frame and kept within the length.
    void SetPositionBytes(uint64_t bytes);

    double BytesToSeconds(uint64_t bytes) const;
    uint64_t SecondsToBytes(double seconds) const;   // whole frames; negative gives 0

    int Rate() const { return rate_; }
    int Channels() const { return channels_; }
    Output GetOutput() const { return output_; }

    // Takes up to `frames` frames from the ring into samples and fills the rest of the
    // request with silence; returns the frames of music taken. The device callback runs
    // this; with Output::pull the owner does.
    int Pull(int16_t* samples, int frames);

    static int LiveCount();   // streams that exist now

    // When the file's data gave out before its length, the music ends there (the position
    // jumps to the length) once what was decoded has played. True when that was damage,
    // with the reason and the seconds reached.
    bool Damaged(std::string& why, double& seconds);

private:
    explicit AudioStream(Output output);
    uint64_t BytesPerFrame() const { return static_cast<uint64_t>(channels_) * sizeof(int16_t); }
    uint64_t PositionFrames() const;
    uint64_t ClockFrames() const;

    void SeekDecoded(uint64_t frame);
    void StartDecoding();
    void StopDecoding();
    void DecodeLoop();
    void DecodeChunk();
    void PauseDecoder();
    void ResumeDecoder();
    void NoteWhereTheMusicEnds();
    static void FeedDevice(int16_t* samples, int frames, void* user);

    Output output_;
    int rate_ = 0;
    int channels_ = 0;
    uint64_t frames_ = 0;   // length in frames

    // Decoding (device and pull outputs).
    AudioDecoder decoder_;
    std::unique_ptr<AudioRing> ring_;
    std::vector<int16_t> chunk_;
    std::thread decoderThread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool quit_ = false;
    bool pauseRequested_ = false;
    bool decoderIdle_ = false;
    std::atomic<uint64_t> playedFrames_{0};   // frames taken by Pull, plus the seek origin
    std::atomic<uint64_t> musicEndsAt_{0};    // frames_, or where the data gave out
    std::string damage_;                      // guarded by mutex_

    // The clock output's position, and any output's while following the clock:
    // anchorFrame_ at counter anchorCounter_.
    bool following_ = false;
    bool playing_ = false;
    uint64_t anchorFrame_ = 0;
    int64_t anchorCounter_ = 0;
};
