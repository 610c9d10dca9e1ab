#include "VEK_AudioStream.h"

#include "vekPlatform.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
constexpr uint64_t kChunkFrames = 4096;     // decoded per step: about 93 ms at 44.1 kHz
constexpr uint64_t kRingFrames = 65536;     // decoded ahead: about 1.5 s at 44.1 kHz
constexpr auto kRingFullWait = std::chrono::milliseconds(10);

std::atomic<int> liveStreams{0};
}  // namespace

std::unique_ptr<AudioStream> AudioStream::Open(const char* path, uint64_t fileOffset, Output output,
                                               std::string& error)
{
    std::unique_ptr<AudioStream> stream(new AudioStream(output));
    AudioDecoder& decoder = stream->decoder_;
    if (!decoder.Open(path, fileOffset, error)) return nullptr;
    stream->rate_ = decoder.Rate();
    stream->channels_ = decoder.Channels();
    stream->frames_ = decoder.Frames();
    stream->musicEndsAt_ = decoder.Frames();
    if (output == Output::device && !plat::OpenAudio(stream->rate_, stream->channels_, FeedDevice, stream.get()))
        stream->output_ = Output::clock;
    if (stream->output_ == Output::clock) {
        decoder.Close();   // nothing is heard, so nothing is decoded
        return stream;
    }
    stream->StartDecoding();
    return stream;
}

AudioStream::AudioStream(Output output) : output_(output) { ++liveStreams; }

AudioStream::~AudioStream()
{
    if (output_ == Output::device) plat::CloseAudio();   // no callback runs after this
    StopDecoding();
    --liveStreams;
}

int AudioStream::LiveCount() { return liveStreams.load(); }

void AudioStream::Play()
{
    if (output_ == Output::device && !following_) plat::PauseAudio(false);
    if (FollowsClock() && !playing_) anchorCounter_ = plat::PerfCounter();
    playing_ = true;
}

void AudioStream::FollowClock(bool follow)
{
    if (output_ == Output::clock || follow == following_) return;
    if (follow) {
        anchorFrame_ = PositionFrames();
        anchorCounter_ = plat::PerfCounter();
        following_ = true;
        if (output_ == Output::device) plat::PauseAudio(true);
        return;
    }
    const uint64_t reached = ClockFrames();
    following_ = false;
    if (reached != PositionFrames()) SeekDecoded(reached);
    if (output_ == Output::device && playing_) plat::PauseAudio(false);
}

uint64_t AudioStream::PositionFrames() const
{
    if (FollowsClock()) return ClockFrames();
    const uint64_t played = playedFrames_.load(std::memory_order_acquire);
    return played >= musicEndsAt_.load(std::memory_order_acquire) ? frames_ : played;
}

uint64_t AudioStream::ClockFrames() const
{
    if (!playing_) return anchorFrame_;
    const int64_t elapsed = std::max<int64_t>(0, plat::PerfCounter() - anchorCounter_);
    const int64_t frequency = std::max<int64_t>(1, plat::PerfFrequency());
    // 128 bits: a nanosecond counter times a sample rate overflows 64 bits within hours.
    const unsigned __int128 frames = static_cast<unsigned __int128>(elapsed) * static_cast<unsigned>(rate_) /
                                     static_cast<unsigned __int128>(frequency);
    return std::min<uint64_t>(frames_, anchorFrame_ + static_cast<uint64_t>(std::min<unsigned __int128>(frames, frames_)));
}

void AudioStream::SetPositionBytes(uint64_t bytes)
{
    const uint64_t frame = std::min(bytes / BytesPerFrame(), frames_);
    if (FollowsClock()) {
        anchorFrame_ = frame;
        anchorCounter_ = plat::PerfCounter();
        return;
    }
    SeekDecoded(frame);
}

