// AudioRing: a single-producer, single-consumer ring of interleaved 16-bit frames. The
// decoder thread writes, the audio callback reads; neither ever waits for the other.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

class AudioRing {
public:
    // capacityFrames is rounded up to a power of two.
    AudioRing(uint64_t capacityFrames, int channels) : channels_(static_cast<uint64_t>(channels))
    {
        while (capacity_ < capacityFrames) capacity_ *= 2;
        samples_.assign(capacity_ * channels_, 0);
    }

    uint64_t Capacity() const { return capacity_; }
    uint64_t Available() const { return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed); }
    uint64_t Room() const { return capacity_ - (written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire)); }

    // Producer side: stores up to `count` frames, returns how many fitted.
    uint64_t Write(const int16_t* frames, uint64_t count)
    {
        const uint64_t at = written_.load(std::memory_order_relaxed);
        count = std::min(count, Room());
        CopyIn(frames, at, count);
        written_.store(at + count, std::memory_order_release);
        return count;
    }

    // Consumer side: takes up to `count` frames, returns how many there were.
    uint64_t Read(int16_t* frames, uint64_t count)
    {
        const uint64_t at = read_.load(std::memory_order_relaxed);
        count = std::min(count, Available());
        CopyOut(frames, at, count);
        read_.store(at + count, std::memory_order_release);
        return count;
    }

    // Empties the ring. Only while neither side is running.
    void Clear()
    {
        written_.store(0, std::memory_order_relaxed);
        read_.store(0, std::memory_order_relaxed);
    }

private:
    // The ring's frames [at, at + count) as two runs, counted in samples: `first` samples
    // from `start` up to the end of the storage, then `rest` from its beginning.
    struct Runs {
        uint64_t start;
        uint64_t first;
        uint64_t rest;
    };
    Runs Split(uint64_t at, uint64_t count) const
    {
        const uint64_t start = at & (capacity_ - 1);
        const uint64_t first = std::min(count, capacity_ - start);
        return {start * channels_, first * channels_, (count - first) * channels_};
    }
    void CopyIn(const int16_t* in, uint64_t at, uint64_t count)
    {
        const Runs runs = Split(at, count);
        std::copy(in, in + runs.first, samples_.data() + runs.start);
        std::copy(in + runs.first, in + runs.first + runs.rest, samples_.data());
    }
    void CopyOut(int16_t* out, uint64_t at, uint64_t count) const
    {
        const Runs runs = Split(at, count);
        std::copy(samples_.data() + runs.start, samples_.data() + runs.start + runs.first, out);
        std::copy(samples_.data(), samples_.data() + runs.rest, out + runs.first);
    }

    uint64_t channels_;
    uint64_t capacity_ = 1;
    std::vector<int16_t> samples_;
    std::atomic<uint64_t> written_{0};  // frames ever written; only the producer stores
    std::atomic<uint64_t> read_{0};     // frames ever read; only the consumer stores
};
