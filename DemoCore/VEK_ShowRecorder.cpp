#include "VEK_ShowRecorder.h"

#include "VEK_FrameCapture.h"
#include "VEK_PictureFolder.h"
#include "VEK_Player.h"
#include "VEK_SoundSys.h"
#include "VEK_VideoFile.h"

#include <cstdio>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// Frames on their way to the sink at most (1.4 MB each at 800 x 600): enough to carry the
// writing over the show's heavier stretches, few enough that a slow disk or encoder holds
// the show back instead of filling memory.
constexpr int kFramesInFlight = 16;
constexpr auto kProgressOnTerminal = std::chrono::milliseconds(250);
constexpr auto kProgressInLog = std::chrono::seconds(2);
constexpr int kWriterNiceness = 10;

std::unique_ptr<FrameSink> OpenSink(const PlayerOptions& options, const RecordFormat& format, std::string& error)
{
    if (!options.renderFile.empty()) return OpenVideoFile(options.renderFile, format, error);
    if (!options.pngFolder.empty()) return OpenPictureFolder(options.pngFolder, format, error);
    return OpenPpmFolder(options.captureFolder, options.captureEvery);
}

std::string Clock(double seconds)
{
    const long whole = long(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}
}  // namespace

std::unique_ptr<ShowRecorder> ShowRecorder::Start(const PlayerOptions& options, const SoundSystem& sound,
                                                  const char* musicPath, int width, int height, std::string& error)
{
    RecordFormat format;
    format.width = width;
    format.height = height;
    format.outputWidth = options.outputWidth > 0 ? options.outputWidth : width;
    format.outputHeight = options.outputHeight > 0 ? options.outputHeight : height;
    format.fps = options.fps;

    // The music is heard only in a video or beside PNG pictures.
    std::unique_ptr<MusicTap> tap;
    const bool wantsMusic = !options.renderFile.empty() || !options.pngFolder.empty();
    if (wantsMusic && sound.stream && musicPath) {
        tap = std::make_unique<MusicTap>();
        std::string why;
        if (tap->Open(musicPath, why)) {
            format.audioRate = tap->Rate();
            format.audioChannels = tap->Channels();
        } else {
            std::fprintf(stderr, "demo: the music cannot be recorded (%s); the recording has none.\n", why.c_str());
            tap.reset();
        }
    }
    std::unique_ptr<FrameSink> sink = OpenSink(options, format, error);
    if (!sink) return nullptr;
    std::unique_ptr<ShowRecorder> recorder(new ShowRecorder(std::move(sink), format));
    recorder->tap_ = std::move(tap);
    return recorder;
}

ShowRecorder::ShowRecorder(std::unique_ptr<FrameSink> sink, const RecordFormat& format)
    : sink_(std::move(sink)), format_(format), started_(std::chrono::steady_clock::now()), lastShown_(started_),
      terminal_(isatty(fileno(stderr)) != 0)
{
    writer_ = std::thread(&ShowRecorder::WriteLoop, this);
}

ShowRecorder::~ShowRecorder() { StopWriter(); }

// The writing thread writes what is queued, then ends.
void ShowRecorder::StopWriter()
{
    if (!writer_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

std::unique_ptr<RecordedFrame> ShowRecorder::TakeFreeFrame()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || framesMade_ < kFramesInFlight; });
    if (free_.empty()) {
        ++framesMade_;
        return std::make_unique<RecordedFrame>();
    }
    std::unique_ptr<RecordedFrame> frame = std::move(free_.front());
    free_.pop_front();
    return frame;
}

void ShowRecorder::Record(const SoundSystem& sound, int width, int height)
{
    std::unique_ptr<RecordedFrame> frame = TakeFreeFrame();
    frame->width = width;
    frame->height = height;
    frame->number = ++recorded_;
    ReadBackBuffer(width, height, frame->rgb);

    frame->samples.clear();
    if (tap_) {
        const uint64_t bytesPerFrame = uint64_t(tap_->Channels()) * sizeof(int16_t);
        const uint64_t position = sound.stream ? sound.stream->PositionBytes() / bytesPerFrame : 0;
        tap_->Read(position, MusicTap::FramesOfPicture(recorded_ - 1, format_.audioRate, format_.fps), frame->samples);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(frame));
    }
    changed_.notify_all();
    ShowProgress(sound.Position(), false);
}

void ShowRecorder::WriteLoop()
{
    // Drawing goes first: the writing (and the encoder's own threads, which take this
    // thread's priority) fills the time the cores would otherwise stand idle.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kWriterNiceness);
    for (;;) {
        std::unique_ptr<RecordedFrame> frame;
        bool skip = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || finishing_; });
            if (queue_.empty()) return;
            frame = std::move(queue_.front());
            queue_.pop_front();
            skip = failed_;
        }
        std::string error;
        const bool written = skip || sink_->Write(*frame, error);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!written && !failed_) {
                failed_ = true;
                error_ = error;
            }
            free_.push_back(std::move(frame));
        }
        changed_.notify_all();
    }
}

bool ShowRecorder::Failed()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
}

bool ShowRecorder::Finish()
{
    StopWriter();
    if (!failed_) {
        std::string error;
        if (!sink_->Finish(error)) {
            failed_ = true;
            error_ = error;
        }
    }
    ShowProgress(0.0, true);
    if (failed_) {
        std::fprintf(stderr, "demo: the recording failed: %s\n", error_.c_str());
        return false;
    }
    std::fprintf(stderr, "demo: wrote %s\n", sink_->Summary().c_str());
    return true;
}

void ShowRecorder::ShowProgress(double showSeconds, bool last)
{
    const auto now = std::chrono::steady_clock::now();
    if (!last && now - lastShown_ < (terminal_ ? kProgressOnTerminal : kProgressInLog)) return;
    lastShown_ = now;
    const double elapsed = std::chrono::duration<double>(now - started_).count();
    const double fps = elapsed > 0.0 ? double(recorded_) / elapsed : 0.0;
    std::string line = "recording: frame " + std::to_string(recorded_);
    char text[160];
    if (!last) {
        std::snprintf(text, sizeof text, ", show %.2f s", showSeconds);
        line += text;
    }
    if (expected_ > 0 && !last) {
        const double share = std::min(1.0, double(recorded_) / double(expected_));
        const double left = fps > 0.0 ? double(expected_ > recorded_ ? expected_ - recorded_ : 0) / fps : 0.0;
        std::snprintf(text, sizeof text, ", %.0f%%, %.1f fps, %s left", share * 100.0, fps, Clock(left).c_str());
    } else {
        std::snprintf(text, sizeof text, ", %.1f fps, %s", fps, Clock(elapsed).c_str());
    }
    line += text;
    if (terminal_) std::fprintf(stderr, "\r%-78s%s", line.c_str(), last ? "\n" : "");
    else std::fprintf(stderr, "%s\n", line.c_str());
}
