#include "VEK_AudioDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// libsndfile reads the file through these, so the audio data may start at an offset
// inside a larger file.
using Source = AudioDecoder::FileSource;

sf_count_t SourceLength(void* user) { return static_cast<sf_count_t>(static_cast<Source*>(user)->size); }

sf_count_t SourceSeek(sf_count_t offset, int whence, void* user)
{
    auto& source = *static_cast<Source*>(user);
    sf_count_t origin = 0;
    if (whence == SEEK_CUR) origin = static_cast<sf_count_t>(source.offset);
    else if (whence == SEEK_END) origin = static_cast<sf_count_t>(source.size);
    else if (whence != SEEK_SET) return -1;
    if ((offset > 0 && origin > LLONG_MAX - offset) || origin + offset < 0) return -1;
    source.offset = static_cast<uint64_t>(origin + offset);
    return static_cast<sf_count_t>(source.offset);
}

sf_count_t SourceRead(void* buffer, sf_count_t count, void* user)
{
    auto& source = *static_cast<Source*>(user);
    if (count <= 0 || source.offset >= source.size) return 0;
    const uint64_t wanted = std::min<uint64_t>(static_cast<uint64_t>(count), source.size - source.offset);
    uint64_t done = 0;
    while (done < wanted) {
        const ssize_t got = pread(source.fd, static_cast<char*>(buffer) + done, wanted - done,
                                  static_cast<off_t>(source.base + source.offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<uint64_t>(got);
    }
    source.offset += done;
    return static_cast<sf_count_t>(done);
}

sf_count_t SourceWrite(const void*, sf_count_t, void*) { return 0; }

// libsndfile's reasons end in a full stop; ours go inside a sentence.
std::string WithoutFullStop(std::string text)
{
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

sf_count_t SourceTell(void* user) { return static_cast<sf_count_t>(static_cast<Source*>(user)->offset); }
}  // namespace

AudioDecoder::~AudioDecoder() { Close(); }

bool AudioDecoder::Fail(std::string& error, const std::string& why)
{
    error = why;
    Close();
    return false;
}

bool AudioDecoder::Open(const char* path, uint64_t fileOffset, std::string& error)
{
    Close();
    if (!path || !*path) return Fail(error, "no file named");
    // Non-blocking so that a FIFO or device node cannot stall the open.
    source_.fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (source_.fd < 0) return Fail(error, std::strerror(errno));
    struct stat info {};
    if (fstat(source_.fd, &info) != 0 || !S_ISREG(info.st_mode)) return Fail(error, "not a regular file");
    const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
    if (fileSize == 0) return Fail(error, "the file is empty");
    if (fileOffset >= fileSize) return Fail(error, "the offset lies beyond the end of the file");
    source_.base = fileOffset;
    source_.size = fileSize - fileOffset;
    source_.offset = 0;

    SF_INFO format{};
    if (!OpenSource(format)) return Fail(error, WithoutFullStop(sf_strerror(nullptr)));

    if (format.channels < 1 || format.channels > kMaxChannels) return Fail(error, "unsupported number of channels");
    if (format.samplerate < kMinRate || format.samplerate > kMaxRate) return Fail(error, "unsupported sample rate");
    if (format.frames <= 0) return Fail(error, "it holds no sound");
    if (format.frames == SF_COUNT_MAX) return Fail(error, "its length cannot be known");
    rate_ = format.samplerate;
    channels_ = format.channels;
    // Lengths are counted in bytes of 16-bit PCM in 32 bits; longer music is cut there.
    const uint64_t maxFrames = UINT32_MAX / (static_cast<uint64_t>(channels_) * sizeof(int16_t));
    frames_ = std::min<uint64_t>(static_cast<uint64_t>(format.frames), maxFrames);
    return true;
}

bool AudioDecoder::OpenSource(SF_INFO& format)
{
    source_.offset = 0;
    SF_VIRTUAL_IO callbacks{SourceLength, SourceSeek, SourceRead, SourceWrite, SourceTell};
    file_ = sf_open_virtual(&callbacks, SFM_READ, &format, &source_);
    position_ = 0;
    dataEnded_ = false;
    endedAt_ = 0;
    damage_.clear();
    if (!file_) return false;
    // Lossy decoders overshoot full scale; clip instead of wrapping round.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

void AudioDecoder::Close()
{
    if (file_) sf_close(file_);
    file_ = nullptr;
    if (source_.fd >= 0) close(source_.fd);
    source_ = FileSource{};
    rate_ = channels_ = 0;
    frames_ = position_ = endedAt_ = 0;
    dataEnded_ = false;
    damage_.clear();
}

uint64_t AudioDecoder::Read(int16_t* samples, uint64_t maxFrames)
{
    if (!file_ || position_ >= frames_) return 0;
    const uint64_t wanted = std::min(maxFrames, frames_ - position_);
    uint64_t got = 0;
    while (got < wanted) {
        const sf_count_t read =
            sf_readf_short(file_, samples + got * channels_, static_cast<sf_count_t>(wanted - got));
        if (read <= 0) {
            GiveOut(position_ + got);
            return got;
        }
        got += static_cast<uint64_t>(read);
    }
    position_ += got;
    return got;
}

void AudioDecoder::GiveOut(uint64_t frame)
{
    dataEnded_ = true;
    endedAt_ = frame;
    position_ = frames_;
    // The length of an MP3 without an info tag is an estimate that may run a little past
    // its last frame: such a shortfall ends the music quietly.
    const bool shortfallTolerated = frames_ - frame <= static_cast<uint64_t>(rate_) * kToleratedShortfallMs / 1000;
    if (sf_error(file_) != SF_ERR_NO_ERROR) damage_ = WithoutFullStop(sf_strerror(file_));
    else if (!shortfallTolerated) damage_ = "its sound ends before its stated length";
}

// Seeking inside a damaged stream can crash a codec, so the decoder never asks for it:
// it starts again from the top when it has to go back, and decodes forward, discarding.
void AudioDecoder::Seek(uint64_t frame)
{
    if (!file_) return;
    frame = std::min(frame, frames_);
    if (dataEnded_ && frame >= endedAt_) return;   // still beyond where the data gave out
    if (frame < position_ || dataEnded_) Rewind();
    std::vector<int16_t> discard(kSkipChunkFrames * static_cast<uint64_t>(channels_));
    while (!dataEnded_ && position_ < frame)
        Read(discard.data(), std::min<uint64_t>(kSkipChunkFrames, frame - position_));
}

void AudioDecoder::Rewind()
{
    if (file_) sf_close(file_);
    file_ = nullptr;
    SF_INFO format{};
    if (OpenSource(format)) return;
    // The file opened once; if it no longer does, nothing of it can be played.
    dataEnded_ = true;
    position_ = frames_;
    damage_ = WithoutFullStop(sf_strerror(nullptr));
}