void AudioStream::SeekDecoded(uint64_t frame)
{
    PauseDecoder();
    decoder_.Seek(frame);
    if (decoder_.GaveOut()) NoteWhereTheMusicEnds();
    else musicEndsAt_.store(frames_, std::memory_order_release);
    // The callback must not read while the ring and the position change together; it
    // waits only for this bookkeeping, never for the file.
    if (output_ == Output::device) plat::LockAudio();
    ring_->Clear();
    playedFrames_.store(frame, std::memory_order_release);
    if (output_ == Output::device) plat::UnlockAudio();
    DecodeChunk();   // so the next buffer already has music
    ResumeDecoder();
}

double AudioStream::BytesToSeconds(uint64_t bytes) const
{
    return static_cast<double>(bytes) / (static_cast<double>(rate_) * static_cast<double>(BytesPerFrame()));
}

uint64_t AudioStream::SecondsToBytes(double seconds) const
{
    if (!(seconds > 0.0)) return 0;   // also NaN
    const double frames = std::floor(seconds * rate_);
    constexpr double kMostFrames = 9.0e15;   // far beyond any length, still exact in a double
    return static_cast<uint64_t>(std::min(frames, kMostFrames)) * BytesPerFrame();
}

int AudioStream::Pull(int16_t* samples, int frames)
{
    if (frames <= 0) return 0;
    const uint64_t taken = ring_ ? ring_->Read(samples, static_cast<uint64_t>(frames)) : 0;
    std::fill(samples + taken * channels_, samples + static_cast<uint64_t>(frames) * channels_, int16_t{0});
    playedFrames_.fetch_add(taken, std::memory_order_acq_rel);
    return static_cast<int>(taken);
}

void AudioStream::FeedDevice(int16_t* samples, int frames, void* user)
{
    static_cast<AudioStream*>(user)->Pull(samples, frames);
}

// ---- the decoder thread ---------------------------------------------------------------

void AudioStream::StartDecoding()
{
    ring_ = std::make_unique<AudioRing>(kRingFrames, channels_);
    chunk_.assign(kChunkFrames * static_cast<uint64_t>(channels_), 0);
    DecodeChunk();   // the first buffer is ready before playing starts
    decoderThread_ = std::thread(&AudioStream::DecodeLoop, this);
}

void AudioStream::StopDecoding()
{
    if (!decoderThread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    decoderThread_.join();
}

void AudioStream::DecodeChunk()
{
    const uint64_t frames = decoder_.Read(chunk_.data(), std::min(kChunkFrames, ring_->Room()));
    ring_->Write(chunk_.data(), frames);
    if (decoder_.GaveOut()) NoteWhereTheMusicEnds();
}

// Runs on whichever thread decodes; the decoder is never read by two at once.
void AudioStream::NoteWhereTheMusicEnds()
{
    std::lock_guard<std::mutex> lock(mutex_);
    damage_ = decoder_.Damage();
    musicEndsAt_.store(decoder_.GaveOutAt(), std::memory_order_release);
}

bool AudioStream::Damaged(std::string& why, double& seconds)
{
    const uint64_t endsAt = musicEndsAt_.load(std::memory_order_acquire);
    if (endsAt >= frames_) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (damage_.empty()) return false;   // a little short of an estimated length
    why = damage_;
    seconds = static_cast<double>(endsAt) / rate_;
    return true;
}

void AudioStream::DecodeLoop()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
        if (pauseRequested_) {
            decoderIdle_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return !pauseRequested_ || quit_; });
            decoderIdle_ = false;
        } else if (decoder_.AtEnd()) {
            changed_.wait(lock, [this] { return pauseRequested_ || quit_; });
        } else if (ring_->Room() < kChunkFrames) {
            // The callback does not signal (it must not take locks); look again shortly.
            changed_.wait_for(lock, kRingFullWait);
        } else {
            lock.unlock();
            DecodeChunk();
            lock.lock();
        }
    }
}

// Returns once the decoder thread is idle, so the decoder and the ring may be changed.
void AudioStream::PauseDecoder()
{
    std::unique_lock<std::mutex> lock(mutex_);
    pauseRequested_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return decoderIdle_; });
}

void AudioStream::ResumeDecoder()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pauseRequested_ = false;
    }
    changed_.notify_all();
}
